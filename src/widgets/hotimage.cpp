#include "hotimage.h"

#include "chromeicon.h"

#include <QMouseEvent>
#include <QPainter>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

std::unique_ptr<QSvgRenderer> makeRenderer(const QString &name, ChromeColours colours)
{
    return std::make_unique<QSvgRenderer>(chromeSvg(name, colours));
}

} // namespace

HotImage::HotImage(const QString &iconName, QWidget *parent)
    : QAbstractButton(parent)
    , m_iconName(iconName)
{
    m_renderers[0] = makeRenderer(iconName, ChromePalette::kNormal);
    m_renderers[1] = makeRenderer(iconName, ChromePalette::kLight);
    m_renderers[2] = makeRenderer(iconName, ChromePalette::kDark);
    m_disabledRenderer = makeRenderer(iconName, ChromePalette::kDisabled);
    setObjectName(iconName);
    setCursor(Qt::PointingHandCursor);
    // Most are a second surface of a command that a button offers too: only
    // those without a button take the focus (their owners say which).
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

HotImage::~HotImage() = default;

void HotImage::setNormalColours(ChromeColours colours)
{
    m_renderers[0] = makeRenderer(m_iconName, colours);
    update();
}

void HotImage::setPicture(Picture picture)
{
    if (m_picture == picture)
        return;
    m_picture = picture;
    update();
    Q_EMIT pictureChanged(picture);
}

QSize HotImage::sizeHint() const
{
    return {32, 32};
}

QSvgRenderer *HotImage::rendererFor(Picture picture) const
{
    if (!isEnabled())
        return m_disabledRenderer.get();
    return m_renderers[static_cast<std::size_t>(picture)].get();
}

void HotImage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width(), height());
    const QRectF square((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    if (QSvgRenderer *renderer = rendererFor(m_picture); renderer && renderer->isValid())
        renderer->render(&painter, square);
    // Focus from the keyboard shows as a ring, as on every other control.
    if (hasFocus()) {
        painter.setPen(QPen(QColor(0x0a, 0x6c, 0xff), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
    }
}

void HotImage::enterEvent(QEnterEvent *event)
{
    setPicture(Picture::Light);
    QAbstractButton::enterEvent(event);
}

void HotImage::leaveEvent(QEvent *event)
{
    setPicture(Picture::Normal);
    QAbstractButton::leaveEvent(event);
}

void HotImage::mousePressEvent(QMouseEvent *event)
{
    setPicture(m_pressedPicture ? Picture::Dark : Picture::Normal);
    QAbstractButton::mousePressEvent(event);
}

void HotImage::mouseReleaseEvent(QMouseEvent *event)
{
    // Still under the pointer after the press: back to the highlight.
    if (rect().contains(event->position().toPoint()))
        setPicture(Picture::Light);
    QAbstractButton::mouseReleaseEvent(event);
}

} // namespace sonvera
