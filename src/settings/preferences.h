#pragma once

#include "afterbatchaction.h"
#include "conversionsettings.h"
#include "uilanguage.h"

#include <QString>

namespace sonvera {

// The options that options.ini has no room for, kept beside it in a file of
// their own (preferences.ini, written with QSettings), so that setup.ini and
// options.ini stay exactly as the program has always written them.
struct Preferences {
    int parallelJobs = 1; // files converted at once; 0: as many as the computer has cores
    AfterBatchAction afterBatch = AfterBatchAction::None;
    LanguageOption language = LanguageOption::Automatic; // 界面语言; applies at the next start
    ConversionChoices choices; // the one-stage route, remux, dates and folder trees
    QString lastFolder; // where the last file or folder dialog was answered; "" for none yet

    // The number of files to convert at once: parallelJobs, 0 meaning the
    // computer's cores.
    int effectiveJobs() const;

    // The preferences of `settingsFolder`; the defaults for whatever the file
    // does not hold or holds out of range.
    static Preferences load(const QString &settingsFolder);
    // Writes them atomically; false (and a log line) when that failed.
    bool save(const QString &settingsFolder) const;
    static QString pathIn(const QString &settingsFolder);

    friend bool operator==(const Preferences &, const Preferences &) = default;
};

} // namespace sonvera
