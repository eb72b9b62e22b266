#include "commondialogs.h"

#include "pathtext.h"

#include "dialogbackend.h"
#include "filefilter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

QColor colorFromBgr(qint32 bgr)
{
    const auto value = static_cast<quint32>(bgr);
    return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                  static_cast<int>((value >> 16) & 0xFFu));
}

qint32 bgrFromColor(const QColor &color)
{
    const QColor rgb = color.toRgb();
    const auto r = static_cast<quint32>(rgb.red());
    const auto g = static_cast<quint32>(rgb.green());
    const auto b = static_cast<quint32>(rgb.blue());
    return static_cast<qint32>(r | (g << 8) | (b << 16));
}

QString existingFolderWithSlash(const QString &folder)
{
    const QString f = withTrailingSlash(trimmedSpaces(folder));
    if (f.isEmpty())
        return QString();
    // QFileInfo sees hidden folders as well.
    return QFileInfo(f).isDir() ? f : QString();
}

CommonDialogs::CommonDialogs(DialogBackend *backend, PrinterBackend *printers)
    : m_backend(backend ? backend : &defaultDialogBackend())
    , m_printers(printers)
{
}

void CommonDialogs::setOwner(QWidget *owner)
{
    m_owner = owner;
    m_ownerGiven = owner != nullptr;
    m_initialised = true;
}

QString CommonDialogs::fileName() const { return upToNul(m_fileName); }
QString CommonDialogs::fileTitle() const { return upToNul(m_fileTitle); }
QString CommonDialogs::path() const { return upToNul(m_path); }
QString CommonDialogs::title() const { return upToNul(m_title); }

bool CommonDialogs::hasOwner(const char *method) const
{
    if (!m_initialised) {
        qWarning("CommonDialogs::%s: setOwner() was not called", method);
        return false;
    }
    if (m_ownerGiven && !m_owner) {
        qWarning("CommonDialogs::%s: the owner window no longer exists", method);
        return false;
    }
    return true;
}

void CommonDialogs::takeFile(const QString &path)
{
    m_fileName = path;
    m_fileTitle = fileNameOf(path);
    m_path = folderOf(path);
}

FileDialogRequest CommonDialogs::openRequest() const
{
    FileDialogRequest request;
    request.caption = title();
    request.nameFilters = qtNameFilters(m_filter);
    request.defaultSuffix = upToNul(m_defExt);
    request.fileMode = QFileDialog::ExistingFile;
    request.directory = QDir::currentPath();
    // Start on the file chosen last. A relative name lies in the working
    // folder; a folder that has gone since would leave the dialog nowhere.
    if (const QString last = fileName(); !last.isEmpty()) {
        const QFileInfo info(last);
        if (info.absoluteDir().exists())
            request.directory = info.absolutePath();
        request.selectedFile = info.fileName();
    }
    return request;
}

bool CommonDialogs::showOpen()
{
    if (!hasOwner("showOpen"))
        return false;
    const std::optional<QString> chosen = m_backend->getOpenFileName(m_owner, openRequest());
    if (!chosen)
        return false;
    takeFile(*chosen);
    m_fileNames = QStringList{*chosen};
    return true;
}

bool CommonDialogs::showOpenFiles()
{
    if (!hasOwner("showOpenFiles"))
        return false;
    const std::optional<QStringList> chosen = m_backend->getOpenFileNames(m_owner, openRequest());
    if (!chosen || chosen->isEmpty())
        return false;
    takeFile(chosen->constFirst());
    m_fileNames = *chosen;
    return true;
}

bool CommonDialogs::showSave()
{
    if (!hasOwner("showSave"))
        return false;

    FileDialogRequest request;
    request.caption = QCoreApplication::translate("sonvera::CommonDialogs", "Save");
    // Path only chooses where the dialog opens; it changes when the user
    // confirms a name, never on cancel.
    const QString start = existingFolderWithSlash(path());
    request.directory = start.isEmpty() ? QCoreApplication::applicationDirPath() : start;
    const QString filter = upToNul(m_filter);
    request.nameFilters = qtNameFilters(filter.trimmed().isEmpty() ? u"*.*|*.*"_s : filter);
    request.fileMode = QFileDialog::AnyFile;

    const std::optional<QString> chosen = m_backend->getSaveFileName(m_owner, request);
    if (!chosen)
        return false;
    takeFile(*chosen);
    return true;
}

bool CommonDialogs::showFolder()
{
    if (!hasOwner("showFolder"))
        return false;

    const std::optional<QString> folder = m_backend->getExistingDirectory(m_owner, title(), existingFolderWithSlash(path()));
    if (!folder)
        return false;
    m_path = *folder;
    m_fileName.clear();
    m_fileTitle.clear();
    return true;
}

bool CommonDialogs::showColor(bool fullOpen)
{
    if (!hasOwner("showColor"))
        return false;

    const std::optional<QColor> chosen = m_backend->getColor(m_owner, colorFromBgr(m_color), fullOpen);
    if (!chosen)
        return false;
    m_color = bgrFromColor(*chosen);
    return true;
}

bool CommonDialogs::showFont()
{
    // The font dialog does without an owner: shown top-level if there is none.
    hasOwner("showFont");

    QFont initial;
    if (const QString family = upToNul(m_fontName); !family.isEmpty())
        initial.setFamily(family);
    if (m_fontSize > 0)
        initial.setPointSize(m_fontSize);
    initial.setBold(m_fontBold);
    initial.setItalic(m_fontItalic);
    initial.setUnderline(m_fontUnderline);

    const std::optional<QFont> chosen = m_backend->getFont(m_owner, initial);
    if (!chosen)
        return false;
    m_fontName = chosen->family();
    m_fontBold = chosen->bold();
    m_fontItalic = chosen->italic();
    // A font sized in pixels has no point size; FontSize then stays.
    if (const qreal points = chosen->pointSizeF(); points > 0)
        m_fontSize = static_cast<qint16>(std::min(std::trunc(points), 32767.0));
    return true;
}

} // namespace sonvera
