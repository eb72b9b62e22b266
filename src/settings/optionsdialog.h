#pragma once

#include "appoptions.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace sonvera {

class HotImage;

// The options dialog: whether a sound plays when a batch has finished, and the
// "Music Cutter" clip range (start and end in hours, minutes and seconds, with
// a switch). It is built from `options` each time it opens; OK checks the
// minutes and seconds, writes the result into `options` and calls `save`
// (which writes options.ini); Back, the exit image and Escape leave `options`
// untouched.
//
// Every control carries its name as object name (cmbSR, chkMC, txtFromH ...
// txtToS, imgOK, imgBack, imgExit, Command1, Command2), so the style sheet and
// tests find them.
//
// Open it with openModal() (or show() after setting a modality): the dialog
// never runs a nested event loop, and a failed check shows its warning the
// same way.
class OptionsDialog final : public QDialog {
    Q_OBJECT

public:
    // Writes options.ini; false when that failed. The dialog closes either way.
    using SaveOptionsFn = std::function<bool(const AppOptions &)>;

    // `options` must outlive the dialog.
    OptionsDialog(AppOptions &options, SaveOptionsFn save, QWidget *parent = nullptr);

    // A new dialog over `parent`, application-modal, deleted when it closes.
    static OptionsDialog *openModal(AppOptions &options, SaveOptionsFn save, QWidget *parent);

private:
    enum Field { FromH, FromM, FromS, ToH, ToM, ToS, FieldCount };

    void buildControls();
    void fillFromOptions();
    void setFieldsEnabled(bool enabled);
    void confirm();
    // Shows the warning of a failed check; the focus goes into `field`.
    void warn(QLineEdit *field, const QString &text, const QString &title);
    double number(Field field) const;

    AppOptions &m_options;
    SaveOptionsFn m_save;

    QComboBox *m_cmbSR = nullptr;
    QCheckBox *m_chkMC = nullptr;
    std::array<QLineEdit *, FieldCount> m_fields{};
    HotImage *m_imgOK = nullptr;
    HotImage *m_imgBack = nullptr;
    HotImage *m_imgExit = nullptr;
    QPushButton *m_command1 = nullptr;
    QPushButton *m_command2 = nullptr;
};

} // namespace sonvera
