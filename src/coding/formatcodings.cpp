#include "formatcodings.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::coding {

QString FrameRate::text() const
{
    return den == 1 ? QString::number(num) : QString::number(num) + u'/' + QString::number(den);
}

QStringView encoderName(Encoder encoder)
{
    switch (encoder) {
    case Encoder::Conv: return u"conv";
    case Encoder::Coder: return u"coder";
    case Encoder::Coder2: return u"coder2";
    }
    return {};
}

const FormatCoding *formatCoding(QStringView key)
{
    for (const FormatCoding *entry : kFormatCodings) {
        const FormatCoding &row = *entry;
        if (row.key == key)
            return &row;
    }
    return nullptr;
}

const FormatCoding *codingForOutput(bool mencoderStyle, QStringView fileName, QStringView muxer)
{
    const FormatCoding *byMuxer = nullptr;
    for (const FormatCoding *entry : kFormatCodings) {
        const FormatCoding &row = *entry;
        if ((row.encoder == Encoder::Conv) != mencoderStyle)
            continue;
        // The intermediate is known by its whole name, the others by their extension.
        const bool whole = !row.extension.startsWith(u'.');
        const bool named = whole ? fileName == row.extension || fileName.endsWith(QString(u'/' + row.extension))
                                 : fileName.endsWith(row.extension, Qt::CaseInsensitive);
        if (named && (muxer.isEmpty() || row.muxer == muxer))
            return &row;
        if (!byMuxer && !whole && row.muxer == muxer)
            byMuxer = &row;
    }
    return byMuxer;
}

bool isNamed(const VideoCoding &coding, QStringView legacyName)
{
    const auto names = coding.legacyNames.values();
    return std::find(names.begin(), names.end(), legacyName) != names.end();
}

bool isNamed(const AudioCoding &coding, QStringView legacyName)
{
    const auto names = coding.legacyNames.values();
    return std::find(names.begin(), names.end(), legacyName) != names.end();
}

} // namespace sonvera::coding
