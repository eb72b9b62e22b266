#include "progress.h"

#include "textnumber.h"

#include <QCoreApplication>
#include <QList>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

ProgressDisplay fullDisplay(const QString &caption)
{
    ProgressDisplay display = idleDisplay(caption);
    display.fraction = 1.0;
    return display;
}

// The text after `key` up to the next blank or the end of the chunk, or
// nothing when the key is absent or ends the chunk.
std::optional<QStringView> fieldAfter(QStringView chunk, QStringView key)
{
    const qsizetype at = chunk.indexOf(key);
    if (at < 0 || at + key.size() >= chunk.size())
        return std::nullopt;
    QStringView rest = chunk.mid(at + key.size());
    const qsizetype blank = rest.indexOf(u' ');
    return blank < 0 ? rest : rest.left(blank);
}

// The display of a stage under way at `percent` (as the caption writes it):
// `caption` ("转换中%1 %2%") and `steady` ("转换中 %1%"), or the copy's own
// when the stage copies the source's streams instead of coding them.
ProgressDisplay runningDisplay(const ProgressState &state, double fraction, const QString &percent,
                               const QString &caption, const QString &steady)
{
    //: %1 is the spinner glyph, %2 the percentage.
    const QString spun = state.copying ? QCoreApplication::translate("Progress", "复制中%1 %2%") : caption;
    //: The same without the spinner; %1 is the percentage.
    const QString still = state.copying ? QCoreApplication::translate("Progress", "复制中 %1%") : steady;
    ProgressDisplay display;
    display.fraction = fraction;
    display.caption = spun.arg(QString(state.spinnerGlyph), percent);
    display.steadyCaption = still.arg(percent);
    display.spinner = state.spinnerGlyph;
    display.percent = percent;
    display.copying = state.copying;
    return display;
}

bool startsWithNumber(QStringView field)
{
    qsizetype i = 0;
    while (i < field.size() && field[i] == u' ')
        ++i;
    if (i < field.size() && (field[i] == u'+' || field[i] == u'-'))
        ++i;
    if (i < field.size() && field[i] == u'.')
        ++i;
    return i < field.size() && field[i].isDigit();
}

} // namespace

QChar nextSpinnerGlyph(QChar glyph)
{
    if (glyph == u'-')
        return u'\\';
    if (glyph == u'\\')
        return u'|';
    if (glyph == u'|')
        return u'/';
    return u'-';
}

std::optional<ProgressDisplay> readMencoderProgress(ProgressState &state, QStringView chunk)
{
    state.spinnerGlyph = nextSpinnerGlyph(state.spinnerGlyph);

    QStringView percent;
    for (qsizetype i = 0; i < chunk.size(); ++i) {
        if (chunk[i] != u'(')
            continue;
        if (i + 4 < chunk.size() && chunk[i + 4] == u')') {
            percent = chunk.mid(i + 1, 3);
            break;
        }
        if (i + 5 < chunk.size() && chunk[i + 5] == u')') {
            percent = chunk.mid(i + 1, 4);
            break;
        }
    }
    if (percent.isNull())
        return std::nullopt;
    if (percent == u"100%")
        return fullDisplay(QCoreApplication::translate("Progress", "结束 100%"));

    // The encoder never prints a value outside 0..100; the bar could not show one.
    const double n = std::clamp(roundHalfEven(leadingNumber(percent)), 0.0, 100.0);
    const QString shownPercent = QString::number(n, 'f', 0);
    //: %1 is the spinner glyph, %2 the percentage.
    const QString converting = QCoreApplication::translate("Progress", "转换中%1 %2%");
    //: The same without the spinner; %1 is the percentage.
    const QString steady = QCoreApplication::translate("Progress", "转换中 %1%");
    return runningDisplay(state, n / 100, shownPercent, converting, steady);
}

