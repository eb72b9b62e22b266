#pragma once

#include <QCoreApplication>
#include <QString>

namespace sonvera {

// A text marked for translation, translated each time it is shown, so that a
// constant can hold it. lupdate reads the marks, so write each one as
//   inline constexpr TranslatableText kDone{"ctx", QT_TRANSLATE_NOOP("ctx", "Done.")};
// with the same context twice.
struct TranslatableText {
    const char *context;
    const char *source; // UTF-8

    // The text in the language of the installed translations.
    QString toString() const { return QCoreApplication::translate(context, source); }
};

} // namespace sonvera
