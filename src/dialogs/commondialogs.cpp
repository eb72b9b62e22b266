#include "commondialogs.h"

#include "dialogbackend.h"
#include "filefilter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

QString TrimSpaces(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QColor ColorFromBgr(qint32 bgr)
{
    const auto value = static_cast<quint32>(bgr);
    return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                  static_cast<int>((value >> 16) & 0xFFu));
}

qint32 BgrFromColor(const QColor &color)
{
    const QColor rgb = color.toRgb();
    const auto r = static_cast<quint32>(rgb.red());
    const auto g = static_cast<quint32>(rgb.green());
    const auto b = static_cast<quint32>(rgb.blue());
    return static_cast<qint32>(r | (g << 8) | (b << 16));
}

QString FolderOfPath(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QString();
    // A file right in the root folder lies in "/", not in "".
    return slash == 0 ? u"/"_s : path.left(slash);
}

QString NameOfPath(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString ExistingFolderWithSlash(const QString &folder)
{
    QString f = TrimSpaces(folder);
    if (f.isEmpty())
        return QString();
    if (!f.endsWith(u'/'))
        f += u'/';
    // QFileInfo sees hidden folders as well.
    return QFileInfo(f).isDir() ? f : QString();
}

CCommonDialogs::CCommonDialogs(DialogBackend *backend)
    : m_backend(backend ? backend : &DefaultDialogBackend())
{
}

void CCommonDialogs::Init(QWidget *owner)
{
    m_owner = owner;
    m_ownerGiven = owner != nullptr;
    m_initialised = true;
}

QString CCommonDialogs::FileName() const { return UpToNul(m_fileName); }
QString CCommonDialogs::FileTitle() const { return UpToNul(m_fileTitle); }
QString CCommonDialogs::Path() const { return UpToNul(m_path); }
QString CCommonDialogs::Title() const { return UpToNul(m_title); }

bool CCommonDialogs::hasOwner(const char *method) const
{
    if (!m_initialised) {
        qWarning("CCommonDialogs::%s: Init() was not called", method);
        return false;
    }
    if (m_ownerGiven && !m_owner) {
        qWarning("CCommonDialogs::%s: the owner window no longer exists", method);
        return false;
    }
    return true;
}

void CCommonDialogs::takeFile(const QString &path)
{
    m_fileName = path;
    m_fileTitle = NameOfPath(path);
    m_path = FolderOfPath(path);
}

bool CCommonDialogs::ShowOpen()
{
    if (!hasOwner("ShowOpen"))
        return false;

    FileDialogRequest request;
    request.caption = Title();
    request.nameFilters = QtNameFilters(m_filter);
    request.defaultSuffix = UpToNul(m_defExt);
    request.fileMode = QFileDialog::ExistingFile;
    request.directory = QDir::currentPath();
    // Start on the file chosen last. A relative name lies in the working
    // folder; a folder that has gone since would leave the dialog nowhere.
    if (const QString last = FileName(); !last.isEmpty()) {
        const QFileInfo info(last);
        if (info.absoluteDir().exists())
            request.directory = info.absolutePath();
        request.selectedFile = info.fileName();
    }

    const std::optional<QString> chosen = m_backend->getOpenFileName(m_owner, request);
    if (!chosen)
        return false;
    takeFile(*chosen);
    return true;
}

bool CCommonDialogs::ShowSave()
{
    if (!hasOwner("ShowSave"))
        return false;

    FileDialogRequest request;
    request.caption = u"Save"_s;
    // Path only chooses where the dialog opens; it changes when the user
    // confirms a name, never on cancel.
    const QString start = ExistingFolderWithSlash(Path());
    request.directory = start.isEmpty() ? QCoreApplication::applicationDirPath() : start;
    const QString filter = UpToNul(m_filter);
    request.nameFilters = QtNameFilters(filter.trimmed().isEmpty() ? u"*.*|*.*"_s : filter);
    request.fileMode = QFileDialog::AnyFile;

    const std::optional<QString> chosen = m_backend->getSaveFileName(m_owner, request);
    if (!chosen)
        return false;
    takeFile(*chosen);
    return true;
}

bool CCommonDialogs::ShowFolder()
{
    if (!hasOwner("ShowFolder"))
        return false;

    const std::optional<QString> folder = m_backend->getExistingDirectory(m_owner, Title());
    if (!folder)
        return false;
    m_path = *folder;
    m_fileName.clear();
    m_fileTitle.clear();
    return true;
}

bool CCommonDialogs::ShowColor(bool fullOpen)
{
    if (!hasOwner("ShowColor"))
        return false;

    const std::optional<QColor> chosen = m_backend->getColor(m_owner, ColorFromBgr(m_color), fullOpen);
    if (!chosen)
        return false;
    m_color = BgrFromColor(*chosen);
    return true;
}

bool CCommonDialogs::ShowFont()
{
    // The font dialog does without an owner: shown top-level if there is none.
    hasOwner("ShowFont");

    QFont initial;
    if (const QString family = UpToNul(m_fontName); !family.isEmpty())
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

bool CCommonDialogs::ShowPrinter()
{
    if (!hasOwner("ShowPrinter"))
        return false;

    // Qt's defaults less the page range and print-to-file; no selection or
    // current-page choice either.
    const QAbstractPrintDialog::PrintDialogOptions options =
        QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintCollateCopies;
    return m_backend->print(m_owner, options);
}

bool CCommonDialogs::ShowPrinterProperties()
{
    // Like the font dialog, the printer settings do without an owner.
    hasOwner("ShowPrinterProperties");

    if (!m_backend->hasDefaultPrinter())
        return false;
    return m_backend->pageSetup(m_owner);
}

} // namespace sonvera
