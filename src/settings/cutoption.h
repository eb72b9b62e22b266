#pragma once

#include "encodercommands.h"

#include <QString>

#include <optional>

namespace sonvera {

// Reads a clip range written "START-END" for sonvera-cli's --cut. Each side is
// whole seconds ("95"), m:ss ("1:35") or h:mm:ss ("0:01:35"); minutes and
// seconds after a colon take two digits below 60. Blanks around the sides are
// allowed. Returns nullopt when the text is malformed, a time does not fit in
// 32 bits, or END does not lie after START; `error` (when given) then says why
// in a sentence for the user.
std::optional<ClipRange> parseCutOption(const QString &text, QString *error = nullptr);

} // namespace sonvera
