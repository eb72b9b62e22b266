#pragma once

#include "afterbatchaction.h"
#include "busservice.h"

#include <QObject>
#include <QString>

namespace sonvera {

// Powers the computer off or suspends it through logind (PowerOff(false),
// Suspend(false): no password prompt, since nobody may be at the screen). The
// caller decides when; the window always shows a countdown first.
//
// It also asks logind whether it may (CanPowerOff, CanSuspend): only "yes"
// lets the action be offered, since "challenge" would need a password that
// nobody is there to give.
class PowerAction final : public QObject {
    Q_OBJECT

public:
    // How long logind has to answer whether it can.
    static constexpr int kAnswerTimeoutMs = 5000;

    // `logind` on the system bus (tests: a fake on a private bus).
    explicit PowerAction(BusService logind, QObject *parent = nullptr);

    // Asks logind for `action`; AfterBatchAction::None does nothing.
    void run(AfterBatchAction action);

    // Asks logind what it can do now; supportChanged() follows each answer.
    void querySupport();
    // What is known: before any answer, both are unavailable "while asking".
    const AfterBatchSupport &support() const { return m_support; }

    // The reason given when logind cannot be reached at all.
    static AfterBatchSupport unreachableSupport();

Q_SIGNALS:
    // logind could not be reached or refused: a message for the user, in
    // the user's language, that says what failed and what to do.
    void failed(const QString &message);
    void supportChanged();

private:
    void fail(AfterBatchAction action, const QString &why);
    void ask(AfterBatchAction action);
    static ActionSupport supportFor(AfterBatchAction action, const QString &answer);

    BusService m_logind;
    AfterBatchSupport m_support;
};

} // namespace sonvera
