#include "printerbackend.h"

#include "commondialogs.h"
#include "modaldialog.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace sonvera {

bool QtPrinterBackend::print(QWidget *parent, QAbstractPrintDialog::PrintDialogOptions options)
{
    QPrinter printer;
    auto *dialog = new QPrintDialog(&printer, parent);
    dialog->setOptions(options);
    return runModal(dialog, [](QPrintDialog &) { return true; }).value_or(false);
}

bool QtPrinterBackend::hasDefaultPrinter()
{
    return !QPrinterInfo::defaultPrinter().isNull();
}

bool QtPrinterBackend::pageSetup(QWidget *parent)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return false;
    QPrinter printer(info);
    auto *dialog = new QPageSetupDialog(&printer, parent);
    return runModal(dialog, [](QPageSetupDialog &) { return true; }).value_or(false);
}

PrinterBackend &defaultPrinterBackend()
{
    static QtPrinterBackend backend;
    return backend;
}

bool CommonDialogs::showPrinter()
{
    if (!hasOwner("showPrinter"))
        return false;

    // Qt's defaults less the page range and print-to-file; no selection or
    // current-page choice either.
    const QAbstractPrintDialog::PrintDialogOptions options =
        QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintCollateCopies;
    return (m_printers ? *m_printers : defaultPrinterBackend()).print(m_owner, options);
}

bool CommonDialogs::showPrinterProperties()
{
    // Like the font dialog, the printer settings do without an owner.
    hasOwner("showPrinterProperties");

    PrinterBackend &printers = m_printers ? *m_printers : defaultPrinterBackend();
    if (!printers.hasDefaultPrinter())
        return false;
    return printers.pageSetup(m_owner);
}

} // namespace sonvera
