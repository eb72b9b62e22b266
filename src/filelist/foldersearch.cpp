#include "foldersearch.h"

#include <QElapsedTimer>

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

bool FolderSearch::IsFlvName(QStringView fileName)
{
    return fileName.endsWith(u".flv", Qt::CaseInsensitive);
}

QStringList FolderSearch::SearchNow(const QString &folder)
{
    FolderSearch search;
    search.m_pending.push_back(folder);
    search.m_running = true;
    search.advance(-1);
    return search.m_found;
}

bool FolderSearch::start(const QString &folder)
{
    if (m_running)
        return false;
    m_found.clear();
    m_pending.clear();
    m_pending.push_back(folder);
    m_iterator.reset();
    m_running = true;
    m_stepTimer.start();
    return true;
}

void FolderSearch::cancel()
{
    m_running = false;
    m_stepTimer.stop();
    m_iterator.reset();
    m_pending.clear();
}

void FolderSearch::step()
{
    if (!m_running)
        return;
    if (advance(m_sliceMs)) {
        m_running = false;
        m_stepTimer.stop();
        Q_EMIT finished(m_found);
    }
}

bool FolderSearch::advance(qint64 budgetMs)
{
    QElapsedTimer clock;
    clock.start();
    int sinceCheck = 0;
    for (;;) {
        if (!m_iterator) {
            if (m_pending.empty())
                return true;
            m_folder = m_pending.back();
            m_pending.pop_back();
            m_subfolders.clear();
            m_iterator = std::make_unique<QDirIterator>(
                m_folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        }
        while (m_iterator->hasNext()) {
            m_iterator->next();
            const QFileInfo entry = m_iterator->fileInfo();
            if (entry.isDir()) {
                if (!entry.isSymLink())
                    m_subfolders << m_folder + u'/' + entry.fileName();
            } else if (const QString name = entry.fileName(); IsFlvName(name)) {
                m_found << m_folder + u'/' + name;
            }
            if (budgetMs >= 0 && ++sinceCheck == 64) {
                sinceCheck = 0;
                if (clock.elapsed() >= budgetMs)
                    return false;
            }
        }
        // Only now its subfolders, first one next: depth first, in listing order.
        m_iterator.reset();
        for (auto it = m_subfolders.crbegin(); it != m_subfolders.crend(); ++it)
            m_pending.push_back(*it);
    }
}

} // namespace sonvera
