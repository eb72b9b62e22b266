#include "spacecheck.h"

#include "formats.h"
#include "settinguse.h"
#include "textnumber.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStorageInfo>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

// The intermediate of the two-stage formats codes its picture at 1200 kbit/s
// and its sound with LAME's preset 320 (formatcodings.cpp).
constexpr double kIntermediateKbps = 1200 + 320;
// What a format that fixes its own bitrates is taken to use.
constexpr double kFixedVideoKbps = 1200;
constexpr double kFixedAudioKbps = 320;
// Headers, indexes and padding of the containers.
constexpr double kContainerShare = 1.05;

qint64 bytesFor(double kbps, double seconds)
{
    return qint64(kbps * 1000 / 8 * seconds * kContainerShare);
}

struct Disk {
    qint64 freeBytes = 0;
    QByteArray device; // which disk: two folders on one share its room
};

// The disk that holds `folder`, or the nearest folder above it that exists;
// nothing when none can be measured.
std::optional<Disk> diskOf(const QString &folder)
{
    QFileInfo info(folder);
    while (!info.exists()) {
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath())
            return std::nullopt;
        info = QFileInfo(parent);
    }
    const QStorageInfo storage(info.absoluteFilePath());
    if (!storage.isValid() || !storage.isReady())
        return std::nullopt;
    return Disk{storage.bytesAvailable(), storage.device() + storage.rootPath().toUtf8()};
}

} // namespace

std::optional<qint64> estimatedOutputBytes(const ConversionSettings &settings, double seconds)
{
    const FormatInfo *format = formatAt(settings.formatIndex);
    if (!format)
        return std::nullopt;
    double kbps = 0;
    if (!format->isAudioOnly()) {
        kbps += unusedSetting(settings, Setting::VideoBitrate) ? kFixedVideoKbps
                                                               : std::max(leadingNumber(settings.videoBitrate), 0.0);
    }
    kbps += unusedSetting(settings, Setting::AudioBitrate) ? kFixedAudioKbps
                                                           : std::max(leadingNumber(settings.audioBitrate), 0.0);
    return bytesFor(kbps, std::max(seconds, 0.0));
}

QList<SpaceShortfall> batchSpaceShortfalls(const ConversionSettings &settings, bool direct, const QList<double> &seconds,
                                           const QString &outputFolder, const QString &temporaryFolder, int jobs)
{
    const FormatInfo *format = formatAt(settings.formatIndex);
    if (!format)
        return {};
    qint64 outputs = 0;
    QList<double> known;
    for (const double s : seconds) {
        if (s > 0) {
            outputs += estimatedOutputBytes(settings, s).value_or(0);
            known << s;
        }
    }
    qint64 intermediates = 0;
    if (format->isTwoStage() && !direct) {
        // Each intermediate goes when its file ends: the longest files at once, one per job.
        std::sort(known.begin(), known.end(), std::greater<>());
        for (qsizetype i = 0; i < std::min<qsizetype>(known.size(), std::max(jobs, 1)); ++i)
            intermediates += bytesFor(kIntermediateKbps, known.at(i));
    }
    QList<SpaceShortfall> shortfalls;
    const std::optional<Disk> output = diskOf(outputFolder);
    const std::optional<Disk> temporary = intermediates > 0 ? diskOf(temporaryFolder) : std::nullopt;
    if (output && temporary && output->device == temporary->device) {
        // One disk holds both.
        if (outputs + intermediates > output->freeBytes)
            shortfalls.append({outputFolder, false, outputs + intermediates, output->freeBytes});
        return shortfalls;
    }
    if (output && outputs > output->freeBytes)
        shortfalls.append({outputFolder, false, outputs, output->freeBytes});
    if (temporary && intermediates > temporary->freeBytes)
        shortfalls.append({temporaryFolder, true, intermediates, temporary->freeBytes});
    return shortfalls;
}

QString spaceShortfallText(const SpaceShortfall &shortfall)
{
    const QLocale locale;
    const QString needed = locale.formattedDataSize(shortfall.neededBytes, 1, QLocale::DataSizeTraditionalFormat);
    const QString free = locale.formattedDataSize(shortfall.freeBytes, 1, QLocale::DataSizeTraditionalFormat);
    if (shortfall.temporary) {
        //: %1 is a folder, %2 and %3 sizes such as "1.2 GB".
        return QCoreApplication::translate("SpaceCheck", "临时文件夹 %1 所在的磁盘大约需要 %2，只剩 %3")
            .arg(shortfall.folder, needed, free);
    }
    //: %1 is a folder, %2 and %3 sizes such as "1.2 GB".
    return QCoreApplication::translate("SpaceCheck", "输出文件夹 %1 所在的磁盘大约需要 %2，只剩 %3")
        .arg(shortfall.folder, needed, free);
}

} // namespace sonvera
