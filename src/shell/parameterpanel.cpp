#include "parameterpanel.h"

#include "formats.h"
#include "hotimage.h"
#include "settinguse.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

void fill(QComboBox *list, std::span<const QStringView> entries)
{
    for (QStringView entry : entries)
        list->addItem(entry.toString());
}

// Shows `text` in an editable list; an entry of that text becomes the
// selected one, so the position saved for it is right.
void showText(QComboBox *list, const QString &text)
{
    const int at = list->findText(text, Qt::MatchExactly);
    list->setCurrentIndex(at);
    list->setEditText(text);
}

// How the size list shows a size: the keep-source entry in the user's language.
QString shownSize(QStringView size)
{
    return size == kKeepSourceSize ? kKeepSourceSizeCaption.toString() : size.toString();
}

// The size a text of the size list stands for.
QString sizeOf(const QString &shown)
{
    return shown == kKeepSourceSizeCaption.toString() ? kKeepSourceSize.toString() : shown;
}

// The property that keeps a list's tool tip while another says why it does not apply.
constexpr const char *kUsualToolTip = "usualToolTip";

QLabel *captionFor(const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text);
    label->setObjectName(u"caption"_s);
    label->setBuddy(buddy);
    // What a screen reader says for the control: the caption without its colon.
    QString name = text;
    while (name.endsWith(u'：') || name.endsWith(u':'))
        name.chop(1);
    buddy->setAccessibleName(name.trimmed());
    return label;
}

} // namespace

ParameterPanel::ParameterPanel(ConversionSettings &settings, QWidget *parent)
    : QWidget(parent)
    , m_settings(settings)
{
    setObjectName(u"panel"_s);
    setAttribute(Qt::WA_StyledBackground);
    m_formatList = makeList("cmbOF", tr("输出格式"), false);
    for (const FormatInfo &format : formatCatalogue())
        m_formatList->addItem(format.listText.toString());
    m_videoBitrateList = makeList("cmbVB", tr("视频比特率，单位 kbps"), true);
    fill(m_videoBitrateList, ParameterLists::videoBitrate());
    m_frameRateList = makeList("cmbF", tr("帧率，每秒的帧数"), true);
    fill(m_frameRateList, ParameterLists::frameRate());
    m_videoSizeList = makeList("cmbS", tr("视频尺寸，宽×高（像素）"), true);
    for (QStringView size : ParameterLists::videoSize())
        m_videoSizeList->addItem(shownSize(size));
    m_audioRateList = makeList("cmbR", tr("声音频率，单位 Hz"), true);
    fill(m_audioRateList, ParameterLists::audioRate());
    m_audioBitrateList = makeList("cmbBR", tr("声音比特率，单位 kbps"), true);
    fill(m_audioBitrateList, ParameterLists::audioBitrate());
    m_channelList = makeList("cmbChannel", tr("声道：立体声或单声道"), false);
    for (const TranslatableText &channel : ParameterLists::channel())
        m_channelList->addItem(channel.toString());
    buildFolderControls();
    layOut();
    connectEdits();
    showSettings();
}

void ParameterPanel::buildFolderControls()
{
    m_folderField = new QLineEdit(this);
    m_folderField->setObjectName(u"txtPath"_s);
    m_folderField->setToolTip(tr("转换好的文件保存在这个文件夹"));
    // The two browse surfaces are one command, worded once.
    const QString browse = tr("选择输出文件夹");
    m_browseButton = new QPushButton(tr("浏览"), this);
    m_browseButton->setObjectName(u"cmdBrowse"_s);
    m_browseButton->setToolTip(browse);
    // Named by its visible word, as speech input and a sighted helper call it.
    m_browseButton->setAccessibleName(m_browseButton->text());
    m_browseButton->setAccessibleDescription(browse);
    m_browseImage = new HotImage(u"folder"_s, this);
    m_browseImage->setObjectName(u"imgBrowse"_s);
    m_browseImage->setToolTip(browse);
    m_browseImage->setAccessibleName(browse);
    m_browseImage->setPressedPicture(true);
    m_browseImage->setFixedSize(28, 28);
    m_openFolderButton = new QPushButton(tr("打开输出文件夹"), this);
    m_openFolderButton->setObjectName(u"cmdOpenOutput"_s);
    m_openFolderButton->setToolTip(tr("在文件管理器中打开输出文件夹"));
    m_openFolderButton->setFlat(true);
}

