// The parameter panel shows which settings the chosen format uses.
#include "parameterpanel.h"

#include <QComboBox>
#include <QStandardItemModel>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

class TestParameterPanel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A list whose setting the format does not use is disabled, its tool tip
    // saying why; it comes back, with its own tool tip, when it applies.
    void listsTheFormatDoesNotUseAreDisabled()
    {
        ConversionSettings settings = ConversionSettings::startupDefaults(u"/out"_s);
        ParameterPanel panel(settings);
        panel.cmbOF()->setCurrentIndex(8); // MP3
        for (QComboBox *list : {panel.cmbVB(), panel.cmbF(), panel.cmbS()}) {
            QVERIFY2(!list->isEnabled(), qPrintable(list->objectName()));
            QVERIFY2(list->toolTip().contains(u"只有声音"_s), qPrintable(list->toolTip()));
        }
        QVERIFY(panel.cmbR()->isEnabled() && panel.cmbBR()->isEnabled() && panel.cmbChannel()->isEnabled());

        // RMVB keeps the source's size: its bitrates and channels are its own until a size is picked.
        panel.cmbOF()->setCurrentIndex(0);
        QVERIFY(!panel.cmbVB()->isEnabled() && !panel.cmbBR()->isEnabled() && !panel.cmbChannel()->isEnabled());
        QVERIFY2(panel.cmbVB()->toolTip().contains(u"原始大小"_s), qPrintable(panel.cmbVB()->toolTip()));
        panel.cmbS()->setCurrentIndex(panel.cmbS()->findText(u"320x240"_s));
        QVERIFY(panel.cmbVB()->isEnabled() && panel.cmbBR()->isEnabled() && panel.cmbChannel()->isEnabled());
        QCOMPARE(panel.cmbBR()->toolTip(), u"Audio Bitrate"_s);
        QVERIFY(!panel.cmbF()->isEnabled()); // RealVideo takes the intermediate's rate

        // 3GP cannot keep the source's size: that entry cannot be picked.
        panel.cmbOF()->setCurrentIndex(7);
        const auto *sizes = qobject_cast<QStandardItemModel *>(panel.cmbS()->model());
        QVERIFY(sizes && !sizes->item(0)->isEnabled() && sizes->item(1)->isEnabled());
        QVERIFY(!sizes->item(0)->toolTip().isEmpty());
        QVERIFY(panel.cmbS()->isEnabled());
        panel.cmbOF()->setCurrentIndex(0);
        QVERIFY(sizes->item(0)->isEnabled());
    }
};

QTEST_MAIN(TestParameterPanel)
#include "tst_parameterpanel.moc"
