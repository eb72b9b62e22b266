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
    return label;
}

} // namespace

ParameterPanel::ParameterPanel(ConversionSettings &settings, QWidget *parent)
    : QWidget(parent)
    , m_settings(settings)
{
    setObjectName(u"panel"_s);
    setAttribute(Qt::WA_StyledBackground);
    m_cmbOF = makeList("cmbOF", tr("Output Format"), false);
    for (const FormatInfo &format : formatCatalogue())
        m_cmbOF->addItem(format.listText.toString());
    m_cmbVB = makeList("cmbVB", tr("Size"), true);
    fill(m_cmbVB, ParameterLists::videoBitrate());
    m_cmbF = makeList("cmbF", tr("Size"), true);
    fill(m_cmbF, ParameterLists::frameRate());
    m_cmbS = makeList("cmbS", tr("Size"), true);
    for (QStringView size : ParameterLists::videoSize())
        m_cmbS->addItem(shownSize(size));
    m_cmbR = makeList("cmbR", tr("Audio Rate"), true);
    fill(m_cmbR, ParameterLists::audioRate());
    m_cmbBR = makeList("cmbBR", tr("Audio Bitrate"), true);
    fill(m_cmbBR, ParameterLists::audioBitrate());
    m_cmbChannel = makeList("cmbChannel", tr("Channel(Stereo or Mono)"), false);
    for (const TranslatableText &channel : ParameterLists::channel())
        m_cmbChannel->addItem(channel.toString());

    m_txtPath = new QLineEdit(this);
    m_txtPath->setObjectName(u"txtPath"_s);
    m_txtPath->setToolTip(tr("Select a Folder to Output"));
    m_cmdBrowse = new QPushButton(tr("浏览"), this);
    m_cmdBrowse->setObjectName(u"cmdBrowse"_s);
    m_cmdBrowse->setToolTip(tr("Select an Output Folder"));
    m_imgBrowse = new HotImage(u"folder"_s, this);
    m_imgBrowse->setObjectName(u"imgBrowse"_s);
    m_imgBrowse->setToolTip(tr("Select an Output Folder"));
    m_imgBrowse->setPressedPicture(true);
    m_imgBrowse->setFixedSize(28, 28);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(12, 8, 12, 8);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(3);
    grid->addWidget(captionFor(tr("输出格式："), m_cmbOF), 0, 0, 1, 2);
    grid->addWidget(m_cmbOF, 1, 0, 1, 2);
    grid->setRowMinimumHeight(2, 8);
    const std::array<std::pair<QString, QComboBox *>, 6> pairs{{{tr("视频比特率："), m_cmbVB},
                                                                 {tr("帧率："), m_cmbF},
                                                                 {tr("视频尺寸："), m_cmbS},
                                                                 {tr("声音频率："), m_cmbR},
                                                                 {tr("声音比特率："), m_cmbBR},
                                                                 {tr("声道："), m_cmbChannel}}};
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const int row = 3 + static_cast<int>(i / 2) * 2;
        const int column = static_cast<int>(i % 2);
        grid->addWidget(captionFor(pairs[i].first, pairs[i].second), row, column);
        grid->addWidget(pairs[i].second, row + 1, column);
    }
    grid->setRowMinimumHeight(9, 8);
    grid->addWidget(captionFor(tr("输出路径："), m_txtPath), 10, 0, 1, 2);
    auto *pathRow = new QHBoxLayout;
    pathRow->setSpacing(6);
    pathRow->addWidget(m_txtPath, 1);
    pathRow->addWidget(m_cmdBrowse);
    pathRow->addWidget(m_imgBrowse);
    grid->addLayout(pathRow, 11, 0, 1, 2);
    grid->setRowStretch(12, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    connectEdits();
    showSettings();
}

