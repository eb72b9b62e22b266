#include "chromecursor.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

QCursor chromeCursor(const QString &name)
{
    constexpr int kSide = 32;
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(static_cast<int>(kSide * ratio), static_cast<int>(kSide * ratio));
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(u":/cursors/"_s + name + u".svg"_s);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, pixmap.width(), pixmap.height()));
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return QCursor(pixmap, 4, 2);
}

} // namespace sonvera
