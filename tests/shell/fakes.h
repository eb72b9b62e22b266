#pragma once

#include "desktop.h"
#include "dialogbackend.h"

#include <QStringList>

#include <deque>
#include <optional>

// Records what the window asks of the desktop; opens and plays nothing.
// With `canOpen` false it is a desktop without an opener (no xdg-open).
class RecordingDesktop final : public sonvera::Desktop {
public:
    bool openFolder(const QString &folder) override { return record(QStringLiteral("folder ") + folder); }
    bool showInFolder(const QString &file) override { return record(QStringLiteral("show ") + file); }
    bool openFile(const QString &path) override { return record(QStringLiteral("file ") + path); }
    bool openUrl(const QString &url) override { return record(QStringLiteral("url ") + url); }
    void playSound(const QString &wavPath) override { calls << QStringLiteral("sound ") + wavPath; }
    QStringList calls;
    bool canOpen = true;

private:
    bool record(const QString &call)
    {
        calls << call;
        return canOpen;
    }
};

// Answers the window's dialogs from a script; an empty answer is a cancel.
class ScriptedDialogs final : public sonvera::DialogBackend {
public:
    std::optional<QString> getOpenFileName(QWidget *, const sonvera::FileDialogRequest &request) override
    {
        captions << request.caption;
        startFolders << request.directory;
        return next(files);
    }
    // An answer of several files is their paths joined by "\n".
    std::optional<QStringList> getOpenFileNames(QWidget *, const sonvera::FileDialogRequest &request) override
    {
        captions << request.caption;
        requests << request;
        const std::optional<QString> answer = next(files);
        return answer ? std::optional<QStringList>(answer->split(u'\n')) : std::nullopt;
    }
    std::optional<QString> getSaveFileName(QWidget *, const sonvera::FileDialogRequest &request) override
    {
        captions << request.caption;
        return next(files);
    }
    std::optional<QString> getExistingDirectory(QWidget *, const QString &caption, const QString &directory) override
    {
        captions << caption;
        startFolders << directory;
        return next(folders);
    }
    std::optional<QColor> getColor(QWidget *, const QColor &, bool) override { return std::nullopt; }
    std::optional<QFont> getFont(QWidget *, const QFont &) override { return std::nullopt; }

    // A null QString answers with a cancel.
    std::deque<QString> files;
    std::deque<QString> folders;
    QStringList captions;
    QStringList startFolders; // where each single-file and folder dialog opened
    QList<sonvera::FileDialogRequest> requests; // of the multi-file dialogs

private:
    static std::optional<QString> next(std::deque<QString> &answers)
    {
        if (answers.empty())
            return std::nullopt;
        const QString answer = answers.front();
        answers.pop_front();
        if (answer.isNull())
            return std::nullopt;
        return answer;
    }
};
