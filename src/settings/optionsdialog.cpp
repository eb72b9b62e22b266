#include "optionsdialog.h"

#include "textnumber.h"

#include "hotimage.h"
#include "settingstext.h"
#include "surfacedrag.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyleOptionButton>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

constexpr int kSecondsPerHour = 3600;
constexpr int kSecondsPerMinute = 60;

// Floor division, so that a negative time (minutes have no lower limit)
// still splits into parts that add up to it again.
qint64 floorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// Hours, minutes and seconds of a whole-second time.
std::array<qint64, 3> splitTime(qint64 seconds)
{
    const qint64 h = floorDiv(seconds, kSecondsPerHour);
    const qint64 m = floorDiv(seconds - h * kSecondsPerHour, kSecondsPerMinute);
    return {h, m, seconds - h * kSecondsPerHour - m * kSecondsPerMinute};
}

// A time as stored: whole seconds, half to even. Hours have no upper limit, so
// a time past the 32-bit range is held at its end instead of wrapping around.
qint32 toStoredSeconds(double seconds)
{
    constexpr auto lo = std::numeric_limits<qint32>::min();
    constexpr auto hi = std::numeric_limits<qint32>::max();
    if (std::isnan(seconds))
        return 0;
    const double held = std::clamp(seconds, double(lo), double(hi));
    return static_cast<qint32>(SettingsText::roundedWithin(held, lo, hi).value_or(held < 0 ? lo : hi));
}

QLineEdit *makeTimeField(const QString &name, QWidget *parent)
{
    auto *field = new QLineEdit(u"0"_s, parent);
    field->setObjectName(name);
    field->setAlignment(Qt::AlignRight);
    field->setFixedWidth(64);
    return field;
}

} // namespace

OptionsDialog::OptionsDialog(AppOptions &options, SaveOptionsFn save, QWidget *parent, Preferences *preferences,
                             SavePreferencesFn savePreferences)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_options(options)
    , m_save(std::move(save))
    , m_preferences(preferences)
    , m_savePreferences(std::move(savePreferences))
{
    setObjectName(u"frmOptions"_s);
    setWindowTitle(tr("选项设置"));
    setAttribute(Qt::WA_TranslucentBackground); // the surface paints the rounded frame
    buildControls();
    new SurfaceDrag(this);
    fillFromOptions();
}

OptionsDialog *OptionsDialog::openModal(AppOptions &options, SaveOptionsFn save, QWidget *parent,
                                       Preferences *preferences, SavePreferencesFn savePreferences)
{
    auto *dialog = new OptionsDialog(options, std::move(save), parent, preferences, std::move(savePreferences));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
    return dialog;
}

