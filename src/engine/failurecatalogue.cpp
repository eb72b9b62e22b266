#include "failurecatalogue.h"

#include <QCoreApplication>

#include <array>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

// "0:11", "12:05", "1:02:03": a place in a media file.
QString clockText(double seconds)
{
    const long long s = std::llround(std::max(seconds, 0.0));
    if (s >= 3600)
        return QString::asprintf("%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    return QString::asprintf("%lld:%02lld", s / 60, s % 60);
}

// What each setting is called in the parameter panel, by its key.
struct SettingLabel {
    QStringView key;
    const char *label;
};
constexpr std::array<SettingLabel, 7> kSettingLabels{{
    {u"video-bitrate", QT_TRANSLATE_NOOP("FailureTexts", "视频比特率")},
    {u"frame-rate", QT_TRANSLATE_NOOP("FailureTexts", "帧率")},
    {u"size", QT_TRANSLATE_NOOP("FailureTexts", "视频尺寸")},
    {u"audio-rate", QT_TRANSLATE_NOOP("FailureTexts", "声音频率")},
    {u"audio-bitrate", QT_TRANSLATE_NOOP("FailureTexts", "声音比特率")},
    {u"channels", QT_TRANSLATE_NOOP("FailureTexts", "声道")},
    {u"clip", QT_TRANSLATE_NOOP("FailureTexts", "截取范围")},
}};

QString settingLabel(const QString &key)
{
    for (const SettingLabel &entry : kSettingLabels) {
        if (entry.key == key)
            return QCoreApplication::translate("FailureTexts", entry.label);
    }
    return {};
}

// ffmpeg's line, when there is one, after our words.
QString withDetail(const QString &words, const FailureFacts &facts)
{
    if (facts.detail.isEmpty())
        return words;
    return QCoreApplication::translate("FailureTexts", "%1（ffmpeg：%2）").arg(words, facts.detail);
}

QString badSettingText(const FailureFacts &facts)
{
    const QString label = settingLabel(facts.setting);
    if (label.isEmpty())
        return QCoreApplication::translate("FailureTexts", "参数无法使用，请检查视频和音频参数后重试");
    if (facts.value.isEmpty())
        return QCoreApplication::translate("FailureTexts", "%1为空，请填写后重试").arg(label);
    return QCoreApplication::translate("FailureTexts", "%1“%2”无法使用，请检查视频和音频参数后重试").arg(label, facts.value);
}

QString unsupportedText(const FailureFacts &facts)
{
    if (facts.stream == u"audio")
        return QCoreApplication::translate("FailureTexts", "本机的 ffmpeg 无法解码其中的声音（%1），需要更新版本的 ffmpeg").arg(facts.codec);
    if (facts.stream != u"video" || facts.codec.isEmpty())
        return QCoreApplication::translate("FailureTexts", "本机的 ffmpeg 无法解码这个文件（HEVC、AV1 等新编码需要更新版本的 ffmpeg）");
    const QString text = QCoreApplication::translate("FailureTexts", "本机的 ffmpeg 无法解码其中的视频（%1），HEVC、AV1 等新编码需要更新版本的 ffmpeg").arg(facts.codec);
    return facts.soundUsable ? QCoreApplication::translate("FailureTexts", "%1；选择 MP3 格式仍可以转换其中的声音").arg(text) : text;
}

QString damagedText(const FailureFacts &facts)
{
    if (facts.stream == u"video")
        return withDetail(QCoreApplication::translate("FailureTexts", "文件已损坏：其中的视频无法读取，请确认它能播放并且是完整的"), facts);
    if (facts.stream == u"audio")
        return withDetail(QCoreApplication::translate("FailureTexts", "文件已损坏：其中的声音无法读取，请确认它能播放并且是完整的"), facts);
    return withDetail(QCoreApplication::translate("FailureTexts", "文件已损坏，找不到可以读取的音视频数据"), facts);
}

QString truncatedText(const FailureFacts &facts)
{
    const double end = facts.sourceEndSeconds.value_or(facts.convertedSeconds.value_or(0));
    const long long converted = std::llround(facts.convertedSeconds.value_or(end));
    // Less than half a second is less than a second, never "0 seconds".
    const QString text = converted > 0
        ? QCoreApplication::translate("FailureTexts", "源文件在 %1 处中断，可能没有下载完；只转换了前 %2 秒").arg(clockText(end), QString::number(converted))
        : QCoreApplication::translate("FailureTexts", "源文件在 %1 处中断，可能没有下载完；只转换了不到 1 秒").arg(clockText(end));
    return facts.output.isEmpty() ? text : QCoreApplication::translate("FailureTexts", "%1，已保存为 %2").arg(text, facts.output);
}

QString failedText(const FailureFacts &facts)
{
    if (!facts.detail.isEmpty())
        return QCoreApplication::translate("FailureTexts", "ffmpeg 无法用这些参数转换这个文件，请换一种格式、尺寸或比特率再试（ffmpeg：%1）").arg(facts.detail);
    if (!facts.program.isEmpty())
        return QCoreApplication::translate("FailureTexts", "转换失败：%1 出错退出（退出码 %2）").arg(facts.program, QString::number(facts.exitStatus));
    return QCoreApplication::translate("FailureTexts", "转换失败");
}

QString folderText(const char *withFolder, const char *without, const FailureFacts &facts)
{
    return facts.folder.isEmpty() ? QCoreApplication::translate("FailureTexts", without)
                                  : QCoreApplication::translate("FailureTexts", withFolder).arg(facts.folder);
}

} // namespace

