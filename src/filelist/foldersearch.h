#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QObject>
#include <QTimer>
#include <QStringList>

#include <memory>
#include <vector>

#include <dirent.h>

namespace sonvera {

// Finds the ".flv" files (any letter case) in a folder and every folder below
// it, without blocking the event loop: the search reads entries in short
// slices and yields between them. The files of a folder come before those of
// its subfolders; subfolders are searched depth first, each in the order the
// file system lists them; nothing is sorted. Links to folders are not
// followed. Paths are the folder, one "/", and the name.
//
// Folders are read with the system's readdir, which tells each entry's type
// without a stat: QDirIterator builds a QFileInfo for every entry and measured
// 2.2 times as long as `find` on a tree of 100,000 entries. Paths are kept as
// the file system spells them, so a name that is not UTF-8 is found and
// opened all the same.
struct FolderSearchResult {
    QByteArray folder;                // the folder searched, as given
    QByteArrayList files;             // the .flv files found, in search order
    QByteArrayList unreadableFolders; // folders that could not be read (no permission, gone)
};

class FolderSearch final : public QObject {
    Q_OBJECT

public:
    explicit FolderSearch(QObject *parent = nullptr);
    ~FolderSearch() override;

    // True when `fileName` ends in ".flv", in any letter case.
    static bool isFlvName(const QByteArray &fileName);

    // Searches synchronously; for front ends without an event loop to keep alive.
    static FolderSearchResult searchNow(const QByteArray &folder);

    // Starts a search; false (and nothing changes) while one is running.
    bool start(const QByteArray &folder);
    // Ends a running search; finished() is not emitted.
    void cancel();
    bool isRunning() const { return m_running; }

    // How long one slice may take before the search yields, in ms.
    void setSliceBudget(int ms) { m_sliceMs = ms; }

Q_SIGNALS:
    void finished(const sonvera::FolderSearchResult &result);

private:
    void step();
    // Reads entries of the current folder until `budgetMs` is spent; returns
    // true when the whole tree has been searched.
    bool advance(qint64 budgetMs);

    // Runs a slice whenever the window has no events waiting.
    QTimer m_stepTimer;
    std::vector<QByteArray> m_pending; // folders still to search; the next is at the back
    struct DirCloser {
        void operator()(DIR *dir) const;
    };
    std::unique_ptr<DIR, DirCloser> m_dir; // the folder being read, if any
    QByteArray m_folder;                   // its path
    QByteArrayList m_subfolders;           // subfolders found in it so far, in order
    FolderSearchResult m_result;
    bool m_running = false;
    int m_sliceMs = 12;
};

} // namespace sonvera
Q_DECLARE_METATYPE(sonvera::FolderSearchResult)
