#include "encoderstatus.h"

#include <QList>

#include <array>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

struct CodeName {
    FailureCode code;
    QStringView name;
};

constexpr std::array<CodeName, 26> kNames{{
    {FailureCode::Failed, u"failed"},
    {FailureCode::BadSetting, u"bad-setting"},
    {FailureCode::SourceUnreadable, u"source-unreadable"},
    {FailureCode::OutputUnwritable, u"output-unwritable"},
    {FailureCode::NoVideo, u"no-video"},
    {FailureCode::NoAudio, u"no-audio"},
    {FailureCode::CodecUnsupported, u"codec-unsupported"},
    {FailureCode::SourceDamaged, u"source-damaged"},
    {FailureCode::FfmpegMissing, u"ffmpeg-missing"},
    {FailureCode::SourceTruncated, u"source-truncated"},
    {FailureCode::DiskFull, u"disk-full"},
    {FailureCode::TempDiskFull, u"temp-disk-full"},
    {FailureCode::OutputFolderMissing, u"output-folder-missing"},
    {FailureCode::OutputRemoved, u"output-removed"},
    {FailureCode::FfmpegKilled, u"ffmpeg-killed"},
    {FailureCode::TooManyFiles, u"too-many-files"},
    {FailureCode::SourceMissing, u"source-missing"},
    {FailureCode::SourceNotAFile, u"source-not-a-file"},
    {FailureCode::EncoderMissing, u"encoder-missing"},
    {FailureCode::EncoderCrashed, u"encoder-crashed"},
    {FailureCode::Stopped, u"stopped"},
    {FailureCode::NotCopied, u"not-copied"},
    {FailureCode::CannotStart, u"cannot-start"},
    {FailureCode::NoFormat, u"no-format"},
    {FailureCode::NoWorkFolder, u"no-work-folder"},
    {FailureCode::NoOutput, u"no-output"},
}};

// The last encoder causes an exit status can carry.
constexpr int kLastEncoderCode = int(FailureCode::CannotStart);

constexpr QStringView kWrote = u": wrote ";
constexpr QStringView kFailure = u": failure ";
constexpr QStringView kCopying = u": copying the streams";
constexpr QStringView kHeaderNote = u": header claims more ";

// The lines of `output`, last first; "\r" ends a line as "\n" does.
template<typename Visit>
void visitLinesBackwards(QStringView output, Visit visit)
{
    qsizetype end = output.size();
    while (end > 0) {
        qsizetype start = end - 1;
        while (start >= 0 && output[start] != u'\n' && output[start] != u'\r')
            --start;
        if (visit(output.sliced(start + 1, end - start - 1)))
            return;
        end = start;
    }
}

// The rest of `line` after "PROGRAM" and `tag`, where PROGRAM is a program's
// name: the line of an encoder, not a text that merely holds the tag.
std::optional<QStringView> afterProgram(QStringView line, QStringView tag)
{
    const qsizetype at = line.indexOf(tag);
    if (at <= 0)
        return std::nullopt;
    for (QChar c : line.first(at)) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'_' && c != u'-' && c != u'.')
            return std::nullopt;
    }
    return line.sliced(at + tag.size());
}

QString secondsText(double seconds)
{
    return QString::number(seconds, 'f', 2);
}

// The facts a report line carries, by their key there.
struct SecondsField {
    QStringView key;
    std::optional<double> FailureFacts::*member;
};
constexpr std::array<SecondsField, 3> kSecondsFields{{
    {u"source-end", &FailureFacts::sourceEndSeconds},
    {u"converted", &FailureFacts::convertedSeconds},
    {u"declared", &FailureFacts::declaredSeconds},
}};
struct TextField {
    QStringView key;
    QString FailureFacts::*member;
};
constexpr std::array<TextField, 7> kTextFields{{
    {u"output", &FailureFacts::output},
    {u"stream", &FailureFacts::stream},
    {u"codec", &FailureFacts::codec},
    {u"setting", &FailureFacts::setting},
    {u"value", &FailureFacts::value},
    {u"folder", &FailureFacts::folder},
    {u"detail", &FailureFacts::detail},
}};

