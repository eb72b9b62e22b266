#include "encoderstatus.h"

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {
constexpr QStringView kWrote = u": wrote \"";
}

EncoderExit encoderExitFromStatus(int exitStatus)
{
    if (exitStatus >= 0 && exitStatus <= static_cast<int>(EncoderExit::FfmpegMissing))
        return static_cast<EncoderExit>(exitStatus);
    return EncoderExit::Failed;
}

QString publishedLine(QStringView program, QStringView fileName)
{
    return program + kWrote + fileName + u'"';
}

std::optional<QString> publishedFileName(QStringView output)
{
    // Lines end in "\n" or, for status lines, "\r"; the name line is whole.
    qsizetype end = output.size();
    while (end > 0) {
        qsizetype start = end - 1;
        while (start >= 0 && output[start] != u'\n' && output[start] != u'\r')
            --start;
        const QStringView line = output.sliced(start + 1, end - start - 1);
        const qsizetype at = line.indexOf(kWrote);
        if (at > 0 && line.endsWith(u'"') && line.size() > at + kWrote.size())
            return line.sliced(at + kWrote.size(), line.size() - at - kWrote.size() - 1).toString();
        end = start;
    }
    return std::nullopt;
}

} // namespace sonvera
