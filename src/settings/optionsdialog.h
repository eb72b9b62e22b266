#pragma once

#include "afterbatchaction.h"
#include "appoptions.h"
#include "preferences.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QLabel;
class QPushButton;
class QScrollArea;

namespace sonvera {

class HotImage;

// The options dialog: whether a sound plays when a batch has finished, the
// "Music Cutter" clip range for MP3 (start and end in hours, minutes and
// seconds, with a switch), and, when it is given preferences, how many files
// convert at once (同时转换的文件数), what happens when a batch is done
// (转换完成后), the language of the window (界面语言, from the next
// start) and how files convert (the choices of conversionsettings.h: the
// one-stage route, copying streams that fit, with a note that the preset's
// sizes and bitrates do not apply to a copy, dates and folder trees kept). It is built from `options` each time it opens; OK checks the
// minutes and seconds, writes the result into `options` (and the
// preferences) and calls the savers (options.ini, preferences.ini); Back,
// the exit image and Escape leave everything untouched.
//
// Every control carries its name as object name (cmbSR, chkMC, txtFromH ...
// txtToS, imgOK, imgBack, imgExit, Command1, Command2, and chkDirect,
// chkRemux, chkKeepDates, chkKeepTree), so the style sheet and tests find them.
//
// Open it with openModal() (or show() after setting a modality): the dialog
// never runs a nested event loop, and a failed check shows its warning the
// same way.
class OptionsDialog final : public QDialog {
    Q_OBJECT

public:
    // Writes options.ini; false when that failed. The dialog closes either way.
    using SaveOptionsFn = std::function<bool(const AppOptions &)>;
    using SavePreferencesFn = std::function<bool(const Preferences &)>;

    // `options` (and `preferences`, when given) must outlive the dialog.
    OptionsDialog(AppOptions &options, SaveOptionsFn save, QWidget *parent = nullptr,
                  Preferences *preferences = nullptr, SavePreferencesFn savePreferences = {});

    // A new dialog over `parent`, application-modal, deleted when it closes.
    static OptionsDialog *openModal(AppOptions &options, SaveOptionsFn save, QWidget *parent,
                                    Preferences *preferences = nullptr, SavePreferencesFn savePreferences = {});

    // Offers 关机 and 睡眠 only as far as the computer can do them: one it
    // cannot do stays in the list, disabled, with the reason as its tool tip
    // (and as the list's while it is the one chosen). Without a call, both
    // are offered.
    void setAfterBatchSupport(const AfterBatchSupport &support);

    // While a batch runs, what it uses (the clip range, the number of files
    // at once, the conversion choices) is shown disabled, saying why; the
    // finish sound, what follows the batch and the language stay open.
    void setBatchRunning(bool running);

protected:
    void showEvent(QShowEvent *event) override;


private:
    enum Field { FromH, FromM, FromS, ToH, ToM, ToS, FieldCount };

    void buildControls();
    void orderFocus();
    // Keeps the dialog on its screen: the settings scroll where it is short.
    void fitScreen();
    // The clip range's six fields under 时 / 分 / 秒, laid out on `surface`.
    QGridLayout *buildClipRange(QWidget *surface);
    // 同时转换的文件数, 转换完成后 and 界面语言, laid out on `surface`.
    QGridLayout *buildPreferenceControls(QWidget *surface);
    // The four conversion choices, laid out on `surface`.
    QGridLayout *buildChoiceControls(QWidget *surface);
    void fillFromOptions();
    void setFieldsEnabled(bool enabled);
    void showAfterBatchReason();
    void confirm();
    // Shows the warning of a failed check; the focus goes into `field`.
    void warn(QLineEdit *field, const QString &text, const QString &title);
    double number(Field field) const;

    AppOptions &m_options;
    SaveOptionsFn m_save;
    Preferences *m_preferences;
    SavePreferencesFn m_savePreferences;
    QComboBox *m_jobsList = nullptr;  // 自动, 1 ... the cores
    QComboBox *m_afterBatchList = nullptr; // 无, 关机, 睡眠
    AfterBatchSupport m_afterBatchSupport{{true, {}}, {true, {}}};
    QComboBox *m_languageList = nullptr; // 自动, 中文, English
    QCheckBox *m_directCheck = nullptr;
    QCheckBox *m_remuxCheck = nullptr;
    QCheckBox *m_keepDatesCheck = nullptr;
    QCheckBox *m_keepTreeCheck = nullptr;

    QComboBox *m_soundList = nullptr;
    QCheckBox *m_cutCheck = nullptr;
    std::array<QLineEdit *, FieldCount> m_fields{};
    HotImage *m_okImage = nullptr;
    HotImage *m_backImage = nullptr;
    HotImage *m_closeImage = nullptr;
    QPushButton *m_okButton = nullptr;
    QPushButton *m_backButton = nullptr;
    QScrollArea *m_scroll = nullptr;
    QLabel *m_lockedNote = nullptr;
    bool m_batchRunning = false;
};

} // namespace sonvera
