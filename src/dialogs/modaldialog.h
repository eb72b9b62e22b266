#pragma once

#include <QDialog>
#include <QPointer>

#include <optional>

namespace sonvera {

// Shows `dialog` modally and hands it to `takeBack` when the user confirmed.
// The dialog lives on the heap behind a QPointer because its parent may be
// destroyed while the dialog waits for the user (a window closed by another
// event); the dialog is then gone with it and counts as cancelled.
template<typename Dialog, typename TakeBack>
auto runModal(Dialog *created, TakeBack takeBack) -> std::optional<decltype(takeBack(*created))>
{
    QPointer<Dialog> dialog = created;
    const int result = dialog->exec();
    if (!dialog)
        return std::nullopt;
    std::optional<decltype(takeBack(*created))> answer;
    if (result == QDialog::Accepted)
        answer = takeBack(*dialog);
    delete dialog.data();
    return answer;
}

} // namespace sonvera
