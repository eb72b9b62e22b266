#include "hotimage.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

struct Colours {
    const char *fg;
    const char *bg;
};

// Normal, highlight, pressed, disabled.
constexpr Colours kNormal{"#3a5a86", "none"};
constexpr Colours kLight{"#0a6cff", "#dbe9ff"};
constexpr Colours kDark{"#0848a8", "#b7d0f5"};
constexpr Colours kDisabled{"#aab4c2", "none"};

std::unique_ptr<QSvgRenderer> makeRenderer(const QByteArray &svg, Colours colours)
{
    QByteArray filled = svg;
    filled.replace("\"FG\"", QByteArray(QByteArray("\"") + colours.fg + '"'));
    filled.replace("\"BG\"", QByteArray(QByteArray("\"") + colours.bg + '"'));
    return std::make_unique<QSvgRenderer>(filled);
}

} // namespace

HotImage::HotImage(const QString &iconName, QWidget *parent)
    : QAbstractButton(parent)
{
    QFile file(u":/icons/"_s + iconName + u".svg"_s);
    const QByteArray svg = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    m_renderers[0] = makeRenderer(svg, kNormal);
    m_renderers[1] = makeRenderer(svg, kLight);
    m_renderers[2] = makeRenderer(svg, kDark);
    m_disabledRenderer = makeRenderer(svg, kDisabled);
    setObjectName(iconName);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

HotImage::~HotImage() = default;

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