std::optional<ProgressDisplay> readFfmpegProgress(ProgressState &state, QStringView chunk)
{
    if (state.durationSeconds == 0) {
        // The banner line may arrive in two chunks: read it with the unfinished
        // line of the chunks before.
        const QString text = state.partialLine + chunk;
        const qsizetype lineEnd = std::max(text.lastIndexOf(u'\n'), text.lastIndexOf(u'\r'));
        state.partialLine = text.mid(lineEnd + 1).right(512);
        // A field that runs to the end of the text may be cut: it waits for the rest.
        const auto field = fieldAfter(text, u"Duration: ");
        const bool whole = field && field->end() != text.constEnd();
        if (whole && !field->isEmpty()) {
            const auto parts = field->split(u':');
            if (parts.size() == 3 && startsWithNumber(parts[0]) && startsWithNumber(parts[1])
                && startsWithNumber(parts[2])) {
                const double seconds = leadingNumber(parts[0]) * 3600 + leadingNumber(parts[1]) * 60
                    + leadingNumber(parts[2]);
                const double rounded = roundHalfEven(seconds);
                if (rounded > 0 && rounded < 2147483647.0) {
                    state.durationSeconds = static_cast<int>(rounded);
                    state.partialLine.clear();
                }
            }
        }
    }

    std::optional<ProgressDisplay> display;
    if (const auto field = fieldAfter(chunk, u"time=")) {
        const double t = roundHalfEven(leadingNumber(*field));
        const int duration = state.durationSeconds;
        if (duration == 0 || t / duration * 100 >= 100) {
            display = fullDisplay(QCoreApplication::translate("Progress", "完成 100%"));
        } else {
            const double r = std::max(0.0, t / duration);
            //: %1 is the spinner glyph, %2 the percentage.
            const QString creating = QCoreApplication::translate("Progress", "创建中%1 %2%");
            //: The same without the spinner; %1 is the percentage.
            const QString steady = QCoreApplication::translate("Progress", "创建中 %1%");
            display = runningDisplay(state, r, percentText(r * 100), creating, steady);
        }
    }

    state.spinnerGlyph = nextSpinnerGlyph(state.spinnerGlyph);
    return display;
}

QString percentText(double percent)
{
    QString text;
    if (percent == 0) {
        text = u"0"_s;
    } else {
        const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(percent)))) + 1;
        const int decimals = std::clamp(15 - magnitude, 0, 40);
        text = QString::number(percent, 'f', decimals);
        if (text.contains(u'.')) {
            while (text.endsWith(u'0'))
                text.chop(1);
            if (text.endsWith(u'.'))
                text.chop(1);
        }
    }
    return text.left(4);
}

ProgressDisplay idleDisplay(const QString &caption)
{
    ProgressDisplay display;
    display.caption = caption;
    display.steadyCaption = caption;
    return display;
}

int wholePercent(double percent)
{
    return static_cast<int>(std::floor(std::clamp(percent + 1e-9, 0.0, 100.0)));
}

QString wholePercentCaption(const ProgressDisplay &display)
{
    if (display.percent.isEmpty())
        return display.steadyCaption;
    const QString whole = QString::number(wholePercent(leadingNumber(display.percent)));
    QString text = display.steadyCaption;
    const qsizetype at = text.lastIndexOf(display.percent + u'%');
    if (at >= 0)
        text.replace(at, display.percent.size(), whole);
    return text;
}

QString rowProgressText(const ProgressDisplay &display)
{
    if (display.stepCount < 2) {
        // MP3's one stage is the second stage's encoder, whose caption says 创建中.
        if (display.percent.isEmpty() || display.copying)
            return wholePercentCaption(display);
        ProgressDisplay converting = display;
        converting.steadyCaption = QCoreApplication::translate("Progress", "转换中 %1%").arg(display.percent);
        return wholePercentCaption(converting);
    }
    //: A file converted in two steps: %1 is the step, %2 the number of steps, %3 the progress ("转换中 42%").
    return QCoreApplication::translate("Progress", "第 %1/%2 步 %3")
        .arg(QString::number(display.step), QString::number(display.stepCount), wholePercentCaption(display));
}

} // namespace sonvera
