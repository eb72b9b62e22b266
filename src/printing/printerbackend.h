#pragma once

#include <QAbstractPrintDialog>

class QWidget;

namespace sonvera {

// The printer dialogs of the common dialogs (CommonDialogs::showPrinter and
// showPrinterProperties), apart from the file dialogs so that only programs
// that print link Qt's printing. Every method is modal.
class PrinterBackend {
public:
    virtual ~PrinterBackend() = default;
    // The print dialog for the default printer, showing only what `options`
    // allows. True when the user confirmed it; nothing is printed.
    virtual bool print(QWidget *parent, QAbstractPrintDialog::PrintDialogOptions options) = 0;
    // Whether there is a default printer whose settings can be shown.
    virtual bool hasDefaultPrinter() = 0;
    // The page and paper settings of the default printer; true when confirmed.
    virtual bool pageSetup(QWidget *parent) = 0;
};

// Qt's printer dialogs, shown modally with exec() like the file dialogs.
class QtPrinterBackend final : public PrinterBackend {
public:
    bool print(QWidget *parent, QAbstractPrintDialog::PrintDialogOptions options) override;
    bool hasDefaultPrinter() override;
    bool pageSetup(QWidget *parent) override;
};

// A process-wide QtPrinterBackend.
PrinterBackend &defaultPrinterBackend();

} // namespace sonvera
