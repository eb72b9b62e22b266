#include "settingstext.h"

#include "formats.h"
#include "pathtext.h"
#include "settingslog.h"
#include "textnumber.h"


#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::SettingsText {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

std::optional<int> positionIn(std::span<const QStringView> entries, QStringView text)
{
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == text)
            return static_cast<int>(i);
    }
    return std::nullopt;
}

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

// A position line of setup.ini: the whole value must be a number that fits 16 bits.
std::optional<qint64> positionLine(const QStringList &lines, qsizetype index)
{
    if (index >= lines.size())
        return std::nullopt;
    const std::optional<double> number = wholeNumber(readField(lines[index]));
    if (!number)
        return std::nullopt;
    return roundedWithin(*number, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max());
}

// Sets `field` to the entry at `position` when the position lies inside the list.
void restoreText(QString &field, std::span<const QStringView> entries, std::optional<qint64> position)
{
    if (position && *position >= 0 && static_cast<std::size_t>(*position) < entries.size())
        field = entries[static_cast<std::size_t>(*position)].toString();
}

template<typename Int>
void restoreNumber(Int &field, const QStringList &lines, qsizetype index)
{
    if (index >= lines.size())
        return;
    const double number = leadingNumber(readField(lines[index]));
    if (const auto rounded = roundedWithin(number, std::numeric_limits<Int>::min(), std::numeric_limits<Int>::max()))
        field = static_cast<Int>(*rounded);
}

} // namespace

QString decode(const QByteArray &bytes)
{
    // The one rule for text that may come from Windows: UTF-8, else GB18030.
    return shownName(bytes);
}

QStringList lines(QStringView text)
{
    // CR LF, LF and a CR alone (old Mac files) each end a line.
    QStringList result;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        result << text.sliced(start, end - start).toString();
        if (end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n')
            ++end;
        start = end + 1;
    }
    return result;
}

bool holdsControlCharacters(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

QString readField(QStringView line)
{
    qsizetype i = 0;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    if (i < line.size() && line[i] == u'"') {
        const qsizetype close = line.indexOf(u'"', i + 1);
        const qsizetype end = close < 0 ? line.size() : close;
        return line.sliced(i + 1, end - i - 1).toString();
    }
    qsizetype end = line.indexOf(u',', i);
    if (end < 0)
        end = line.size();
    while (end > i && isBlank(line[end - 1]))
        --end;
    return line.sliced(i, end - i).toString();
}

std::optional<double> wholeNumber(QStringView text)
{
    qsizetype end = 0;
    const std::optional<double> number = scanLeadingNumber(text, &end);
    while (end < text.size() && isBlank(text[end]))
        ++end;
    if (end != text.size())
        return std::nullopt;
    return number;
}

std::optional<qint64> roundedWithin(double value, qint64 minimum, qint64 maximum)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = roundHalfEven(value);
    if (rounded < static_cast<double>(minimum) || rounded > static_cast<double>(maximum))
        return std::nullopt;
    return static_cast<qint64>(rounded);
}

QByteArray formatSetup(const ConversionSettings &settings)
{
    const int channel = settings.channelIndex >= 0
                            && static_cast<std::size_t>(settings.channelIndex) < ParameterLists::channel().size()
                        ? settings.channelIndex
                        : -1;
    const int format = formatAt(settings.formatIndex) ? settings.formatIndex : -1;

    QString folder = settings.outputFolder;
    if (folder.contains(u'"') || holdsControlCharacters(folder)) {
        qCWarning(lcSettings) << "output folder" << folder
                                  << "cannot be kept in setup.ini; the default folder is used next time";
        folder.clear();
    }

    const QStringList values{
        QString::number(positionIn(ParameterLists::audioBitrate(), settings.audioBitrate).value_or(-1)),
        QString::number(positionIn(ParameterLists::audioRate(), settings.audioRate).value_or(-1)),
        QString::number(channel),
        folder,
        QString::number(format),
    };
    QString text;
    for (const QString &value : values)
        text += quoted(value) + u"\r\n";
    return text.toUtf8();
}

void applySetup(const QStringList &lines, ConversionSettings &settings, const QString &defaultOutputFolder)
{
    restoreText(settings.audioBitrate, ParameterLists::audioBitrate(), positionLine(lines, 0));
    restoreText(settings.audioRate, ParameterLists::audioRate(), positionLine(lines, 1));
    if (const auto channel = positionLine(lines, 2);
        channel && *channel >= 0 && static_cast<std::size_t>(*channel) < ParameterLists::channel().size())
        settings.channelIndex = static_cast<int>(*channel);
    if (lines.size() > 3) {
        settings.outputFolder = readField(lines[3]);
        // No folder a user picks holds control characters: such a line is
        // damage, not a folder to write into (or to save again).
        if (holdsControlCharacters(settings.outputFolder)) {
            qCWarning(lcSettings) << "setup.ini names an output folder with control characters; the default folder is used";
            settings.outputFolder.clear();
        }
    }
    if (const auto format = positionLine(lines, 4); format && formatAt(static_cast<int>(*format))
        && *format != settings.formatIndex)
        settings.selectFormat(static_cast<int>(*format));
    if (settings.outputFolder.isEmpty())
        settings.outputFolder = defaultOutputFolder;
}

QByteArray formatOptions(const AppOptions &options)
{
    QString text;
    for (const qint32 value : {qint32(options.finishSoundIndex), qint32(options.cutterEnabled),
                               options.cutStartSeconds, options.cutEndSeconds})
        text += QString::number(value) + u"\r\n";
    return text.toUtf8();
}

void applyOptions(const QStringList &lines, AppOptions &options)
{
    restoreNumber(options.finishSoundIndex, lines, 0);
    restoreNumber(options.cutterEnabled, lines, 1);
    restoreNumber(options.cutStartSeconds, lines, 2);
    restoreNumber(options.cutEndSeconds, lines, 3);
}

} // namespace sonvera::SettingsText