QString failureText(FailureCode code, const FailureFacts &facts)
{
    switch (code) {
    case FailureCode::None:
    case FailureCode::Failed:
        return failedText(facts);
    case FailureCode::BadSetting:
        return badSettingText(facts);
    case FailureCode::SourceUnreadable:
        return facts.detail.isEmpty() ? QCoreApplication::translate("FailureTexts", "无法读取源文件：没有读取权限") : QCoreApplication::translate("FailureTexts", "无法读取源文件：%1").arg(facts.detail);
    case FailureCode::OutputUnwritable:
        return folderText(QT_TRANSLATE_NOOP("FailureTexts", "无法写入输出文件夹 %1：请确认它存在并且可以写入"),
                          QT_TRANSLATE_NOOP("FailureTexts", "无法写入输出文件夹：请确认它存在并且可以写入"), facts);
    case FailureCode::NoVideo:
        return QCoreApplication::translate("FailureTexts", "文件中没有视频，请选择 MP3 格式只转换声音");
    case FailureCode::NoAudio:
        return QCoreApplication::translate("FailureTexts", "文件中没有声音，无法转换成 MP3");
    case FailureCode::CodecUnsupported:
        return unsupportedText(facts);
    case FailureCode::SourceDamaged:
        return damagedText(facts);
    case FailureCode::FfmpegMissing:
        return QCoreApplication::translate("FailureTexts", "没有找到 ffmpeg，请安装 Debian 软件包 ffmpeg");
    case FailureCode::SourceTruncated:
        return truncatedText(facts);
    case FailureCode::DiskFull:
        return folderText(QT_TRANSLATE_NOOP("FailureTexts", "输出文件夹 %1 所在的磁盘已满，请腾出空间或选择其他输出文件夹"),
                          QT_TRANSLATE_NOOP("FailureTexts", "输出文件夹所在的磁盘已满，请腾出空间或选择其他输出文件夹"), facts);
    case FailureCode::TempDiskFull:
        return folderText(QT_TRANSLATE_NOOP("FailureTexts", "临时文件夹 %1 所在的磁盘已满，请腾出空间后重试"),
                          QT_TRANSLATE_NOOP("FailureTexts", "临时文件夹所在的磁盘已满，请腾出空间后重试"), facts);
    case FailureCode::OutputFolderMissing:
        return folderText(QT_TRANSLATE_NOOP("FailureTexts", "输出文件夹 %1 不存在，可能在转换时被删除或移走了"),
                          QT_TRANSLATE_NOOP("FailureTexts", "输出文件夹不存在，可能在转换时被删除或移走了"), facts);
    case FailureCode::OutputRemoved:
        return QCoreApplication::translate("FailureTexts", "转换中的输出文件被其他程序删除了，请重试");
    case FailureCode::FfmpegKilled:
        return QCoreApplication::translate("FailureTexts", "ffmpeg 被系统终止（信号 %1），可能是内存不足；请关闭其他程序后重试").arg(facts.signal);
    case FailureCode::TooManyFiles:
        return QCoreApplication::translate("FailureTexts", "打开的文件太多，无法开始转换；请减少同时转换的文件数");
    case FailureCode::SourceMissing:
        return QCoreApplication::translate("FailureTexts", "源文件不存在，可能已被移动或删除");
    case FailureCode::SourceNotAFile:
        return QCoreApplication::translate("FailureTexts", "不是普通文件（可能是文件夹、管道、设备或套接字），无法转换");
    case FailureCode::EncoderMissing:
        return QCoreApplication::translate("FailureTexts", "找不到编码程序 %1（%2），请重新安装 Sonvera").arg(facts.program, facts.detail);
    case FailureCode::EncoderCrashed:
        return QCoreApplication::translate("FailureTexts", "%1 意外退出 (信号 %2)").arg(facts.program, QString::number(facts.signal));
    case FailureCode::Stopped:
        return QCoreApplication::translate("FailureTexts", "转换被其他程序中止");
    case FailureCode::NotCopied:
        return QCoreApplication::translate("FailureTexts", "源文件的音视频流不能直接复制到这种格式");
    case FailureCode::CannotStart:
        // Nothing is missing: the system had no process slot or memory left.
        return QCoreApplication::translate("FailureTexts", "系统资源不足，无法启动 %1（%2）；请关闭一些程序或减少同时转换的文件数后重试")
            .arg(facts.program.isEmpty() ? u"ffmpeg"_s : facts.program, facts.detail);
    case FailureCode::NoFormat:
        return QCoreApplication::translate("FailureTexts", "没有选择输出格式");
    case FailureCode::NoWorkFolder:
        return folderText(QT_TRANSLATE_NOOP("FailureTexts", "无法创建或写入临时文件夹 %1"),
                          QT_TRANSLATE_NOOP("FailureTexts", "无法创建或写入临时文件夹"), facts);
    case FailureCode::NoOutput:
        return QCoreApplication::translate("FailureTexts", "没有生成输出文件");
    }
    return failedText(facts);
}

FileFailure fileFailure(FailureCode code, const FailureFacts &facts, const QString &outputPath)
{
    return {code, failureText(code, facts), outputPath};
}

QString headerNoteText(const HeaderNote &note)
{
    //: %1 is how long the file's data lasts, %2 the length its header claims, both as 0:33.
    return QCoreApplication::translate("FailureTexts", "文件头声称长 %2，实际只有 %1 的内容；已全部转换")
        .arg(note.holdsSeconds < 0.5 ? QCoreApplication::translate("FailureTexts", "不到 1 秒") : clockText(note.holdsSeconds),
             clockText(note.declaredSeconds));
}

} // namespace sonvera
