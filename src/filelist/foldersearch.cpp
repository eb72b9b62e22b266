#include "foldersearch.h"

#include <QElapsedTimer>
#include <QFile>

#include <cstring>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

FolderSearch::FolderSearch(QObject *parent)
    : QObject(parent)
{
    // A zero timer, not a chain of posted calls: it fires only once the
    // window's own events are handled, so input and painting always come first.
    m_stepTimer.setInterval(0);
    connect(&m_stepTimer, &QTimer::timeout, this, &FolderSearch::step);
}

FolderSearch::~FolderSearch() = default;

namespace {

// The one rule: the name's last four characters are ".flv", in any letter case.
bool hasFlvExtension(const char *name)
{
    const std::size_t length = std::strlen(name);
    return length >= 4 && ::strncasecmp(name + length - 4, ".flv", 4) == 0;
}

} // namespace

bool FolderSearch::isFlvName(const QByteArray &fileName)
{
    return hasFlvExtension(fileName.constData());
}

FolderSearchResult FolderSearch::searchNow(const QByteArray &folder)
{
    FolderSearch search;
    search.m_pending.push_back(folder);
    search.m_result.folder = folder;
    search.m_running = true;
    search.advance(-1);
    return search.m_result;
}

bool FolderSearch::start(const QByteArray &folder)
{
    if (m_running)
        return false;
    m_result = {};
    m_result.folder = folder;
    m_pending.clear();
    m_pending.push_back(folder);
    m_dir.reset();
    m_running = true;
    m_stepTimer.start();
    return true;
}

void FolderSearch::cancel()
{
    m_running = false;
    m_stepTimer.stop();
    m_dir.reset();
    m_pending.clear();
}

void FolderSearch::DirCloser::operator()(DIR *dir) const
{
    ::closedir(dir);
}

void FolderSearch::step()
{
    if (!m_running)
        return;
    if (advance(m_sliceMs)) {
        m_running = false;
        m_stepTimer.stop();
        Q_EMIT finished(m_result);
    }
}

namespace {

enum class EntryKind { Folder, File, Other };

// What an entry is, without following links to folders; a link counts as
// what it points to only to tell a linked file from a linked folder. Only
// regular files are files: a FIFO, a device or a socket would block or feed
// an encoder forever.
EntryKind kindOf(const QByteArray &folder, const dirent *entry)
{
    unsigned char type = entry->d_type;
    const QByteArray path = folder + '/' + entry->d_name;
    if (type == DT_UNKNOWN) {
        struct stat info {};
        if (::lstat(path.constData(), &info) != 0)
            return EntryKind::Other;
        type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
    }
    if (type == DT_DIR)
        return EntryKind::Folder;
    if (type == DT_REG)
        return EntryKind::File;
    if (type == DT_LNK) {
        // A link to a folder is not followed and is no file either.
        struct stat target {};
        if (::stat(path.constData(), &target) == 0 && S_ISREG(target.st_mode))
            return EntryKind::File;
    }
    return EntryKind::Other;
}

} // namespace

bool FolderSearch::advance(qint64 budgetMs)
{
    QElapsedTimer clock;
    clock.start();
    int sinceCheck = 0;
    for (;;) {
        if (!m_dir) {
            if (m_pending.empty())
                return true;
            m_folder = m_pending.back();
            m_pending.pop_back();
            m_subfolders.clear();
            m_dir.reset(::opendir(m_folder.constData()));
            if (!m_dir) {
                m_result.unreadableFolders << m_folder; // told, not skipped in silence
                continue;
            }
        }
        while (const dirent *entry = ::readdir(m_dir.get())) {
            const char *name = entry->d_name;
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
                continue;
            const bool candidate = hasFlvExtension(name);
            // Only folders and .flv names need their kind; plain files do not.
            if (entry->d_type == DT_REG && !candidate)
                continue;
            switch (kindOf(m_folder, entry)) {
            case EntryKind::Folder:
                m_subfolders << m_folder + '/' + name;
                break;
            case EntryKind::File:
                if (candidate)
                    m_result.files << m_folder + '/' + name;
                break;
            case EntryKind::Other:
                break;
            }
            if (budgetMs >= 0 && ++sinceCheck == 64) {
                sinceCheck = 0;
                if (clock.elapsed() >= budgetMs)
                    return false;
            }
        }
        // Only now its subfolders, first one next: depth first, in listing order.
        m_dir.reset();
        for (auto it = m_subfolders.crbegin(); it != m_subfolders.crend(); ++it)
            m_pending.push_back(*it);
    }
}

} // namespace sonvera
