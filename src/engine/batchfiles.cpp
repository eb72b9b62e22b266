#include "batchfiles.h"

#include "filelist.h"
#include "nativepath.h"
#include "pathtext.h"
#include "publish.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

QString folderBelowRoot(const FileListRow &row)
{
    const QByteArray root = row.root.endsWith('/') ? row.root : row.root + '/';
    if (row.root.isEmpty() || !row.path.bytes().startsWith(root))
        return {};
    // Named as shown: output names are UTF-8.
    const QByteArray below = row.path.bytes().mid(root.size());
    const qsizetype slash = below.lastIndexOf('/');
    return slash > 0 ? shownName(below.left(slash)) + u'/' : QString();
}

bool makeOutputFolder(const QString &folder)
{
    return QDir().mkpath(folder) && QFileInfo(folder).isDir();
}

QString encoderPathFor(const NativePath &source, const QString &intermediateFolder)
{
    if (source.isUtf8())
        return source.shown();
    // Qt hands the encoders their arguments as UTF-8, which cannot carry this
    // name's bytes: they open it through a link whose name is the name as
    // shown, which also gives the output its UTF-8 name. That name can be
    // half as long again as the bytes (a GBK character is 2 bytes, 3 in
    // UTF-8): it is shortened to fit the file system.
    const QString folder = intermediateFolder + u"/source"_s;
    QDir().mkpath(folder);
    QString name = fittedFileName(source.fileName().shown());
    if (name.isEmpty() || name == u"." || name == u"..")
        name = u"source"_s;
    const QString link = folder + u'/' + name;
    return source.linkAs(link) ? link : QString();
}

} // namespace sonvera
