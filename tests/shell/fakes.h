#pragma once

#include "desktop.h"
#include "dialogbackend.h"

#include <QStringList>

#include <deque>
#include <optional>

// Records what the window asks of the desktop; opens and plays nothing.
class RecordingDesktop final : public sonvera::Desktop {
public:
    void openFolder(const QString &folder) override { calls << QStringLiteral("folder ") + folder; }
    void openFile(const QString &path) override { calls << QStringLiteral("file ") + path; }
    void openUrl(const QString &url) override { calls << QStringLiteral("url ") + url; }
    void playSound(const QString &wavPath) override { calls << QStringLiteral("sound ") + wavPath; }
    QStringList calls;
};

// Answers the window's dialogs from a script; an empty answer is a cancel.
class ScriptedDialogs final : public sonvera::DialogBackend {
public:
    std::optional<QString> getOpenFileName(QWidget *, const sonvera::FileDialogRequest &request) override
    {
        captions << request.caption;
        return next(files);
    }
    std::optional<QString> getSaveFileName(QWidget *, const sonvera::FileDialogRequest &request) override
    {
        captions << request.caption;
        return next(files);
    }
    std::optional<QString> getExistingDirectory(QWidget *, const QString &caption) override
    {
        captions << caption;
        return next(folders);
    }
    std::optional<QColor> getColor(QWidget *, const QColor &, bool) override { return std::nullopt; }
    std::optional<QFont> getFont(QWidget *, const QFont &) override { return std::nullopt; }

    // A null QString answers with a cancel.
    std::deque<QString> files;
    std::deque<QString> folders;
    QStringList captions;

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
