#pragma once

#include "encoderstatus.h"
#include "translatabletext.h"

#include <QString>

namespace sonvera {

// Why a file did not convert, in the user's words, with what to do. Every
// front end shows these texts; the encoder's own last line is the detail.
namespace FailureTexts {
inline constexpr TranslatableText kNoOutput{"FailureTexts", QT_TRANSLATE_NOOP("FailureTexts", "没有生成输出文件")};
inline constexpr TranslatableText kNoFormat{"FailureTexts", QT_TRANSLATE_NOOP("FailureTexts", "没有选择输出格式")};
inline constexpr TranslatableText kNotAFile{
    "FailureTexts", QT_TRANSLATE_NOOP("FailureTexts", "不是普通文件（可能是管道、设备或套接字），无法转换")};
} // namespace FailureTexts

// The text for an encoder that exited with a failure status. `detail` is the
// encoder's last line; it is the whole story only when the status says
// nothing more specific.
QString encoderFailureText(EncoderExit kind, const QString &program, const QString &detail);

// The text for an encoder that ended by a signal it did not ask for.
QString encoderCrashText(const QString &program, int signal);

} // namespace sonvera
