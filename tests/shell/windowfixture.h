#pragma once

// A main window over temporary folders, a recording desktop, scripted
// dialogs and the stand-in encoders; its widgets found by their object
// names, as a user finds them by sight.
#include "fakeencoder.h"
#include "fakes.h"
#include "mainwindow.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

struct WindowFixture {
    explicit WindowFixture(sonvera::UiLanguage language = sonvera::UiLanguage::Chinese)
    {
        using namespace Qt::Literals::StringLiterals;
        context.programFolder = program.path();
        context.workFolder = dir.filePath(u"work"_s);
        QDir().mkpath(context.workFolder);
        context.location = {dir.filePath(u"settings"_s), dir.filePath(u"default-out"_s)};
        QDir().mkpath(context.location.settingsFolder);
        context.desktop = &desktop;
        context.dialogs = &dialogs;
        context.language = language;
        window = std::make_unique<sonvera::MainWindow>(context);
        window->controller().driver().setStartDelay(1);
        sonvera::ConversionSettings settings = window->controller().settings();
        settings.outputFolder = dir.filePath(u"out"_s);
        window->controller().replaceSettings(settings);
    }

    // A source file (a fake encoder's script) at `name` under the fixture's folder.
    QString source(const QString &name, const QByteArray &script = {})
    {
        QDir().mkpath(QFileInfo(dir.filePath(name)).path());
        return writeScript(dir.filePath(name), script);
    }

    void selectFormat(int index)
    {
        sonvera::ConversionSettings settings = window->controller().settings();
        settings.selectFormat(index);
        window->controller().replaceSettings(settings);
    }

    // RM at 320x240: a format that uses all the parameters but the frame
    // rate, so that few lists are disabled as ones the format does without.
    void useMostParameters()
    {
        selectFormat(1);
        child<QComboBox>("cmbS")->setEditText(QStringLiteral("320x240"));
    }

    void trigger(sonvera::WindowCommand command) { window->action(command)->trigger(); }

    template<typename T = QWidget>
    T *child(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }

    // The message box the window shows now, if any.
    QMessageBox *message() const
    {
        const QList<QMessageBox *> boxes = window->findChildren<QMessageBox *>();
        for (QMessageBox *box : boxes) {
            if (box->isVisible())
                return box;
        }
        return nullptr;
    }
    QMessageBox *waitForMessage() const
    {
        [[maybe_unused]] const bool shown = QTest::qWaitFor([this] { return message() != nullptr; }, 5000);
        return message();
    }

    sonvera::FileList &list() const { return window->controller().list(); }
    QString setupIni() const { return context.location.settingsFolder + QStringLiteral("/setup.ini"); }

    QTemporaryDir dir;
    FakeProgramFolder program;
    RecordingDesktop desktop;
    ScriptedDialogs dialogs;
    sonvera::ShellContext context;
    std::unique_ptr<sonvera::MainWindow> window;
};
