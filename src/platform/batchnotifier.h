#pragma once

#include "busservice.h"

#include <QObject>
#include <QSet>
#include <QString>

namespace sonvera {

// The desktop notification at the end of a batch ("转换完成", how many files
// converted and failed), over org.freedesktop.Notifications. Activating it
// asks for the output folder to be opened. Every call is asynchronous; without
// a notification server nothing is shown and one line is logged.
class BatchNotifier final : public QObject {
    Q_OBJECT

public:
    // `connection`: the session bus (tests: a private one with a fake server).
    explicit BatchNotifier(const QDBusConnection &connection, QObject *parent = nullptr);

    // Shows one notification; it replaces our previous one, if still shown.
    // `outputFolder` is what its activation asks to open.
    void notifyBatchFinished(int converted, int failed, const QString &outputFolder);

    // The notification's body, e.g. "3 个文件转换成功，1 个失败".
    static QString bodyText(int converted, int failed);

Q_SIGNALS:
    // The user activated our latest notification.
    void openFolderRequested(const QString &folder);

private Q_SLOTS:
    // QtDBus delivers bus signals to slots named by SLOT(), hence a slot here.
    void onActionInvoked(uint id, const QString &actionKey);

private:
    BusService m_service;
    uint m_shownId = 0;   // the server's id of our latest notification; 0: none yet
    QString m_shownFolder; // the output folder that notification is about
    int m_pendingCalls = 0;    // Notify calls not answered yet
    QSet<uint> m_earlyClicks;  // ids clicked while a Notify call was unanswered
};

} // namespace sonvera
