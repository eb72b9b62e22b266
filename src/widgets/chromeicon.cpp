#include "chromeicon.h"

#include <QApplication>
#include <QFile>
#include <QIconEngine>
#include <QPainter>
#include <QSvgRenderer>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

QByteArray quotedColour(const char *colour)
{
    return QByteArray(QByteArray("\"") + colour + '"');
}

// Renders the SVG anew for every size, so the icon is sharp at any scale.
class ChromeIconEngine final : public QIconEngine {
public:
    explicit ChromeIconEngine(QString name)
        : m_name(std::move(name))
    {
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const ChromeColours colours = mode == QIcon::Disabled ? ChromePalette::kDisabled
            : mode == QIcon::Active                           ? ChromePalette::kLight
                                                              : ChromePalette::kNormal;
        QSvgRenderer renderer(chromeSvg(m_name, colours));
        renderer.render(painter, rect);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine *clone() const override { return new ChromeIconEngine(m_name); }

private:
    QString m_name;
};

} // namespace

QByteArray chromeSvg(const QString &name, ChromeColours colours)
{
    QFile file(u":/icons/"_s + name + u".svg"_s);
    QByteArray svg = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    svg.replace("\"FG\"", quotedColour(colours.fg));
    svg.replace("\"BG\"", quotedColour(colours.bg));
    return svg;
}

QIcon chromeIcon(const QString &name)
{
    return QIcon(new ChromeIconEngine(name));
}

void applySkin(QApplication &app)
{
    QFile style(u":/style/sonvera.qss"_s);
    if (style.open(QIODevice::ReadOnly))
        app.setStyleSheet(QString::fromUtf8(style.readAll()));
}

} // namespace sonvera