// One "key=value" of a report line; a quoted value runs to its closing quote.
struct Field {
    QStringView key;
    QString value;
};

// Splits the fields of a report line; nothing when one is malformed.
std::optional<QList<Field>> splitFields(QStringView text)
{
    QList<Field> fields;
    qsizetype at = 0;
    while (at < text.size()) {
        if (text[at] == u' ') {
            ++at;
            continue;
        }
        const qsizetype eq = text.indexOf(u'=', at);
        if (eq <= at)
            return std::nullopt;
        const QStringView key = text.sliced(at, eq - at);
        qsizetype end = eq + 1;
        if (end < text.size() && text[end] == u'"') {
            ++end;
            while (end < text.size() && text[end] != u'"')
                end += text[end] == u'\\' ? 2 : 1;
            if (end >= text.size())
                return std::nullopt;
            const std::optional<QString> value = unquotedText(text.sliced(eq + 1, end - eq));
            if (!value)
                return std::nullopt;
            fields.append({key, *value});
            at = end + 1;
        } else {
            while (end < text.size() && text[end] != u' ')
                ++end;
            fields.append({key, text.sliced(eq + 1, end - eq - 1).toString()});
            at = end;
        }
    }
    return fields;
}

std::optional<double> secondsField(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::optional<EncoderReport> parseReport(QStringView text)
{
    const qsizetype space = text.indexOf(u' ');
    const std::optional<FailureCode> code = failureCodeFromName(space < 0 ? text : text.first(space));
    if (!code)
        return std::nullopt;
    const std::optional<QList<Field>> fields = splitFields(space < 0 ? QStringView() : text.sliced(space + 1));
    if (!fields)
        return std::nullopt;
    EncoderReport report{*code, {}};
    FailureFacts &f = report.facts;
    for (const Field &field : *fields) {
        for (const SecondsField &known : kSecondsFields) {
            if (field.key == known.key)
                f.*known.member = secondsField(field.value);
        }
        for (const TextField &known : kTextFields) {
            if (field.key == known.key)
                f.*known.member = field.value;
        }
        if (field.key == u"signal")
            f.signal = field.value.toInt();
        else if (field.key == u"sound")
            f.soundUsable = field.value == u"usable";
    }
    return report;
}

} // namespace

FailureFacts settingFacts(const QString &setting, const QString &value)
{
    FailureFacts facts;
    facts.setting = setting;
    facts.value = value;
    return facts;
}

QString failureCodeName(FailureCode code)
{
    for (const CodeName &entry : kNames) {
        if (entry.code == code)
            return entry.name.toString();
    }
    return {};
}

std::optional<FailureCode> failureCodeFromName(QStringView name)
{
    for (const CodeName &entry : kNames) {
        if (entry.name == name)
            return entry.code;
    }
    return std::nullopt;
}

FailureCode failureCodeFromExitStatus(int exitStatus)
{
    if (exitStatus >= 0 && exitStatus <= kLastEncoderCode)
        return static_cast<FailureCode>(exitStatus);
    return FailureCode::Failed;
}

QString quotedText(QStringView text)
{
    QString out = u"\""_s;
    for (QChar c : text) {
        switch (c.unicode()) {
        case '\\': out += u"\\\\"_s; break;
        case '"': out += u"\\\""_s; break;
        case '\n': out += u"\\n"_s; break;
        case '\r': out += u"\\r"_s; break;
        case '\t': out += u"\\t"_s; break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                out += u"\\x"_s + QString::number(c.unicode(), 16).rightJustified(2, u'0');
            else
                out += c;
        }
    }
    return out + u'"';
}

