#pragma once

#include <QString>
#include <QList>

// True when `text` holds a Chinese, Japanese or Korean character or CJK
// punctuation (full-width colons, commas and brackets included): what an
// English text must not show.
inline bool hasCjk(QStringView text)
{
    const QList<uint> characters = text.toUcs4();
    for (const uint c : characters) {
        if ((c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF)
            || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF))
            return true;
    }
    return false;
}
