#pragma once

#include "afterbatchaction.h"
#include "appoptions.h"
#include "batchdriver.h"
#include "batchjournal.h"
#include "conversionsettings.h"
#include "filelist.h"
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
    AppOptions &options() { return m_options; }
    Preferences &preferences() { return m_preferences; }
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

    // Starts a batch with the preferences' number of workers. False when the
    // list is empty (the window says so) or a batch is under way.
    bool start();
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
    // settings, removed this run's temporary files and the journal; false
    // while a running batch is stopped first, and readyToClose() follows.
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

private:
    void connectDriver();
    void connectDesktopSession();
    void connectJournal();
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
    std::function<bool()> m_windowActive;
    JournalContents m_leftOver;        // while the start-up question is open
    bool m_journalFollows = false;     // the journal follows the list (after start-up)
    AfterBatchAction m_batchAfterAction = AfterBatchAction::None; // the option when the batch started
    bool m_closing = false;            // a close waits for the stopped batch to end
};

} // namespace sonvera

Q_DECLARE_METATYPE(sonvera::BatchController::Severity)
