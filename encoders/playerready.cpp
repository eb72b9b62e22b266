#include "playerready.h"

#include "id3tag.h"
#include "realmediaindex.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

namespace {

FailureReason writeFailure(const QString &what, const QString &error, int errorNumber, const QString &path)
{
    FailureReason reason;
    reason.aboutOutput = true;
    reason.code = errorNumber == ENOSPC ? FailureCode::DiskFull : FailureCode::Failed;
    reason.cause = what + u": "_s + error;
    reason.facts.detail = error;
    if (reason.code == FailureCode::DiskFull)
        reason.facts.folder = QFileInfo(path).absolutePath();
    return reason;
}

} // namespace

QStringList playerReadyArguments(QStringView muxer)
{
    if (muxer == u"mp3")
        return {u"-map_metadata"_s, u"-1"_s, u"-write_id3v2"_s, u"0"_s};
    return {};
}

QStringList unreadableTagArguments(const coding::FormatCoding *row, const InputInfo &input)
{
    QStringList args;
    if (!row || row->key != u"avi")
        return args;
    for (const QStringView key : {u"title", u"artist", u"comment"}) {
        const QString text = input.tag(key);
        const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
        if (!ascii)
            args << u"-metadata"_s << key.toString() + u'=';
    }
    return args;
}

std::optional<FailureReason> makePlayerReady(QStringView muxer, const InputInfo *input, const QString &path)
{
    QString error;
    int errorNumber = 0;
    if (muxer == u"rm") {
        if (!addSeekIndex(path, error, &errorNumber))
            return writeFailure(u"the seek index could not be added to the RealMedia output"_s, error, errorNumber, path);
        return std::nullopt;
    }
    if (muxer == u"mp3" && input) {
        const QString artist = input->tag(u"artist");
        const QByteArray tag = id3v23Tag(input->tag(u"title"), artist.isEmpty() ? input->tag(u"author") : artist,
                                         input->tag(u"comment"));
        if (!tag.isEmpty() && !prependToFile(path, tag, error, &errorNumber))
            return writeFailure(u"the title, artist and comment could not be added to the MP3 output"_s, error, errorNumber, path);
    }
    return std::nullopt;
}

} // namespace sonvera::encoders