void ParameterPanel::connectEdits()
{
    // Every edit goes to the settings at once; settingsEdited() tells of it.
    connect(m_cmbOF, &QComboBox::currentIndexChanged, this, &ParameterPanel::onFormatPicked);
    const std::array<std::pair<QComboBox *, QString ConversionSettings::*>, 4> texts{{
        {m_cmbVB, &ConversionSettings::videoBitrate},
        {m_cmbF, &ConversionSettings::frameRate},
        {m_cmbR, &ConversionSettings::audioRate},
        {m_cmbBR, &ConversionSettings::audioBitrate},
    }};
    for (const auto &[list, field] : texts) {
        connect(list, &QComboBox::editTextChanged, this, [this, field](const QString &text) {
            if (!m_showing) {
                m_settings.*field = text;
                Q_EMIT settingsEdited();
            }
        });
    }
    connect(m_cmbS, &QComboBox::editTextChanged, this, [this](const QString &text) {
        if (!m_showing) {
            m_settings.videoSize = sizeOf(text);
            showWhatApplies();
            Q_EMIT settingsEdited();
        }
    });
    connect(m_cmbChannel, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_showing) {
            m_settings.channelIndex = index;
            Q_EMIT settingsEdited();
        }
    });
    connect(m_txtPath, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_settings.outputFolder = text;
        Q_EMIT settingsEdited();
    });
    connect(m_cmdBrowse, &QPushButton::clicked, this, &ParameterPanel::browseRequested);
    connect(m_imgBrowse, &HotImage::clicked, this, &ParameterPanel::browseRequested);
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
    m_cmbOF->setCurrentIndex(formatAt(m_settings.formatIndex) ? m_settings.formatIndex : -1);
    showText(m_cmbVB, m_settings.videoBitrate);
    showText(m_cmbF, m_settings.frameRate);
    showText(m_cmbS, shownSize(m_settings.videoSize));
    showText(m_cmbR, m_settings.audioRate);
    showText(m_cmbBR, m_settings.audioBitrate);
    m_cmbChannel->setCurrentIndex(m_settings.channelIndex >= 0 && m_settings.channelIndex < m_cmbChannel->count()
                                      ? m_settings.channelIndex
                                      : -1);
    if (m_txtPath->text() != m_settings.outputFolder)
        m_txtPath->setText(m_settings.outputFolder);
    showWhatApplies();
    m_showing = false;
}

void ParameterPanel::showWhatApplies()
{
    const FormatInfo *format = formatAt(m_settings.formatIndex);
    const std::array<std::pair<QComboBox *, Setting>, 6> lists{{{m_cmbVB, Setting::VideoBitrate},
                                                                {m_cmbF, Setting::FrameRate},
                                                                {m_cmbS, Setting::VideoSize},
                                                                {m_cmbR, Setting::AudioRate},
                                                                {m_cmbBR, Setting::AudioBitrate},
                                                                {m_cmbChannel, Setting::Channels}}};
    for (const auto &[list, setting] : lists) {
        const std::optional<UnusedBecause> why = unusedSetting(m_settings, setting);
        // A size the format cannot keep is the user's to change: that list stays enabled.
        list->setEnabled(!why || why == UnusedBecause::SizeCannotBeKept);
        list->setToolTip(why ? unusedSettingText(*why, *format) : list->property(kUsualToolTip).toString());
    }
    const bool keepable =
        !format || unusedSetting(*format, Setting::VideoSize, kKeepSourceSize) != UnusedBecause::SizeCannotBeKept;
    const auto *model = qobject_cast<QStandardItemModel *>(m_cmbS->model());
    if (QStandardItem *keep = model ? model->item(m_cmbS->findText(shownSize(kKeepSourceSize))) : nullptr) {
        keep->setEnabled(keepable);
        keep->setToolTip(keepable ? QString() : unusedSettingText(UnusedBecause::SizeCannotBeKept, *format));
    }
}

void ParameterPanel::setOutputFolderText(const QString &text)
{
    m_settings.outputFolder = text;
    m_txtPath->setText(text);
}

} // namespace sonvera