void OptionsDialog::buildControls()
{
    auto *surface = new QWidget(this);
    surface->setObjectName(u"surface"_s);
    surface->setAttribute(Qt::WA_StyledBackground);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(surface);

    auto *titleBar = new QWidget(surface);
    titleBar->setObjectName(u"titleBar"_s);
    titleBar->setAttribute(Qt::WA_StyledBackground);
    auto *titleBand = new QLabel(windowTitle(), titleBar);
    titleBand->setObjectName(u"titleBand"_s);
    m_imgExit = new HotImage(u"exit"_s, titleBar);
    m_imgExit->setObjectName(u"imgExit"_s);
    m_imgExit->setToolTip(tr("关闭"));
    m_imgExit->setFixedSize(24, 24);
    auto *titleRow = new QHBoxLayout(titleBar);
    titleRow->setContentsMargins(0, 0, 6, 0);
    titleRow->addWidget(titleBand);
    titleRow->addStretch();
    titleRow->addWidget(m_imgExit);

    auto *soundLabel = new QLabel(tr("转换完毕声音提示"), surface);
    soundLabel->setObjectName(u"lblSR"_s);
    m_cmbSR = new QComboBox(surface);
    m_cmbSR->setObjectName(u"cmbSR"_s);
    m_cmbSR->addItems({tr("ON"), tr("OFF")});
    m_cmbSR->setToolTip(tr("MP3 Audio Bitrate"));
    m_cmbSR->setCurrentIndex(-1);

    m_chkMC = new QCheckBox(tr("Music Cutter"), surface);
    m_chkMC->setObjectName(u"chkMC"_s);

    QGridLayout *range = buildClipRange(surface);
    auto *mp3Only = new QLabel(tr("截取范围只用于 MP3 格式。"), surface);
    mp3Only->setObjectName(u"lblMp3Only"_s);
    mp3Only->setWordWrap(true);

    m_imgOK = new HotImage(u"ok"_s, surface);
    m_imgOK->setObjectName(u"imgOK"_s);
    m_imgOK->setToolTip(tr("确定"));
    m_command1 = new QPushButton(tr("确定"), surface);
    m_command1->setObjectName(u"Command1"_s);
    m_command1->setDefault(true);
    m_imgBack = new HotImage(u"back"_s, surface);
    m_imgBack->setObjectName(u"imgBack"_s);
    m_imgBack->setToolTip(tr("返回"));
    m_command2 = new QPushButton(tr("返回"), surface);
    m_command2->setObjectName(u"Command2"_s);
    m_command2->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_imgOK);
    buttons->addWidget(m_command1);
    buttons->addStretch();
    buttons->addWidget(m_imgBack);
    buttons->addWidget(m_command2);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(16, 10, 16, 14);
    body->setSpacing(8);
    body->addWidget(soundLabel);
    body->addWidget(m_cmbSR);
    body->addWidget(m_chkMC);
    body->addLayout(range);
    body->addWidget(mp3Only);
    if (m_preferences) {
        body->addSpacing(4);
        body->addLayout(buildPreferenceControls(surface));
        body->addSpacing(4);
        body->addLayout(buildChoiceControls(surface));
    }
    body->addSpacing(6);
    body->addLayout(buttons);

    auto *column = new QVBoxLayout(surface);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(titleBar);
    column->addLayout(body);

    connect(m_chkMC, &QCheckBox::toggled, this, &OptionsDialog::setFieldsEnabled);
    connect(m_imgOK, &QAbstractButton::clicked, this, &OptionsDialog::confirm);
    connect(m_command1, &QAbstractButton::clicked, this, &OptionsDialog::confirm);
    connect(m_imgBack, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(m_command2, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(m_imgExit, &QAbstractButton::clicked, this, &QDialog::reject);
}

QGridLayout *OptionsDialog::buildClipRange(QWidget *surface)
{
    static constexpr std::array<const char16_t *, FieldCount> kNames{u"txtFromH", u"txtFromM", u"txtFromS",
                                                                      u"txtToH",   u"txtToM",   u"txtToS"};
    for (int i = 0; i < FieldCount; ++i)
        m_fields[static_cast<std::size_t>(i)] = makeTimeField(QString::fromUtf16(kNames[static_cast<std::size_t>(i)]), surface);
    // The clip range: 开始 and 结束 rows under 时 / 分 / 秒 columns.
    auto *range = new QGridLayout;
    range->setHorizontalSpacing(6);
    const std::array<QString, 3> units{tr("时"), tr("分"), tr("秒")};
    for (int column = 0; column < 3; ++column) {
        auto *unit = new QLabel(units[static_cast<std::size_t>(column)], surface);
        unit->setAlignment(Qt::AlignCenter);
        range->addWidget(unit, 0, column + 1);
    }
    const std::array<QString, 2> ends{tr("开始"), tr("结束")};
    for (int row = 0; row < 2; ++row) {
        auto *end = new QLabel(ends[static_cast<std::size_t>(row)], surface);
        range->addWidget(end, row + 1, 0);
        for (int column = 0; column < 3; ++column) {
            QLineEdit *field = m_fields[static_cast<std::size_t>(row * 3 + column)];
            range->addWidget(field, row + 1, column + 1);
            end->setBuddy(m_fields[static_cast<std::size_t>(row * 3)]);
        }
    }
    range->setColumnStretch(4, 1);
    return range;
}

QGridLayout *OptionsDialog::buildPreferenceControls(QWidget *surface)
{
    m_cmbJobs = new QComboBox(surface);
    m_cmbJobs->setObjectName(u"cmbJobs"_s);
    m_cmbJobs->addItem(tr("自动"), 0);
    const int cores = std::max(QThread::idealThreadCount(), 1);
    for (int n = 1; n <= cores; ++n)
        m_cmbJobs->addItem(QString::number(n), n);
    m_cmbAfter = new QComboBox(surface);
    m_cmbAfter->setObjectName(u"cmbAfter"_s);
    m_cmbAfter->addItem(tr("无"), int(AfterBatchAction::None));
    m_cmbAfter->addItem(tr("关机"), int(AfterBatchAction::PowerOff));
    m_cmbAfter->addItem(tr("睡眠"), int(AfterBatchAction::Suspend));
    connect(m_cmbAfter, &QComboBox::currentIndexChanged, this, &OptionsDialog::showAfterBatchReason);
    m_cmbLanguage = new QComboBox(surface);
    m_cmbLanguage->setObjectName(u"cmbLanguage"_s);
    m_cmbLanguage->addItem(tr("自动"), int(LanguageOption::Automatic));
    m_cmbLanguage->addItem(tr("中文"), int(LanguageOption::Chinese));
    m_cmbLanguage->addItem(u"English"_s, int(LanguageOption::English));
    auto *more = new QGridLayout;
    auto *jobsLabel = new QLabel(tr("同时转换的文件数"), surface);
    jobsLabel->setBuddy(m_cmbJobs);
    auto *afterLabel = new QLabel(tr("转换完成后"), surface);
    afterLabel->setBuddy(m_cmbAfter);
    more->addWidget(jobsLabel, 0, 0);
    more->addWidget(m_cmbJobs, 0, 1);
    more->addWidget(afterLabel, 1, 0);
    more->addWidget(m_cmbAfter, 1, 1);
    auto *languageLabel = new QLabel(tr("界面语言"), surface);
    languageLabel->setBuddy(m_cmbLanguage);
    // The window is built in one language; another takes a new start.
    auto *restartNote = new QLabel(tr("重新启动后生效"), surface);
    restartNote->setObjectName(u"lblRestartNote"_s);
    more->addWidget(languageLabel, 2, 0);
    more->addWidget(m_cmbLanguage, 2, 1);
    more->addWidget(restartNote, 3, 1);
    more->setColumnStretch(1, 1);
    return more;
}

QGridLayout *OptionsDialog::buildChoiceControls(QWidget *surface)
{
    auto check = [surface](const char *name, const QString &text, const QString &toolTip) {
        auto *box = new QCheckBox(text, surface);
        box->setObjectName(QString::fromLatin1(name));
        box->setToolTip(toolTip);
        return box;
    };
    m_chkDirect = check("chkDirect", tr("一步转换（更快，画质更好）"),
                        tr("RMVB、RM、MOV、手机 MP4 和 3GP 直接从源文件转换，不经过中间文件"));
    m_chkRemux = check("chkRemux", tr("能直接复制时不重新编码"),
                       tr("H.264/AAC 的视频转成 MP4 或 MOV、MP3 声音转成 MP3 时，原样复制音视频流"));
    m_chkKeepDates = check("chkKeepDates", tr("保留源文件的修改时间"), {});
    m_chkKeepTree = check("chkKeepTree", tr("保留添加的文件夹的子文件夹结构"),
                          tr("添加文件夹找到的文件，输出到输出文件夹下相同的子文件夹中"));
    // Right under the option it concerns, in line with its text: a copy
    // keeps the source's picture and sound as they are.
    auto *remuxNote = new QLabel(tr("复制时不使用尺寸和比特率参数"), surface);
    remuxNote->setObjectName(u"lblRemuxNote"_s);
    remuxNote->setWordWrap(true);
    QStyleOptionButton box;
    box.initFrom(m_chkRemux);
    const int indent = m_chkRemux->style()->subElementRect(QStyle::SE_CheckBoxContents, &box, m_chkRemux).left();
    remuxNote->setContentsMargins(indent, 0, 0, 0);
    auto *choices = new QGridLayout;
    choices->setVerticalSpacing(4);
    choices->addWidget(m_chkDirect, 0, 0);
    choices->addWidget(m_chkRemux, 1, 0);
    choices->addWidget(remuxNote, 2, 0);
    choices->addWidget(m_chkKeepDates, 3, 0);
    choices->addWidget(m_chkKeepTree, 4, 0);
    return choices;
}

void OptionsDialog::fillFromOptions()
{
    // A stored value outside the list ("none") shows no selection.
    const int sound = m_options.finishSoundIndex;
    m_cmbSR->setCurrentIndex(sound >= 0 && sound < m_cmbSR->count() ? sound : -1);

    if (m_preferences) {
        // A count above this computer's cores shows as the largest it offers.
        const int jobs = std::min(m_preferences->parallelJobs, m_cmbJobs->count() - 1);
        m_cmbJobs->setCurrentIndex(m_cmbJobs->findData(jobs));
        m_cmbAfter->setCurrentIndex(m_cmbAfter->findData(int(m_preferences->afterBatch)));
        m_cmbLanguage->setCurrentIndex(m_cmbLanguage->findData(int(m_preferences->language)));
        const ConversionChoices &choices = m_preferences->choices;
        m_chkDirect->setChecked(choices.direct);
        m_chkRemux->setChecked(choices.remux);
        m_chkKeepDates->setChecked(choices.keepDates);
        m_chkKeepTree->setChecked(choices.keepTree);
    }

    m_chkMC->setChecked(m_options.cutterEnabled == 1);
    setFieldsEnabled(m_chkMC->isChecked());
    if (!m_chkMC->isChecked())
        return; // the fields keep "0", whatever times are stored

    const std::array<qint64, 3> from = splitTime(m_options.cutStartSeconds);
    const std::array<qint64, 3> to = splitTime(m_options.cutEndSeconds);
    for (std::size_t i = 0; i < 3; ++i) {
        m_fields[FromH + i]->setText(QString::number(from[i]));
        m_fields[ToH + i]->setText(QString::number(to[i]));
    }
}

void OptionsDialog::setAfterBatchSupport(const AfterBatchSupport &support)
{
    m_afterBatchSupport = support;
    auto *items = m_cmbAfter ? qobject_cast<QStandardItemModel *>(m_cmbAfter->model()) : nullptr;
    if (!items)
        return;
    for (int row = 0; row < items->rowCount(); ++row) {
        const ActionSupport can = support.of(static_cast<AfterBatchAction>(m_cmbAfter->itemData(row).toInt()));
        items->item(row)->setEnabled(can.available);
        items->item(row)->setToolTip(can.reason);
    }
    showAfterBatchReason();
}

void OptionsDialog::showAfterBatchReason()
{
    const auto chosen = static_cast<AfterBatchAction>(m_cmbAfter->currentData().toInt());
    m_cmbAfter->setToolTip(m_afterBatchSupport.of(chosen).reason);
}

void OptionsDialog::setFieldsEnabled(bool enabled)
{
    for (QLineEdit *field : m_fields)
        field->setEnabled(enabled);
}

double OptionsDialog::number(Field field) const
{
    return leadingNumber(m_fields[static_cast<std::size_t>(field)]->text());
}

void OptionsDialog::warn(QLineEdit *field, const QString &text, const QString &title)
{
    auto *box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // The box takes the focus while it is open; hand it to the field afterwards.
    connect(box, &QDialog::finished, field, [field] { field->setFocus(Qt::OtherFocusReason); });
    field->setFocus(Qt::OtherFocusReason);
    box->open();
}

void OptionsDialog::confirm()
{
    const QString minutes = tr("分钟必须小于60");
    const QString seconds = tr("秒必须小于60");
    const struct {
        Field field;
        const QString &text;
        QString title;
    } checks[] = {
        {FromM, minutes, tr("分钟")},
        {ToM, minutes, tr("分钟")},
        {FromS, seconds, tr("秒")},
        {ToS, seconds, tr("秒")},
    };
    for (const auto &check : checks) {
        if (number(check.field) > 59) {
            warn(m_fields[static_cast<std::size_t>(check.field)], check.text, check.title);
            return;
        }
    }

    const bool allZero = std::all_of(m_fields.begin(), m_fields.end(), [](const QLineEdit *field) {
        return leadingNumber(field->text()) == 0;
    });
    if (allZero)
        m_chkMC->setChecked(false);

    auto total = [this](Field h) {
        return number(h) * kSecondsPerHour + number(Field(h + 1)) * kSecondsPerMinute + number(Field(h + 2));
    };
    m_options.finishSoundIndex = static_cast<qint16>(m_cmbSR->currentIndex());
    m_options.cutterEnabled = m_chkMC->isChecked() ? 1 : 0;
    m_options.cutStartSeconds = toStoredSeconds(total(FromH));
    m_options.cutEndSeconds = toStoredSeconds(total(ToH));

    // A failed write has been logged by the saver; the options hold for this run.
    if (m_save)
        m_save(m_options);
    if (m_preferences) {
        m_preferences->parallelJobs = m_cmbJobs->currentData().toInt();
        m_preferences->afterBatch = static_cast<AfterBatchAction>(m_cmbAfter->currentData().toInt());
        m_preferences->language = static_cast<LanguageOption>(m_cmbLanguage->currentData().toInt());
        m_preferences->choices = {m_chkDirect->isChecked(), m_chkRemux->isChecked(), m_chkKeepDates->isChecked(),
                                  m_chkKeepTree->isChecked()};
        if (m_savePreferences)
            m_savePreferences(*m_preferences);
    }
    accept();
}

} // namespace sonvera
