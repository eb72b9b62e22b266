#include "progressview.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

ProgressBarImage::ProgressBarImage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(u"imgPB"_s);
    setMinimumHeight(14);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ProgressBarImage::setBarWidth(double width)
{
    width = std::clamp(width, 0.0, kBarFullWidth);
    if (width == m_width)
        return;
    m_width = width;
    update();
}

void ProgressBarImage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = track.height() / 2;
    painter.setPen(QColor(0x9f, 0xb1, 0xc8));
    painter.setBrush(QColor(0xf4, 0xf7, 0xfb));
    painter.drawRoundedRect(track, radius, radius);
    if (m_width <= 0)
        return;
    QRectF filled = track.adjusted(1.5, 1.5, -1.5, -1.5);
    filled.setWidth(filled.width() * m_width / kBarFullWidth);
    QLinearGradient gradient(filled.topLeft(), filled.bottomLeft());
    gradient.setColorAt(0, QColor(0x3d, 0x9b, 0xff));
    gradient.setColorAt(1, QColor(0x0a, 0x6c, 0xff));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    const double inner = filled.height() / 2;
    painter.drawRoundedRect(filled, inner, inner);
}

ProgressView::ProgressView(QWidget *parent)
    : QWidget(parent)
    , m_imgPB(new ProgressBarImage(this))
    , m_pb(new QProgressBar(this))
    , m_lblPB(new QLabel(u"0%"_s, this))
    , m_lblTime(new QLabel(this))
{
    setObjectName(u"progress"_s);
    m_pb->setObjectName(u"pb"_s);
    m_pb->setRange(0, 100);
    m_pb->setValue(0);
    m_pb->setTextVisible(false);
    m_pb->setFixedHeight(4);
    m_lblPB->setObjectName(u"lblPB"_s);
    m_lblPB->setMinimumWidth(110);
    m_lblTime->setObjectName(u"lblTime"_s);
    m_lblTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(2);
    grid->addWidget(m_imgPB, 0, 0);
    grid->addWidget(m_lblPB, 0, 1);
    grid->addWidget(m_pb, 1, 0);
    grid->addWidget(m_lblTime, 1, 1);
    grid->setColumnStretch(0, 1);
}

void ProgressView::show(const ProgressDisplay &display)
{
    m_imgPB->setBarWidth(display.fraction * kBarFullWidth);
    m_pb->setValue(static_cast<int>(std::lround(display.fraction * 100)));
    m_lblPB->setText(display.caption);
}

QString ProgressView::clockText(qint64 ms)
{
    const qint64 seconds = std::max<qint64>(0, ms / 1000);
    const qint64 h = seconds / 3600;
    const qint64 m = seconds / 60 % 60;
    const qint64 s = seconds % 60;
    const QString mmss = QString::number(m).rightJustified(h > 0 ? 2 : 1, u'0') + u':'
        + QString::number(s).rightJustified(2, u'0');
    return h > 0 ? QString::number(h) + u':' + mmss : mmss;
}

void ProgressView::showTiming(qint64 elapsedMs, qint64 remainingMs)
{
    if (remainingMs >= 0)
        m_lblTime->setText(tr("已用 %1  剩余约 %2").arg(clockText(elapsedMs), clockText(remainingMs)));
    else
        m_lblTime->setText(tr("已用 %1").arg(clockText(elapsedMs)));
}

void ProgressView::clearTiming()
{
    m_lblTime->clear();
}

} // namespace sonvera
