#pragma once

#include <QColor>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "dialogbackend.h"

namespace sonvera {

class PrinterBackend;

// A property bag over the standard dialogs: open, save, folder, colour, font,
// printer and printer settings. The caller fills the properties, calls a
// Show method and reads the results back from the properties. Results of the
// last confirmed dialog stay in place, so the next open dialog starts on the
// file chosen last.
//
// The window owns one instance for the whole run and binds it to itself with
// setOwner(). Every Show method is modal: it returns once the user has answered
// (true: confirmed, false: cancelled). The dialogs run in their own modal
// event loop (QDialog::exec()); that is the one place where the program waits
// in a local loop, because the answer is the method's result. A cancelled
// dialog changes no property.
//
// Paths use "/" between folders. Texts that the dialogs treat as C strings
// (FileName, Path, FileTitle, Title) read back up to their first NUL when a
// caller stored one; the other properties read back exactly as stored.
class CommonDialogs final {
public:
    // `backend` shows the dialogs; nullptr means Qt's own (the default
    // backend). The backend is not owned; it must outlive this object.
    // `printers` shows the printer dialogs; nullptr means Qt's own.
    explicit CommonDialogs(DialogBackend *backend = nullptr, PrinterBackend *printers = nullptr);

    CommonDialogs(const CommonDialogs &) = delete;
    CommonDialogs &operator=(const CommonDialogs &) = delete;

    // Binds the dialogs to `owner`, their parent window. Must be called before
    // the Show methods: without it (or once the owner was destroyed) they log
    // a warning and return false without showing anything - except showFont
    // and showPrinterProperties, which then show their dialog without a
    // parent. setOwner(nullptr) makes every dialog a top-level window.
    void setOwner(QWidget *owner);

    // The file chosen last: its full path, the name after the last "/", and
    // the folder before it ("/" for a file in the root folder).
    QString fileName() const;
    void setFileName(const QString &value) { m_fileName = value; }
    QString fileTitle() const;
    void setFileTitle(const QString &value) { m_fileTitle = value; }
    QString path() const;
    void setPath(const QString &value) { m_path = value; }
    // Every file the last confirmed open dialog gave, the first of them in FileName.
    QStringList fileNames() const { return m_fileNames; }

    // File types as "label|pattern|label|pattern", a pattern part holding one
    // or more patterns separated by ";" (see qtNameFilters).
    QString filter() const { return m_filter; }
    void setFilter(const QString &value) { m_filter = value; }
    // Caption of the open and folder dialogs.
    QString title() const;
    void setTitle(const QString &value) { m_title = value; }
    // Suffix (without dot) the open dialog adds to a typed name without one.
    QString defaultExtension() const { return m_defExt; }
    void setDefaultExtension(const QString &value) { m_defExt = value; }

    // Colour as 0x00BBGGRR (red in the lowest byte; the top byte is ignored).
    qint32 color() const { return m_color; }
    void setColor(qint32 value) { m_color = value; }

    QString fontName() const { return m_fontName; }
    void setFontName(const QString &value) { m_fontName = value; }
    qint16 fontSize() const { return m_fontSize; } // points; <= 0 leaves the dialog's default size
    void setFontSize(qint16 value) { m_fontSize = value; }
    bool fontBold() const { return m_fontBold; }
    void setFontBold(bool value) { m_fontBold = value; }
    bool fontItalic() const { return m_fontItalic; }
    void setFontItalic(bool value) { m_fontItalic = value; }
    bool fontUnderline() const { return m_fontUnderline; }
    void setFontUnderline(bool value) { m_fontUnderline = value; }

    // One existing file. Opens in the folder of FileName with its name
    // selected (the working folder when FileName is empty or its folder is
    // gone), captioned Title, with the types of Filter (first selected) and
    // DefExt. Confirmed: sets FileName, FileTitle and Path.
    bool showOpen();
    // The same dialog for one or more files. Confirmed: FileName, FileTitle
    // and Path from the first, fileNames() all of them.
    bool showOpenFiles();
    // A name to save under. Captioned "Save" whatever Title holds; opens in
    // Path (the program folder when Path is blank or no folder); types from
    // Filter, "*.*|*.*" when it is blank; DefExt is not used. Confirmed: sets
    // FileName, FileTitle and Path.
    bool showSave();
    // A folder, captioned Title, opening in Path when it names a folder.
    // Confirmed: Path = the folder, FileName and FileTitle = "".
    bool showFolder();
    // A colour, starting at Color. Confirmed: Color = the chosen colour.
    // `fullOpen` asks for the custom-colour editor at once; Qt's colour
    // dialog always shows it.
    bool showColor(bool fullOpen);
    // A font, starting at FontName, FontSize, FontBold, FontItalic and
    // FontUnderline. Confirmed: FontName, FontSize (whole points, truncated),
    // FontBold and FontItalic are taken back; FontUnderline and Color are not.
    bool showFont();
    // The print dialog of the default printer, without selection, page range
    // and print-to-file choices. Only the answer is returned.
    // The two printer methods are defined in sonvera_printing, which brings
    // Qt's printing along: only programs that call them link it.
    bool showPrinter();
    // The page settings of the default printer; false without showing
    // anything when there is no default printer.
    bool showPrinterProperties();

private:
    // Whether the dialogs have a valid owner: setOwner() was called and the window
    // given there (if any) still exists. Logs a warning naming `method` if not.
    bool hasOwner(const char *method) const;
    // Takes a confirmed file path into FileName, FileTitle and Path.
    void takeFile(const QString &path);
    // What the open dialogs are asked for: Title, Filter, DefExt, starting at FileName.
    FileDialogRequest openRequest() const;

    DialogBackend *m_backend;        // not owned
    PrinterBackend *m_printers;      // not owned; nullptr: Qt's own
    QPointer<QWidget> m_owner;       // nullptr once that window is destroyed
    bool m_initialised = false;      // setOwner() was called
    bool m_ownerGiven = false;       // setOwner() was given a window (not nullptr)

    QString m_fileTitle;
    QString m_path;
    QString m_filter;
    QString m_fileName;
    QStringList m_fileNames;
    qint32 m_color = 0;              // 0x00BBGGRR
    QString m_title;
    QString m_defExt;
    QString m_fontName;
    qint16 m_fontSize = 0;           // points
    bool m_fontBold = false;
    bool m_fontItalic = false;
    bool m_fontUnderline = false;
};

// Colour conversions between 0x00BBGGRR and QColor (alpha is not kept).
QColor colorFromBgr(qint32 bgr);
qint32 bgrFromColor(const QColor &color);

// Where a dialog starts when the caller gave `folder`: "" when `folder` is
// blank (spaces only) or names no existing folder; otherwise the folder,
// trimmed of spaces, with a trailing "/".
QString existingFolderWithSlash(const QString &folder);

} // namespace sonvera
