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
    // During a batch nothing here can be changed: the settings are read when
    // each stage is built, and the folder is made once per batch. Opening the
    // output folder stays possible.
    void setLocked(bool locked);
    // The browse image back to its normal picture, after its dialog.
    void clearBrowsePicture();
    // The panel's controls in the order the eye reads them (for Tab).
    QList<QWidget *> focusOrder() const;

Q_SIGNALS:
    // imgBrowse or cmdBrowse was clicked.
    void browseRequested();
    // The button that opens the output folder was clicked.
    void openFolderRequested();
    // The user changed a setting here (a format, a parameter, the folder text).
    void settingsEdited();

private:
    QComboBox *makeList(const char *name, const QString &toolTip, bool editable);
    void buildFolderControls();
    void layOut();
    void connectEdits();
    void onFormatPicked(int index);

    ConversionSettings &m_settings;
    bool m_showing = false; // true while the controls are being filled from the settings
    QComboBox *m_formatList = nullptr;
    QComboBox *m_videoBitrateList = nullptr;
    QComboBox *m_frameRateList = nullptr;
    QComboBox *m_videoSizeList = nullptr;
    QComboBox *m_audioRateList = nullptr;
    QComboBox *m_audioBitrateList = nullptr;
    QComboBox *m_channelList = nullptr;
    QLineEdit *m_folderField = nullptr;
    QPushButton *m_browseButton = nullptr;
    HotImage *m_browseImage = nullptr;
    QPushButton *m_openFolderButton = nullptr;
};

} // namespace sonvera