std::optional<QString> unquotedText(QStringView quoted)
{
    if (quoted.size() < 2 || !quoted.startsWith(u'"') || !quoted.endsWith(u'"'))
        return std::nullopt;
    const QStringView inner = quoted.sliced(1, quoted.size() - 2);
    QString out;
    for (qsizetype i = 0; i < inner.size(); ++i) {
        const QChar c = inner[i];
        if (c == u'"')
            return std::nullopt;
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (++i >= inner.size())
            return std::nullopt;
        switch (inner[i].unicode()) {
        case '\\': out += u'\\'; break;
        case '"': out += u'"'; break;
        case 'n': out += u'\n'; break;
        case 'r': out += u'\r'; break;
        case 't': out += u'\t'; break;
        case 'x': {
            bool ok = false;
            const int value = i + 2 < inner.size() ? inner.sliced(i + 1, 2).toInt(&ok, 16) : 0;
            if (!ok)
                return std::nullopt;
            out += QChar(value);
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

QString failureReportLine(QStringView program, const EncoderReport &report)
{
    const FailureFacts &f = report.facts;
    QString line = program + kFailure + failureCodeName(report.code);
    auto number = [&line](QStringView key, const std::optional<double> &seconds) {
        if (seconds)
            line += u' ' + key + u'=' + secondsText(*seconds);
    };
    auto text = [&line](QStringView key, const QString &value) {
        if (!value.isEmpty())
            line += u' ' + key + u'=' + quotedText(value);
    };
    for (const SecondsField &field : kSecondsFields)
        number(field.key, f.*field.member);
    for (const TextField &field : kTextFields)
        text(field.key, f.*field.member);
    if (f.signal > 0)
        line += u" signal="_s + QString::number(f.signal);
    if (f.soundUsable)
        line += u" sound=usable"_s;
    return line;
}

std::optional<EncoderReport> lastFailureReport(QStringView output)
{
    std::optional<EncoderReport> found;
    visitLinesBackwards(output, [&found](QStringView line) {
        if (const std::optional<QStringView> rest = afterProgram(line, kFailure))
            found = parseReport(*rest);
        return found.has_value();
    });
    return found;
}

QString streamCopyLine(QStringView program)
{
    return program + kCopying;
}

bool announcesStreamCopy(QStringView output)
{
    bool found = false;
    visitLinesBackwards(output, [&found](QStringView line) {
        const std::optional<QStringView> rest = afterProgram(line, kCopying);
        found = rest && rest->isEmpty();
        return found;
    });
    return found;
}

QString publishedLine(QStringView program, QStringView fileName)
{
    return program + kWrote + quotedText(fileName);
}

std::optional<QString> publishedFileName(QStringView output)
{
    std::optional<QString> found;
    visitLinesBackwards(output, [&found](QStringView line) {
        if (const std::optional<QStringView> rest = afterProgram(line, kWrote))
            found = unquotedText(*rest);
        return found.has_value() && !found->isEmpty();
    });
    if (found && found->isEmpty())
        return std::nullopt;
    return found;
}

QString headerNoteLine(QStringView program, const HeaderNote &note)
{
    return program + kHeaderNote + u"holds="_s + secondsText(note.holdsSeconds) + u" declared="_s
        + secondsText(note.declaredSeconds);
}

std::optional<HeaderNote> lastHeaderNote(QStringView output)
{
    std::optional<HeaderNote> found;
    visitLinesBackwards(output, [&found](QStringView line) {
        const std::optional<QStringView> rest = afterProgram(line, kHeaderNote);
        if (!rest)
            return false;
        std::optional<double> holds, declared;
        for (const QStringView field : rest->split(u' ', Qt::SkipEmptyParts)) {
            if (field.startsWith(u"holds="))
                holds = secondsField(field.sliced(6).toString());
            else if (field.startsWith(u"declared="))
                declared = secondsField(field.sliced(9).toString());
        }
        if (holds && declared && *holds >= 0 && *declared > *holds)
            found = HeaderNote{*holds, *declared};
        return true;
    });
    return found;
}

} // namespace sonvera