void ParameterPanel::layOut()
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(12, 8, 12, 8);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(3);
    grid->addWidget(captionFor(tr("输出格式："), m_formatList), 0, 0, 1, 2);
    grid->addWidget(m_formatList, 1, 0, 1, 2);
    grid->setRowMinimumHeight(2, 6);
    const std::array<std::pair<QString, QComboBox *>, 6> pairs{{{tr("视频比特率："), m_videoBitrateList},
                                                                 {tr("帧率："), m_frameRateList},
                                                                 {tr("视频尺寸："), m_videoSizeList},
                                                                 {tr("声音频率："), m_audioRateList},
                                                                 {tr("声音比特率："), m_audioBitrateList},
                                                                 {tr("声道："), m_channelList}}};
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const int row = 3 + static_cast<int>(i / 2) * 2;
        const int column = static_cast<int>(i % 2);
        grid->addWidget(captionFor(pairs[i].first, pairs[i].second), row, column);
        grid->addWidget(pairs[i].second, row + 1, column);
    }
    grid->setRowMinimumHeight(9, 6);
    grid->addWidget(captionFor(tr("输出路径："), m_folderField), 10, 0, 1, 2);
    auto *pathRow = new QHBoxLayout;
    pathRow->setSpacing(6);
    pathRow->addWidget(m_folderField, 1);
    pathRow->addWidget(m_browseButton);
    pathRow->addWidget(m_browseImage);
    grid->addLayout(pathRow, 11, 0, 1, 2);
    grid->addWidget(m_openFolderButton, 12, 0, 1, 2, Qt::AlignRight);
    grid->setRowStretch(13, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
}

void ParameterPanel::connectEdits()
{
    // Every edit goes to the settings at once; settingsEdited() tells of it.
    connect(m_formatList, &QComboBox::currentIndexChanged, this, &ParameterPanel::onFormatPicked);
    const std::array<std::pair<QComboBox *, QString ConversionSettings::*>, 4> texts{{
        {m_videoBitrateList, &ConversionSettings::videoBitrate},
        {m_frameRateList, &ConversionSettings::frameRate},
        {m_audioRateList, &ConversionSettings::audioRate},
        {m_audioBitrateList, &ConversionSettings::audioBitrate},
    }};
    for (const auto &[list, field] : texts) {
        connect(list, &QComboBox::editTextChanged, this, [this, field](const QString &text) {
            if (!m_showing) {
                m_settings.*field = text;
                Q_EMIT settingsEdited();
            }
        });
    }
    connect(m_videoSizeList, &QComboBox::editTextChanged, this, [this](const QString &text) {
        if (!m_showing) {
            m_settings.videoSize = sizeOf(text);
            showWhatApplies();
            Q_EMIT settingsEdited();
        }
    });
    connect(m_channelList, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_showing) {
            m_settings.channelIndex = index;
            Q_EMIT settingsEdited();
        }
    });
    connect(m_folderField, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_settings.outputFolder = text;
        Q_EMIT settingsEdited();
    });
    connect(m_browseButton, &QPushButton::clicked, this, &ParameterPanel::browseRequested);
    connect(m_browseImage, &HotImage::clicked, this, &ParameterPanel::browseRequested);
    connect(m_openFolderButton, &QPushButton::clicked, this, &ParameterPanel::openFolderRequested);
}

