#pragma once

#include "conversionsettings.h"

#include <QList>
#include <QString>

#include <optional>

namespace sonvera {

// The room a batch needs on a disk it writes to, against the room there is,
// estimated before it starts from each file's length and the format's
// bitrates. An estimate: a source coded below the bitrates asked for, or
// copied, takes less.
struct SpaceShortfall {
    QString folder;        // the folder whose disk is short: the output folder or the temporary folder
    bool temporary = false; // the temporary folder (the intermediate of two-stage formats)
    qint64 neededBytes = 0;
    qint64 freeBytes = 0;
};

// Bytes a file of `seconds` takes in the settings' format: its video and
// sound bitrates (those a format fixes when it ignores the fields), with a
// twentieth more for the container. Nothing when no format is picked.
std::optional<qint64> estimatedOutputBytes(const ConversionSettings &settings, double seconds);

// What the disks of the output folder (all outputs together) and, for a
// two-stage format, the temporary folder (the largest intermediate, one at a
// time per parallel job) lack for files of `seconds` each; files whose length
// is not known count nothing. A folder that does not exist yet is measured
// by the nearest one above it that does. `direct` is the one-stage route (no
// intermediate).
QList<SpaceShortfall> batchSpaceShortfalls(const ConversionSettings &settings, bool direct, const QList<double> &seconds,
                                           const QString &outputFolder, const QString &temporaryFolder, int jobs = 1);

// "输出文件夹 … 所在的磁盘大约需要 1.2 GB，只剩 300 MB" in the user's language.
QString spaceShortfallText(const SpaceShortfall &shortfall);

} // namespace sonvera
