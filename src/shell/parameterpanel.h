#pragma once

#include "conversionsettings.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace sonvera {

class HotImage;

// The parameter panel: the output format, the six parameter lists and the
// output folder. It is bound to one ConversionSettings object: every edit is
// written to it at once, and picking a format applies that format's preset to
// the settings and then to the controls. Texts typed into the editable lists
// are taken exactly as they stand; only the size list's keep-source entry,
// which it shows in the user's language, stands for kKeepSourceSize. A list
// whose setting the chosen format does not use (settinguse.h) is disabled,
// its tool tip saying why; the keep-source entry is disabled for a format
// that cannot keep the source's size.
class ParameterPanel final : public QWidget {
    Q_OBJECT

public:
    ParameterPanel(ConversionSettings &settings, QWidget *parent = nullptr);

    // Shows the settings' current values (after loading them, say).
    void showSettings();
    // Enables the lists whose settings the format uses with the size chosen,
    // and disables the others (after a batch has enabled every list, say).
    void showWhatApplies();
    // Shows a new output folder text (the batch adds its "/", the browser picks one).
    void setOutputFolderText(const QString &text);

    QComboBox *cmbOF() const { return m_cmbOF; }
    QComboBox *cmbVB() const { return m_cmbVB; }
    QComboBox *cmbF() const { return m_cmbF; }
    QComboBox *cmbS() const { return m_cmbS; }
    QComboBox *cmbR() const { return m_cmbR; }
    QComboBox *cmbBR() const { return m_cmbBR; }
    QComboBox *cmbChannel() const { return m_cmbChannel; }
    QLineEdit *txtPath() const { return m_txtPath; }
    QPushButton *cmdBrowse() const { return m_cmdBrowse; }
    HotImage *imgBrowse() const { return m_imgBrowse; }

Q_SIGNALS:
    // imgBrowse or cmdBrowse was clicked.
    void browseRequested();
    // The user changed a setting here (a format, a parameter, the folder text).
    void settingsEdited();

private:
    QComboBox *makeList(const char *name, const QString &toolTip, bool editable);
    void connectEdits();
    void onFormatPicked(int index);

    ConversionSettings &m_settings;
    bool m_showing = false; // true while the controls are being filled from the settings
    QComboBox *m_cmbOF = nullptr;
    QComboBox *m_cmbVB = nullptr;
    QComboBox *m_cmbF = nullptr;
    QComboBox *m_cmbS = nullptr;
    QComboBox *m_cmbR = nullptr;
    QComboBox *m_cmbBR = nullptr;
    QComboBox *m_cmbChannel = nullptr;
    QLineEdit *m_txtPath = nullptr;
    QPushButton *m_cmdBrowse = nullptr;
    HotImage *m_imgBrowse = nullptr;
};

} // namespace sonvera
