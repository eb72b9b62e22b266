#pragma once

#include "batchdriver.h"
#include "clioptions.h"
#include "filelist.h"
#include "jsonevents.h"

#include <QHash>
#include <QSet>
#include <QObject>
#include <QTextStream>

#include <cstdio>

namespace sonvera {

// The headless front end: fills a FileList from the inputs, runs the batch on
// the engine's driver and shows its progress on the terminal.
class CliRunner final : public QObject {
    Q_OBJECT

public:
    // Exit statuses.
    // OutputClosed: whoever read the standard output went away (`| head -1`).
    enum Status { AllConverted = 0, SomeFailed = 1, UsageOrNoInput = 2, Interrupted = 130, OutputClosed = 141 };

    CliRunner(CliOptions options, QString programFolder, QObject *parent = nullptr);

    // Collects the input files; false (after saying why) when none was found.
    bool collectInputs();
    // Prints each file's command lines, one per line, in their text form.
    int dryRun();
    // Starts the batch; the exit status arrives with finished().
    void start();
    // Stops the batch as the window's Stop does (Ctrl-C).
    void interrupt();

Q_SIGNALS:
    void finished(int status);

private:
    void connectDriver();
    void showProgress(const ProgressDisplay &display);
    void onFileFinished(quint64 id, const QString &path, bool ok, const QString &detail);
    void onBatchFinished(const BatchSummary &summary);
    void clearLine();
    // An output folder whose name is not UTF-8 is reached through a link; false
    // (after saying why) when that cannot be made.
    bool prepareOutputFolder();
    // False, having said how much is needed and how much is free, when the
    // disks cannot hold the batch's estimated outputs and intermediates.
    bool enoughSpace();
    // `path` as the user knows it (the output folder as given, not its link).
    QString shown(const QString &path) const;
    // The same as bytes: what the file system calls a path the engine wrote.
    NativePath nativeOf(const QString &path) const;
    // Where the words for people go: the standard output, or with --json,
    // which keeps the standard output for the events, the standard error.
    QTextStream &human() { return m_options.json ? m_err : m_out; }
    // Flushes the standard output; a reader that went away stops the batch.
    void flushOut();

    CliOptions m_options;
    QString m_programFolder;
    FileList m_list;
    BatchDriver m_driver;
    QStringList m_missing; // inputs that do not exist: named as failures
    QTextStream m_out{stdout};
    QTextStream m_err{stderr};
    JsonEvents m_events{m_out};
    QHash<quint64, NativePath> m_paths; // each converting file's path, for its events
    int m_jobsAsked = 1;       // -j as given; m_options.jobs is what the driver allows
    bool m_terminal = false;
    bool m_interrupted = false;
    bool m_outputClosed = false;
    int m_number = 0;          // the last file started, 1-based
    int m_total = 0;
    int m_ended = 0;           // files ended, converted or not
    QHash<quint64, int> m_numbers; // each converting file's number
    QSet<quint64> m_copied;        // files whose streams were copied, until their line is written
    QHash<quint64, QString> m_notes;  // notes on files that converted whole, until their line is written
    QString m_currentName;     // one file at a time: the file converting
    QString m_outputLink; // with its "/": stands for the output folder in paths
};

} // namespace sonvera
