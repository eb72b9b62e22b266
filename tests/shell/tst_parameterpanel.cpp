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
        const auto list = [&panel](const char *name) {
            auto *found = panel.findChild<QComboBox *>(QString::fromLatin1(name));
            Q_ASSERT(found);
            return found;
        };
        list("cmbOF")->setCurrentIndex(8); // MP3
        for (QComboBox *unused : {list("cmbVB"), list("cmbF"), list("cmbS")}) {
            QVERIFY2(!unused->isEnabled(), qPrintable(unused->objectName()));
            QVERIFY2(unused->toolTip().contains(u"只有声音"_s), qPrintable(unused->toolTip()));
        }
        QVERIFY(list("cmbR")->isEnabled() && list("cmbBR")->isEnabled() && list("cmbChannel")->isEnabled());

        // RMVB keeps the source's size: its bitrates and channels are its own until a size is picked.
        list("cmbOF")->setCurrentIndex(0);
        QVERIFY(!list("cmbVB")->isEnabled() && !list("cmbBR")->isEnabled() && !list("cmbChannel")->isEnabled());
        QVERIFY2(list("cmbVB")->toolTip().contains(u"原始大小"_s), qPrintable(list("cmbVB")->toolTip()));
        list("cmbS")->setCurrentIndex(list("cmbS")->findText(u"320x240"_s));
        QVERIFY(list("cmbVB")->isEnabled() && list("cmbBR")->isEnabled() && list("cmbChannel")->isEnabled());
        QCOMPARE(list("cmbBR")->toolTip(), u"声音比特率，单位 kbps"_s);
        QVERIFY(!list("cmbF")->isEnabled()); // RealVideo takes the intermediate's rate

        // 3GP cannot keep the source's size: that entry cannot be picked.
        list("cmbOF")->setCurrentIndex(7);
        const auto *sizes = qobject_cast<QStandardItemModel *>(list("cmbS")->model());
        QVERIFY(sizes && !sizes->item(0)->isEnabled() && sizes->item(1)->isEnabled());
        QVERIFY(!sizes->item(0)->toolTip().isEmpty());
        QVERIFY(list("cmbS")->isEnabled());
        list("cmbOF")->setCurrentIndex(0);
        QVERIFY(sizes->item(0)->isEnabled());
    }
};

QTEST_MAIN(TestParameterPanel)
#include "tst_parameterpanel.moc"
