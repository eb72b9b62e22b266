#include "runfolder.h"

#include "childprocess.h"
#include "partfiles.h"
#include "runfoldermark.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cstdlib>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {
const QString kPrefix = u"run-"_s;
}

std::unique_ptr<RunFolder> RunFolder::create(const QString &workFolder)
{
    if (workFolder.isEmpty())
        return nullptr;
    sweepDeadRuns(workFolder);
    QByteArray pattern = QFile::encodeName(workFolder + u'/' + kPrefix + QString::number(::getpid()) + u"-XXXXXX"_s);
    if (!::mkdtemp(pattern.data())) // mode 0700
        return nullptr;
    // The marker proves the folder ours to the encoders, which replace an
    // intermediate file only inside such a folder.
    auto folder = std::unique_ptr<RunFolder>(new RunFolder(QFile::decodeName(pattern)));
    if (!markRunFolder(folder->path()))
        return nullptr;
    return folder;
}

RunFolder::~RunFolder()
{
    QDir(m_path).removeRecursively();
}

int sweepDeadRuns(const QString &workFolder)
{
    static const QRegularExpression runName(u"^run-([1-9][0-9]{0,9})-.{6}$"_s);
    int removed = 0;
    const QFileInfoList entries = QDir(workFolder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo &entry : entries) {
        const QRegularExpressionMatch match = runName.match(entry.fileName());
        if (!match.hasMatch() || entry.isSymLink() || processExists(match.captured(1).toLongLong()))
            continue;
        if (QDir(entry.filePath()).removeRecursively())
            ++removed;
    }
    return removed + sweepDeadPartFiles(workFolder);
}

} // namespace sonvera
