#pragma once

#include "afterbatchaction.h"
#include "appoptions.h"
#include "batchdriver.h"
#include "spacecheck.h"
#include "batchjournal.h"
#include "conversionsettings.h"
#include "filelist.h"
#include "mediaprobe.h"
#include "preferences.h"
#include "rowfeeder.h"
#include "settingsstore.h"
#include "shellcontext.h"

#include <QObject>

#include <functional>

namespace sonvera {

// The life of the window's batches, apart from the window, which shows it:
// the list and its settings, the start and stop of a batch, the journal that
// keeps the list across a crash, what follows the end of a batch (the failure
// summary, the after-batch action, the notification through the desktop
// session), and the orderly end of the program (the settings saved, this
// run's temporary files removed). No widgets: the window shows what the
// signals ask for and reports the answers.
//
// The life of the program:
//   startUp()             sweeps what dead runs left, reads the journal in the
//                         background: leftOverFound() (the window asks) or readyForFiles()
//   answerLeftOver(yes)   restores the list and its settings, or lets them go;
//                         readyForFiles(); from now on the journal follows the list
//   start() / stop()      a batch; its end gives failureSummaryRequested() and/or
//                         powerCountdownRequested()
//   prepareToClose()      true: the program may end; false: a batch is being
//                         stopped first, readyToClose() follows
//
// Converted rows stay in the list, done, until the next batch starts; every
// row added is probed in the background for its length, picture size, size
// on disk and thumbnail.
class BatchController final : public QObject {
    Q_OBJECT

public:
    enum class Severity { Warning, Critical };

    // Loads setup.ini, options.ini and preferences.ini of the context's
    // settings folder; nothing is written yet.
    explicit BatchController(const ShellContext &context, QObject *parent = nullptr);
    ~BatchController() override;

    // What a batch works on; the window's views and dialogs edit them.
    FileList &list() { return m_list; }
    // Every adding route goes through it, so that rows keep the order they were given in.
    RowFeeder &feeder() { return m_feeder; }
    ConversionSettings &settings() { return m_settings; }
    const ConversionSettings &settings() const { return m_settings; }
    AppOptions &options() { return m_options; }
    Preferences &preferences() { return m_preferences; }
    const Preferences &preferences() const { return m_preferences; }
    const SettingsStore &store() const { return m_store; }
    BatchDriver &driver() { return m_driver; }
    BatchJournal &journal() { return m_journal; }

    // Whether the window has the focus when a batch ends (no notification then).
    void setWindowActiveProbe(std::function<bool()> probe) { m_windowActive = std::move(probe); }

    void startUp();
    // The answer to the question of leftOverFound().
    void answerLeftOver(bool restore);
    // The settings were edited (the panel, the folder browser).
    void settingsEdited();
    // Puts `settings` in place of the current ones and shows them.
    void replaceSettings(const ConversionSettings &settings);
    // A file or folder dialog was answered in `folder`: the next one opens there.
    void rememberFolder(const QString &folder);
    MediaProbe &probe() { return m_probe; }

    // Starts a batch with the preferences' number of workers. False when the
    // list is empty (the window says so) or a batch is under way.
    bool start();
    // What the disks lack for the files about to convert, by the estimate of
    // spacecheck.h (lengths the probe has found); empty when they fit.
    QList<SpaceShortfall> spaceShortfalls() const;
    void stop();
    bool isBusy() const { return m_driver.isBusy(); }

    // The countdown of powerCountdownRequested() ran out, or was cancelled.
    void confirmPowerAction();
    void cancelPowerAction();
    // What the computer can do after a batch (nothing without a desktop session).
    AfterBatchSupport afterBatchSupport() const;

    // What Exit has always saved: setup.ini. False when writing failed (logged).
    bool saveSettings() const;
    // An orderly close (Exit, the title bar's ×, Alt+F4, the window manager,
    // SIGTERM, logout): true once the program may end, having saved the
    // settings and removed this run's temporary files; false while a running
    // batch is stopped first, and readyToClose() follows. The journal goes
    // with a clean end; it keeps the files a stopped batch or an unanswered
    // restore question left, for the next start to offer back.
    bool prepareToClose();

Q_SIGNALS:
    // The last run left `fileCount` files unconverted: ask whether to restore them.
    void leftOverFound(int fileCount);
    // Files given at start-up may be added now (after any restored rows).
    void readyForFiles();
    // The settings were replaced (restored): show them again.
    void settingsReplaced();
    void messageRequested(sonvera::BatchController::Severity severity, const QString &text);
    // A batch left files unconverted; `note` says what that changed (no power action), or is empty.
    void failureSummaryRequested(const sonvera::BatchSummary &summary, const QString &note);
    // A batch converted every file and the option asks for `action`: show the
    // countdown, then confirmPowerAction() or cancelPowerAction().
    void powerCountdownRequested(sonvera::AfterBatchAction action);
    void afterBatchSupportChanged();
    void readyToClose();
    // A folder should have opened in the file manager, but nothing on this
    // computer opens folders: the window says so and where the folder is.
    void folderNotOpened(const QString &folder);

private:
    void connectDriver();
    void connectDesktopSession();
    void connectJournal();
    void connectProbe();
    void openFolder(const QString &folder);
    // What the journal keeps now: the list and the settings.
    JournalContents journalContents() const;
    void onLeftOverLoaded(const JournalContents &contents);
    void restore(const JournalContents &contents);
    void onBatchFinished(const BatchSummary &summary);
    void removeTemporaryFiles();

    ShellContext m_context;
    ConversionSettings m_settings;
    AppOptions m_options;
    Preferences m_preferences;
    SettingsStore m_store;
    FileList m_list;
    RowFeeder m_feeder{m_list};
    BatchDriver m_driver;
    BatchJournal m_journal;
    MediaProbe m_probe;
    std::function<bool()> m_windowActive;
    JournalContents m_leftOver;        // while the start-up question is open
    bool m_journalFollows = false;     // the journal follows the list (after start-up)
    AfterBatchAction m_batchAfterAction = AfterBatchAction::None; // the option when the batch started
    // The clip range and the conversion choices as the batch started: a batch
    // converts every file alike, whatever is edited meanwhile.
    BatchOptions m_batchOptions;
    bool m_closing = false;            // a close waits for the stopped batch to end
    bool m_keepJournal = false;        // the close stopped a batch: its files are offered back
};

} // namespace sonvera

Q_DECLARE_METATYPE(sonvera::BatchController::Severity)