QComboBox *ParameterPanel::makeList(const char *name, const QString &toolTip, bool editable)
{
    auto *list = new QComboBox(this);
    list->setObjectName(QString::fromLatin1(name));
    list->setToolTip(toolTip);
    list->setProperty(kUsualToolTip, toolTip);
    list->setEditable(editable);
    if (editable)
        list->setInsertPolicy(QComboBox::NoInsert); // a typed text is a value, not a new entry
    list->setMaxVisibleItems(14);
    return list;
}

void ParameterPanel::setLocked(bool locked)
{
    for (QWidget *control : focusOrder()) {
        if (control != m_openFolderButton)
            control->setEnabled(!locked);
    }
    if (!locked)
        showWhatApplies(); // but the lists the format does not use
}

void ParameterPanel::clearBrowsePicture()
{
    m_browseImage->clearPicture();
}

QList<QWidget *> ParameterPanel::focusOrder() const
{
    return {m_formatList,    m_videoBitrateList, m_frameRateList, m_videoSizeList, m_audioRateList,
            m_audioBitrateList, m_channelList,   m_folderField,   m_browseButton,  m_browseImage,
            m_openFolderButton};
}

void ParameterPanel::onFormatPicked(int index)
{
    if (m_showing)
        return;
    m_settings.selectFormat(index);
    showSettings();
    Q_EMIT settingsEdited();
}

void ParameterPanel::showSettings()
{
    m_showing = true;
    m_formatList->setCurrentIndex(formatAt(m_settings.formatIndex) ? m_settings.formatIndex : -1);
    showText(m_videoBitrateList, m_settings.videoBitrate);
    showText(m_frameRateList, m_settings.frameRate);
    showText(m_videoSizeList, shownSize(m_settings.videoSize));
    showText(m_audioRateList, m_settings.audioRate);
    showText(m_audioBitrateList, m_settings.audioBitrate);
    const int channel = m_settings.channelIndex;
    m_channelList->setCurrentIndex(channel >= 0 && channel < m_channelList->count() ? channel : -1);
    if (m_folderField->text() != m_settings.outputFolder)
        m_folderField->setText(m_settings.outputFolder);
    showWhatApplies();
    m_showing = false;
}

void ParameterPanel::showWhatApplies()
{
    const FormatInfo *format = formatAt(m_settings.formatIndex);
    const std::array<std::pair<QComboBox *, Setting>, 6> lists{{{m_videoBitrateList, Setting::VideoBitrate},
                                                                {m_frameRateList, Setting::FrameRate},
                                                                {m_videoSizeList, Setting::VideoSize},
                                                                {m_audioRateList, Setting::AudioRate},
                                                                {m_audioBitrateList, Setting::AudioBitrate},
                                                                {m_channelList, Setting::Channels}}};
    for (const auto &[list, setting] : lists) {
        const std::optional<UnusedBecause> why = unusedSetting(m_settings, setting);
        // A size the format cannot keep is the user's to change: that list stays enabled.
        list->setEnabled(!why || why == UnusedBecause::SizeCannotBeKept);
        list->setToolTip(why ? unusedSettingText(*why, *format) : list->property(kUsualToolTip).toString());
    }
    const bool keepable =
        !format || unusedSetting(*format, Setting::VideoSize, kKeepSourceSize) != UnusedBecause::SizeCannotBeKept;
    const auto *model = qobject_cast<QStandardItemModel *>(m_videoSizeList->model());
    if (QStandardItem *keep = model ? model->item(m_videoSizeList->findText(shownSize(kKeepSourceSize))) : nullptr) {
        keep->setEnabled(keepable);
        keep->setToolTip(keepable ? QString() : unusedSettingText(UnusedBecause::SizeCannotBeKept, *format));
    }
}

void ParameterPanel::setOutputFolderText(const QString &text)
{
    m_settings.outputFolder = text;
    m_folderField->setText(text);
}

} // namespace sonvera
