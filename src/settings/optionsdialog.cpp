#include "optionsdialog.h"

#include "textnumber.h"

#include "centring.h"
#include "chromeicon.h"
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
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyleOptionButton>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <tuple>

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
    m_closeImage = new HotImage(u"exit"_s, titleBar);
    m_closeImage->setObjectName(u"imgExit"_s);
    m_closeImage->setToolTip(tr("关闭"));
    m_closeImage->setFixedSize(24, 24);
    m_closeImage->setNormalColours(ChromePalette::kOnDark); // light on the dark title band, as the window's own
    auto *titleRow = new QHBoxLayout(titleBar);
    titleRow->setContentsMargins(0, 0, 6, 0);
    titleRow->addWidget(titleBand);
    titleRow->addStretch();
    titleRow->addWidget(m_closeImage);

    auto *soundLabel = new QLabel(tr("转换完毕声音提示"), surface);
    soundLabel->setObjectName(u"lblSR"_s);
    m_soundList = new QComboBox(surface);
    m_soundList->setObjectName(u"cmbSR"_s);
    m_soundList->addItems({tr("开"), tr("关")});
    m_soundList->setToolTip(tr("转换完毕后是否播放一声提示音"));
    m_soundList->setAccessibleName(soundLabel->text());
    m_soundList->setCurrentIndex(-1);
    for (QComboBox *list : findChildren<QComboBox *>())
        list->setMaxVisibleItems(12);
    soundLabel->setBuddy(m_soundList);

    m_cutCheck = new QCheckBox(tr("截取音乐"), surface);
    m_cutCheck->setObjectName(u"chkMC"_s);
    m_cutCheck->setToolTip(tr("转换为 MP3 时只截取下面的时间范围"));

    QGridLayout *range = buildClipRange(surface);
    auto *mp3Only = new QLabel(tr("截取范围只用于 MP3 格式。"), surface);
    mp3Only->setObjectName(u"lblMp3Only"_s);
    mp3Only->setWordWrap(true);

    m_okImage = new HotImage(u"ok"_s, surface);
    m_okImage->setObjectName(u"imgOK"_s);
    m_okButton = new QPushButton(tr("确定"), surface);
    m_okButton->setObjectName(u"Command1"_s);
    m_okButton->setDefault(true);
    m_backImage = new HotImage(u"back"_s, surface);
    m_backImage->setObjectName(u"imgBack"_s);
    m_backButton = new QPushButton(tr("返回"), surface);
    m_backButton->setObjectName(u"Command2"_s);
    m_backButton->setAutoDefault(false);
    // The image and the button of one command say the same; a screen reader
    // tells them apart by the image's name, which says what it does.
    for (const auto &[image, button, tip] : {std::tuple{m_okImage, m_okButton, tr("保存这些设置并关闭")},
                                              std::tuple{m_backImage, m_backButton, tr("不保存，关闭")}}) {
        image->setToolTip(tip);
        image->setAccessibleName(tip);
        button->setToolTip(tip);
    }
    m_closeImage->setAccessibleName(m_closeImage->toolTip());
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_okImage);
    buttons->addWidget(m_okButton);
    buttons->addStretch();
    buttons->addWidget(m_backImage);
    buttons->addWidget(m_backButton);

    // The sound and the clip range on the left, the preferences and the
    // conversion choices on the right: short enough for a 1080-line screen
    // at 200 %; on a shorter one the settings scroll and the buttons stay.
    auto *left = new QVBoxLayout;
    left->setSpacing(8);
    left->addWidget(soundLabel);
    left->addWidget(m_soundList);
    left->addWidget(m_cutCheck);
    left->addLayout(range);
    left->addWidget(mp3Only);
    left->addStretch();
    auto *columns = new QHBoxLayout;
    columns->setSpacing(18);
    columns->addLayout(left);
    if (m_preferences) {
        auto *right = new QVBoxLayout;
        right->setSpacing(8);
        right->addLayout(buildPreferenceControls(surface));
        right->addSpacing(4);
        right->addLayout(buildChoiceControls(surface));
        right->addStretch();
        columns->addLayout(right, 1);
    }
    auto *settings = new QWidget;
    settings->setObjectName(u"settingsArea"_s);
    auto *settingsColumn = new QVBoxLayout(settings);
    settingsColumn->setContentsMargins(0, 0, 0, 0);
    settingsColumn->setSpacing(8);
    // Said while a batch runs: what it uses cannot change under it.
    m_lockedNote = new QLabel(tr("正在转换：这批文件使用开始时的设置，灰色的设置在转换结束后才能修改。"), settings);
    m_lockedNote->setObjectName(u"lblLocked"_s);
    m_lockedNote->setWordWrap(true);
    m_lockedNote->hide();
    settingsColumn->addWidget(m_lockedNote);
    settingsColumn->addLayout(columns);
    m_scroll = new QScrollArea(surface);
    m_scroll->setObjectName(u"settingsScroll"_s);
    m_scroll->setWidget(settings);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setFocusPolicy(Qt::NoFocus);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(16, 10, 16, 14);
    body->setSpacing(8);
    body->addWidget(m_scroll, 1);
    body->addLayout(buttons);

    auto *column = new QVBoxLayout(surface);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(titleBar);
    column->addLayout(body);

    connect(m_cutCheck, &QCheckBox::toggled, this, &OptionsDialog::setFieldsEnabled);
    connect(m_okImage, &QAbstractButton::clicked, this, &OptionsDialog::confirm);
    connect(m_okButton, &QAbstractButton::clicked, this, &OptionsDialog::confirm);
    connect(m_backImage, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(m_backButton, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(m_closeImage, &QAbstractButton::clicked, this, &QDialog::reject);
    orderFocus();
}

void OptionsDialog::orderFocus()
{
    // Reading order: down the left column, down the right one, then the buttons.
    QList<QWidget *> chain{m_soundList, m_cutCheck};
    for (QLineEdit *field : m_fields)
        chain << field;
    if (m_preferences)
        chain << m_jobsList << m_afterBatchList << m_languageList << m_directCheck << m_remuxCheck << m_keepDatesCheck
              << m_keepTreeCheck;
    chain << m_okImage << m_okButton << m_backImage << m_backButton << m_closeImage;
    chain.removeIf([](const QWidget *widget) { return !(widget->focusPolicy() & Qt::TabFocus); });
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

void OptionsDialog::showEvent(QShowEvent *event)
{
    // Before the window is mapped: the window manager sees it at its size and place at once.
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        fitScreen();
        centreOverParent(*this);
    }
}

void OptionsDialog::fitScreen()
{
    // As tall as the settings need, but never taller than the screen: the
    // settings scroll then, and OK and Back stay on the screen.
    const QScreen *screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (!screen)
        return;
    ensurePolished();
    const QRect available = screen->availableGeometry();
    // The parts around the settings: the title band, the margins of the body
    // (16, 10, 16, 14) with its spacing, and the row of buttons.
    const QSize settings = m_scroll->widget()->sizeHint();
    const int buttonRow = std::max(m_okButton->sizeHint().height(), m_okImage->sizeHint().height());
    const int around = findChild<QWidget *>(u"titleBar"_s)->sizeHint().height() + 10 + 14 + 8 + buttonRow;
    const int scrollHeight = std::max(0, std::min(settings.height(), available.height() - around));
    m_scroll->setMinimumHeight(scrollHeight);
    const int bar = scrollHeight < settings.height() ? m_scroll->verticalScrollBar()->sizeHint().width() : 0;
    const int width = std::min(settings.width() + bar + 32, available.width());
    setMinimumWidth(width);
    resize(width, std::min(scrollHeight + around, available.height()));
}

void OptionsDialog::setBatchRunning(bool running)
{
    // A batch converts every file with the settings it started with: the
    // ones it uses are shown but cannot be changed until it ends.
    const QString why = tr("正在转换：这项设置在这批文件转换结束后才能修改");
    QList<QWidget *> locked{m_cutCheck, m_jobsList, m_directCheck, m_remuxCheck, m_keepDatesCheck, m_keepTreeCheck};
    for (QLineEdit *field : m_fields)
        locked << field;
    for (QWidget *control : std::as_const(locked)) {
        if (!control)
            continue;
        if (!control->property("usualToolTip").isValid())
            control->setProperty("usualToolTip", control->toolTip());
        control->setToolTip(running ? why : control->property("usualToolTip").toString());
        control->setEnabled(!running);
    }
    m_batchRunning = running;
    m_lockedNote->setVisible(running);
    setFieldsEnabled(m_cutCheck->isChecked());
}

QGridLayout *OptionsDialog::buildClipRange(QWidget *surface)
{
    static constexpr std::array<const char16_t *, FieldCount> kNames{u"txtFromH", u"txtFromM", u"txtFromS",
                                                                      u"txtToH",   u"txtToM",   u"txtToS"};
    //: The six fields of the clip range: %1 is 开始 or 结束, %2 时, 分 or 秒.
    const QString fieldName = tr("%1（%2）");
    const std::array<QString, 6> names{fieldName.arg(tr("开始"), tr("时")), fieldName.arg(tr("开始"), tr("分")),
                                       fieldName.arg(tr("开始"), tr("秒")), fieldName.arg(tr("结束"), tr("时")),
                                       fieldName.arg(tr("结束"), tr("分")), fieldName.arg(tr("结束"), tr("秒"))};
    for (int i = 0; i < FieldCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        QLineEdit *field = makeTimeField(QString::fromUtf16(kNames[at]), surface);
        field->setToolTip(names[at]);
        field->setAccessibleName(names[at]);
        m_fields[at] = field;
    }
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
    m_jobsList = new QComboBox(surface);
    m_jobsList->setObjectName(u"cmbJobs"_s);
    m_jobsList->setToolTip(tr("同时转换几个文件；自动：电脑有几个核心就同时转换几个"));
    m_jobsList->addItem(tr("自动"), 0);
    const int cores = std::max(QThread::idealThreadCount(), 1);
    for (int n = 1; n <= cores; ++n)
        m_jobsList->addItem(QString::number(n), n);
    m_afterBatchList = new QComboBox(surface);
    m_afterBatchList->setObjectName(u"cmbAfter"_s);
    m_afterBatchList->setToolTip(tr("全部文件转换成功后电脑做什么"));
    m_afterBatchList->setProperty("usualToolTip", m_afterBatchList->toolTip());
    m_afterBatchList->setAccessibleDescription(m_afterBatchList->toolTip());
    m_afterBatchList->addItem(tr("无"), int(AfterBatchAction::None));
    m_afterBatchList->addItem(tr("关机"), int(AfterBatchAction::PowerOff));
    m_afterBatchList->addItem(tr("睡眠"), int(AfterBatchAction::Suspend));
    connect(m_afterBatchList, &QComboBox::currentIndexChanged, this, &OptionsDialog::showAfterBatchReason);
    m_languageList = new QComboBox(surface);
    m_languageList->setObjectName(u"cmbLanguage"_s);
    m_languageList->setToolTip(tr("窗口的语言；自动：跟随系统"));
    m_languageList->addItem(tr("自动"), int(LanguageOption::Automatic));
    m_languageList->addItem(tr("中文"), int(LanguageOption::Chinese));
    m_languageList->addItem(u"English"_s, int(LanguageOption::English));
    auto *more = new QGridLayout;
    auto *jobsLabel = new QLabel(tr("同时转换的文件数"), surface);
    jobsLabel->setBuddy(m_jobsList);
    m_jobsList->setAccessibleName(jobsLabel->text());
    auto *afterLabel = new QLabel(tr("转换完成后"), surface);
    afterLabel->setBuddy(m_afterBatchList);
    m_afterBatchList->setAccessibleName(afterLabel->text());

    more->addWidget(jobsLabel, 0, 0);
    more->addWidget(m_jobsList, 0, 1);
    more->addWidget(afterLabel, 1, 0);
    more->addWidget(m_afterBatchList, 1, 1);
    auto *languageLabel = new QLabel(tr("界面语言"), surface);
    languageLabel->setBuddy(m_languageList);
    m_languageList->setAccessibleName(languageLabel->text());
    // The window is built in one language; another takes a new start.
    auto *restartNote = new QLabel(tr("重新启动后生效"), surface);
    restartNote->setObjectName(u"lblRestartNote"_s);
    more->addWidget(languageLabel, 2, 0);
    more->addWidget(m_languageList, 2, 1);
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
    m_directCheck = check("chkDirect", tr("一步转换（更快，画质更好）"),
                          tr("RMVB、RM、MOV、手机 MP4 和 3GP 直接从源文件转换，不经过中间文件"));
    m_remuxCheck = check("chkRemux", tr("能直接复制时不重新编码"),
                         tr("H.264/AAC 的视频转成 MP4 或 MOV、MP3 声音转成 MP3 时，原样复制音视频流"));
    m_keepDatesCheck = check("chkKeepDates", tr("保留源文件的修改时间"),
                             tr("转换好的文件使用源文件的修改时间，而不是转换的时间"));
    m_keepTreeCheck = check("chkKeepTree", tr("保留添加的文件夹的子文件夹结构"),
                            tr("添加文件夹找到的文件，输出到输出文件夹下相同的子文件夹中"));
    // Right under the option it concerns, in line with its text: a copy
    // keeps the source's picture and sound as they are.
    auto *remuxNote = new QLabel(tr("复制时不使用尺寸和比特率参数"), surface);
    remuxNote->setObjectName(u"lblRemuxNote"_s);
    remuxNote->setWordWrap(true);
    QStyleOptionButton box;
    box.initFrom(m_remuxCheck);
    const int indent = m_remuxCheck->style()->subElementRect(QStyle::SE_CheckBoxContents, &box, m_remuxCheck).left();
    remuxNote->setContentsMargins(indent, 0, 0, 0);
    auto *choices = new QGridLayout;
    choices->setVerticalSpacing(4);
    choices->addWidget(m_directCheck, 0, 0);
    choices->addWidget(m_remuxCheck, 1, 0);
    choices->addWidget(remuxNote, 2, 0);
    choices->addWidget(m_keepDatesCheck, 3, 0);
    choices->addWidget(m_keepTreeCheck, 4, 0);
    return choices;
}

void OptionsDialog::fillFromOptions()
{
    // A stored value outside the list ("none") shows no selection.
    const int sound = m_options.finishSoundIndex;
    m_soundList->setCurrentIndex(sound >= 0 && sound < m_soundList->count() ? sound : -1);

    if (m_preferences) {
        // A count above this computer's cores shows as the largest it offers.
        const int jobs = std::min(m_preferences->parallelJobs, m_jobsList->count() - 1);
        m_jobsList->setCurrentIndex(m_jobsList->findData(jobs));
        m_afterBatchList->setCurrentIndex(m_afterBatchList->findData(int(m_preferences->afterBatch)));
        m_languageList->setCurrentIndex(m_languageList->findData(int(m_preferences->language)));
        const ConversionChoices &choices = m_preferences->choices;
        m_directCheck->setChecked(choices.direct);
        m_remuxCheck->setChecked(choices.remux);
        m_keepDatesCheck->setChecked(choices.keepDates);
        m_keepTreeCheck->setChecked(choices.keepTree);
    }

    m_cutCheck->setChecked(m_options.cutterEnabled == 1);
    setFieldsEnabled(m_cutCheck->isChecked());
    if (!m_cutCheck->isChecked())
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
    auto *items = m_afterBatchList ? qobject_cast<QStandardItemModel *>(m_afterBatchList->model()) : nullptr;
    if (!items)
        return;
    for (int row = 0; row < items->rowCount(); ++row) {
        const ActionSupport can = support.of(static_cast<AfterBatchAction>(m_afterBatchList->itemData(row).toInt()));
        items->item(row)->setEnabled(can.available);
        items->item(row)->setToolTip(can.reason);
    }
    showAfterBatchReason();
}

void OptionsDialog::showAfterBatchReason()
{
    // The chosen action's reason when the computer cannot do it, else what the list is for.
    const auto chosen = static_cast<AfterBatchAction>(m_afterBatchList->currentData().toInt());
    const QString reason = m_afterBatchSupport.of(chosen).reason;
    m_afterBatchList->setToolTip(reason.isEmpty() ? m_afterBatchList->property("usualToolTip").toString() : reason);
}

void OptionsDialog::setFieldsEnabled(bool enabled)
{
    for (QLineEdit *field : m_fields)
        field->setEnabled(enabled && !m_batchRunning);
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
        m_cutCheck->setChecked(false);

    auto total = [this](Field h) {
        return number(h) * kSecondsPerHour + number(Field(h + 1)) * kSecondsPerMinute + number(Field(h + 2));
    };
    m_options.finishSoundIndex = static_cast<qint16>(m_soundList->currentIndex());
    m_options.cutterEnabled = m_cutCheck->isChecked() ? 1 : 0;
    m_options.cutStartSeconds = toStoredSeconds(total(FromH));
    m_options.cutEndSeconds = toStoredSeconds(total(ToH));

    // A failed write has been logged by the saver; the options hold for this run.
    if (m_save)
        m_save(m_options);
    if (m_preferences) {
        m_preferences->parallelJobs = m_jobsList->currentData().toInt();
        m_preferences->afterBatch = static_cast<AfterBatchAction>(m_afterBatchList->currentData().toInt());
        m_preferences->language = static_cast<LanguageOption>(m_languageList->currentData().toInt());
        m_preferences->choices = {m_directCheck->isChecked(), m_remuxCheck->isChecked(), m_keepDatesCheck->isChecked(),
                                  m_keepTreeCheck->isChecked()};
        if (m_savePreferences)
            m_savePreferences(*m_preferences);
    }
    accept();
}

} // namespace sonvera
