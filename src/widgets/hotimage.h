#pragma once

#include "chromeicon.h"

#include <QAbstractButton>
#include <QSvgRenderer>

#include <array>
#include <memory>

namespace sonvera {

// A clickable picture of the window chrome. It shows its normal picture, a
// highlight while the pointer is over it and, where asked for, a pressed
// picture while the button is down. The highlight follows the pointer: it is
// shown on enter and cleared on leave.
//
// The pictures come from one SVG in the resources (":/icons/<name>.svg") whose
// colours "FG" and "BG" are filled in per state, so all three stay crisp at
// any scale.
class HotImage final : public QAbstractButton {
    Q_OBJECT

public:
    enum class Picture { Normal, Light, Dark };

    explicit HotImage(const QString &iconName, QWidget *parent = nullptr);
    ~HotImage() override;

    // Show the pressed picture while the mouse button is down (otherwise the
    // highlight is cleared on press).
    void setPressedPicture(bool enabled) { m_pressedPicture = enabled; }

    // The colours of the normal picture, e.g. light ones on a dark band.
    void setNormalColours(ChromeColours colours);

    Picture picture() const { return m_picture; }
    void setPicture(Picture picture);
    // Back to the normal picture, e.g. after a click that minimised the window.
    void clearPicture() { setPicture(Picture::Normal); }

    QSize sizeHint() const override;

Q_SIGNALS:
    void pictureChanged(sonvera::HotImage::Picture picture);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QSvgRenderer *rendererFor(Picture picture) const;

    QString m_iconName;
    std::array<std::unique_ptr<QSvgRenderer>, 3> m_renderers; // Normal, Light, Dark
    std::unique_ptr<QSvgRenderer> m_disabledRenderer;
    Picture m_picture = Picture::Normal;
    bool m_pressedPicture = false;
};

} // namespace sonvera
