#include "cutoption.h"

#include <QCoreApplication>
#include <QStringList>

#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

bool allDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// Seconds of one side: "95", "1:35" or "0:01:35".
std::optional<qint64> parseTime(QStringView text)
{
    const QList<QStringView> parts = text.trimmed().split(u':');
    if (parts.size() > 3)
        return std::nullopt;
    // A number with more digits than this cannot be a valid time anyway.
    constexpr qsizetype kMaxDigits = 12;
    if (!allDigits(parts[0]) || parts[0].size() > kMaxDigits)
        return std::nullopt;
    qint64 total = parts[0].toLongLong();
    for (qsizetype i = 1; i < parts.size(); ++i) {
        if (parts[i].size() != 2 || !allDigits(parts[i]))
            return std::nullopt;
        const qint64 field = parts[i].toLongLong();
        if (field >= 60)
            return std::nullopt;
        total = total * 60 + field;
    }
    if (total > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return total;
}

} // namespace

std::optional<ClipRange> parseCutOption(const QString &text, QString *error)
{
    auto fail = [error](const QString &why) -> std::optional<ClipRange> {
        if (error)
            *error = why;
        return std::nullopt;
    };

    const QList<QStringView> sides = QStringView(text).split(u'-');
    if (sides.size() != 2)
        return fail(QCoreApplication::translate("sonvera::CutOption", "--cut 的值是 START-END，例如 30-95 或 0:30-1:35"));
    const std::optional<qint64> start = parseTime(sides[0]);
    const std::optional<qint64> end = parseTime(sides[1]);
    if (!start || !end)
        return fail(QCoreApplication::translate(
            "sonvera::CutOption", "--cut：时间写作整秒数、m:ss 或 h:mm:ss（例如 95、1:35、0:01:35）"));
    if (*end <= *start)
        return fail(QCoreApplication::translate("sonvera::CutOption", "--cut：结束时间必须晚于开始时间"));
    return ClipRange{static_cast<int>(*start), static_cast<int>(*end)};
}

} // namespace sonvera
