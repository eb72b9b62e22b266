#include "encoderfailure.h"

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

QString encoderFailureText(EncoderExit kind, const QString &program, const QString &detail)
{
    switch (kind) {
    case EncoderExit::Converted:
        break;
    case EncoderExit::BadSetting:
        return u"参数无法使用，请检查视频和音频参数后重试"_s;
    case EncoderExit::SourceUnreadable:
        return u"无法读取源文件：文件不存在、不是普通文件或没有读取权限"_s;
    case EncoderExit::OutputUnwritable:
        return u"无法写入输出文件夹：请确认文件夹存在、可以写入并且磁盘有空间"_s;
    case EncoderExit::NoVideo:
        return u"文件中没有视频，请选择 MP3 格式只转换声音"_s;
    case EncoderExit::NoAudio:
        return u"文件中没有声音，无法转换成 MP3"_s;
    case EncoderExit::UnsupportedCodec:
        return u"本机的 ffmpeg 无法解码这个文件（HEVC、AV1 等新编码需要更新版本的 ffmpeg）"_s;
    case EncoderExit::Damaged:
        return u"文件已损坏，找不到可以读取的音视频数据"_s;
    case EncoderExit::FfmpegMissing:
        return u"没有找到 ffmpeg，请安装 Debian 软件包 ffmpeg"_s;
    case EncoderExit::Failed:
        break;
    }
    if (!detail.isEmpty())
        return u"转换失败："_s + detail;
    return u"转换失败："_s + program + u" 出错退出"_s;
}

QString encoderCrashText(const QString &program, int signal)
{
    return program + u" 意外退出 (信号 "_s + QString::number(signal) + u')';
}

} // namespace sonvera
