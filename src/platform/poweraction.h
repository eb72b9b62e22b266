#pragma once

#include "afterbatchaction.h"
#include "busservice.h"

#include <QObject>
#include <QString>

namespace sonvera {

// Powers the computer off or suspends it through logind (PowerOff(false),
// Suspend(false): no password prompt, since nobody may be at the screen). The
// caller decides when; the window always shows a countdown first.
class PowerAction final : public QObject {
    Q_OBJECT

public:
    // `logind` on the system bus (tests: a fake on a private bus).
    explicit PowerAction(BusService logind, QObject *parent = nullptr);

    // Asks logind for `action`; AfterBatchAction::None does nothing.
    void run(AfterBatchAction action);

Q_SIGNALS:
    // logind could not be reached or refused: a message for the user, in
    // Chinese, that says what failed and what to do.
    void failed(const QString &message);

private:
    void fail(AfterBatchAction action, const QString &why);

    BusService m_logind;
};

} // namespace sonvera
