#include "encoderfailure.h"

#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {


QString encoderFailureText(EncoderExit kind, const QString &program, const QString &detail)
{
    switch (kind) {
    case EncoderExit::Converted:
        break;
    case EncoderExit::BadSetting:
        return QCoreApplication::translate("FailureTexts", "参数无法使用，请检查视频和音频参数后重试");
    case EncoderExit::SourceUnreadable:
        return QCoreApplication::translate("FailureTexts", "无法读取源文件：文件不存在、不是普通文件或没有读取权限");
    case EncoderExit::OutputUnwritable:
        return QCoreApplication::translate("FailureTexts", "无法写入输出文件夹：请确认文件夹存在、可以写入并且磁盘有空间");
    case EncoderExit::NoVideo:
        return QCoreApplication::translate("FailureTexts", "文件中没有视频，请选择 MP3 格式只转换声音");
    case EncoderExit::NoAudio:
        return QCoreApplication::translate("FailureTexts", "文件中没有声音，无法转换成 MP3");
    case EncoderExit::UnsupportedCodec:
        return QCoreApplication::translate("FailureTexts", "本机的 ffmpeg 无法解码这个文件（HEVC、AV1 等新编码需要更新版本的 ffmpeg）");
    case EncoderExit::Damaged:
        return QCoreApplication::translate("FailureTexts", "文件已损坏，找不到可以读取的音视频数据");
    case EncoderExit::FfmpegMissing:
        return QCoreApplication::translate("FailureTexts", "没有找到 ffmpeg，请安装 Debian 软件包 ffmpeg");
    case EncoderExit::Failed:
        break;
    }
    if (!detail.isEmpty())
        return QCoreApplication::translate("FailureTexts", "转换失败：%1").arg(detail);
    return QCoreApplication::translate("FailureTexts", "转换失败：%1 出错退出").arg(program);
}

QString encoderCrashText(const QString &program, int signal)
{
    return QCoreApplication::translate("FailureTexts", "%1 意外退出 (信号 %2)").arg(program, QString::number(signal));
}

} // namespace sonvera
