#include "progressview.h"

#include "filelist.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>

#include <algorithm>
#include <array>
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

SpinnerImage::SpinnerImage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(u"spinner"_s);
    setFixedSize(sizeHint());
}

void SpinnerImage::setGlyph(QChar glyph)
{
    if (glyph == m_glyph)
        return;
    m_glyph = glyph;
    update();
}

void SpinnerImage::paintEvent(QPaintEvent *)
{
    // The glyph's own slant: "-" lies flat, "\" leans back, "|" stands, "/" leans forward.
    static constexpr std::array<std::pair<char16_t, double>, 4> kAngles{
        {{u'-', 0}, {u'\\', 45}, {u'|', 90}, {u'/', 135}}};
    const auto at = std::find_if(kAngles.begin(), kAngles.end(),
                                 [this](const auto &entry) { return m_glyph == QChar(entry.first); });
    if (at == kAngles.end())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect().center() + QPointF(0.5, 0.5));
    painter.rotate(at->second);
    const double half = std::min(width(), height()) / 2.0 - 2;
    painter.setPen(QPen(QColor(0x0a, 0x6c, 0xff), 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(-half, 0), QPointF(half, 0));
}

ProgressView::ProgressView(QWidget *parent)
    : QWidget(parent)
    , m_barImage(new ProgressBarImage(this))
    , m_bar(new QProgressBar(this))
    , m_spinner(new SpinnerImage(this))
    , m_stepLabel(new QLabel(this))
    , m_caption(new QLabel(u"0%"_s, this))
    , m_timing(new QLabel(this))
{
    setObjectName(u"progress"_s);
    m_bar->setObjectName(u"pb"_s);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_bar->setFixedHeight(4);
    m_bar->setAccessibleName(tr("转换进度"));
    m_stepLabel->setObjectName(u"lblStep"_s);
    m_caption->setObjectName(u"lblPB"_s);
    // Room for the longest caption, so that it never jumps or is cut.
    const QString widest = QCoreApplication::translate("Progress", "创建中 %1%").arg(100);
    m_caption->setMinimumWidth(m_caption->fontMetrics().horizontalAdvance(widest) + 24);
    m_timing->setObjectName(u"lblTime"_s);
    m_timing->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *captionRow = new QHBoxLayout;
    captionRow->setSpacing(6);
    captionRow->addWidget(m_stepLabel);
    captionRow->addWidget(m_spinner);
    captionRow->addWidget(m_caption, 1);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(2);
    grid->addWidget(m_barImage, 0, 0);
    grid->addLayout(captionRow, 0, 1);
    grid->addWidget(m_bar, 1, 0);
    grid->addWidget(m_timing, 1, 1);
    grid->setColumnStretch(0, 1);
}

void ProgressView::show(const ProgressDisplay &display)
{
    m_barImage->setBarWidth(display.fraction * kBarFullWidth);
    m_bar->setValue(static_cast<int>(std::lround(display.fraction * 100)));
    m_caption->setText(wholePercentCaption(display));
    m_spinner->setGlyph(display.spinner);
    m_showsOneFile = display.step > 0;
    m_stepLabel->setText(display.stepCount > 1
                             //: A file converted in two steps: %1 is the step, %2 the number of steps.
                             ? tr("第 %1 步，共 %2 步").arg(display.step).arg(display.stepCount)
                             : QString());
    m_stepLabel->setVisible(display.stepCount > 1);
}

void ProgressView::fileStarted()
{
    // The next file's encoder says nothing for a while: the previous file's
    // last step and 100% must not stand beside a row that says 转换中.
    if (!m_showsOneFile)
        return;
    ProgressDisplay starting = idleDisplay(QCoreApplication::translate("Progress", "转换中 %1%").arg(0));
    show(starting);
    m_showsOneFile = true;
}

void ProgressView::showTiming(qint64 elapsedMs, qint64 remainingMs)
{
    const QString elapsed = clockText(elapsedMs / 1000);
    if (remainingMs >= 0)
        m_timing->setText(tr("已用 %1  剩余约 %2").arg(elapsed, clockText(remainingMs / 1000)));
    else
        m_timing->setText(tr("已用 %1").arg(elapsed));
}

void ProgressView::clearTiming()
{
    m_timing->clear();
}

} // namespace sonvera
