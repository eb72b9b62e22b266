#pragma once

#include "dialogbackend.h"
#include "printerbackend.h"

#include <QPointer>
#include <QWidget>

#include <optional>

// A scripted DialogBackend: records what each dialog was asked to show and
// answers with the value set up beforehand (nullopt / false: cancelled).
class FakeBackend final : public sonvera::DialogBackend, public sonvera::PrinterBackend {
public:
    // Answers.
    std::optional<QString> fileAnswer;
    std::optional<QString> folderAnswer;
    std::optional<QColor> colorAnswer;
    std::optional<QFont> fontAnswer;
    bool printAnswer = false;
    bool printerAvailable = false;
    bool pageSetupAnswer = false;

    // What was asked.
    int calls = 0;
    QString lastMethod;
    QWidget *lastParent = nullptr;
    sonvera::FileDialogRequest lastFileRequest;
    QString lastCaption;
    QString lastDirectory;
    QColor lastInitialColor;
    bool lastFullOpen = false;
    QFont lastInitialFont;
    QAbstractPrintDialog::PrintDialogOptions lastPrintOptions;

    std::optional<QString> getOpenFileName(QWidget *parent, const sonvera::FileDialogRequest &request) override
    {
        record(u"open", parent);
        lastFileRequest = request;
        return fileAnswer;
    }
    std::optional<QString> getSaveFileName(QWidget *parent, const sonvera::FileDialogRequest &request) override
    {
        record(u"save", parent);
        lastFileRequest = request;
        return fileAnswer;
    }
    std::optional<QString> getExistingDirectory(QWidget *parent, const QString &caption, const QString &directory) override
    {
        record(u"folder", parent);
        lastCaption = caption;
        lastDirectory = directory;
        return folderAnswer;
    }
    std::optional<QColor> getColor(QWidget *parent, const QColor &initial, bool fullOpen) override
    {
        record(u"color", parent);
        lastInitialColor = initial;
        lastFullOpen = fullOpen;
        return colorAnswer;
    }
    std::optional<QFont> getFont(QWidget *parent, const QFont &initial) override
    {
        record(u"font", parent);
        lastInitialFont = initial;
        return fontAnswer;
    }
    bool print(QWidget *parent, QAbstractPrintDialog::PrintDialogOptions options) override
    {
        record(u"print", parent);
        lastPrintOptions = options;
        return printAnswer;
    }
    bool hasDefaultPrinter() override { return printerAvailable; }
    bool pageSetup(QWidget *parent) override
    {
        record(u"pageSetup", parent);
        return pageSetupAnswer;
    }

private:
    void record(QStringView method, QWidget *parent)
    {
        ++calls;
        lastMethod = method.toString();
        lastParent = parent;
    }
};
