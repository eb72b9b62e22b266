#include "filelist.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {
QStringList paths(const FileList &list)
{
    QStringList out;
    for (int i = 0; i < list.RowCount(); ++i)
        out << list.rowAt(i).path;
    return out;
}
} // namespace

class TestFileList : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void labels_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("trim");
        QTest::addColumn<QString>("label");

        QTest::newRow("flv") << u"/v/clip.flv"_s << false << u"FLV"_s;
        QTest::newRow("mpeg") << u"/v/clip.mpeg"_s << false << u"PEG"_s;
        QTest::newRow("rm keeps the dot") << u"/v/clip.rm"_s << false << u".RM"_s;
        QTest::newRow("no extension") << u"/v/movie"_s << false << u"VIE"_s;
        QTest::newRow("two characters") << u"ab"_s << false << u"AB"_s;
        QTest::newRow("trailing blanks, trimmed") << u"/v/clip.flv  "_s << true << u"FLV"_s;
        QTest::newRow("trailing blanks, untrimmed") << u"/v/clip.flv  "_s << false << u"V  "_s;
        QTest::newRow("empty") << u""_s << true << u""_s;
    }

    void labels()
    {
        QFETCH(QString, path);
        QFETCH(bool, trim);
        FileList list;
        list.AppendRow(path, trim);
        QTEST(list.rowAt(0).formatLabel, "label");
        QCOMPARE(list.rowAt(0).path, path); // the row keeps the untrimmed path
        QCOMPARE(list.data(list.index(0, FileList::FormatColumn)).toString(), list.rowAt(0).formatLabel);
    }

    void duplicatesAreSeparateRows()
    {
        FileList list;
        const quint64 a = list.AppendRow(u"/v/a.flv"_s, true);
        const quint64 b = list.AppendRow(u"/v/a.flv"_s, true);
        QCOMPARE(list.RowCount(), 2);
        QVERIFY(a != b);
    }

    void removeSelectedKeepsTheOthers()
    {
        FileList list;
        list.AppendRow(u"A"_s, true);
        list.AppendRow(u"B"_s, true);
        list.AppendRow(u"C"_s, true);
        list.ReevaluateHint();
        QVERIFY(list.RemoveSelectedRow(1));
        QCOMPARE(paths(list), (QStringList{u"A"_s, u"C"_s}));
        QCOMPARE(list.HeadPath(), u"A"_s);
        QVERIFY(!list.hintVisible());
    }

    void removeWithoutCurrentRowChangesNothing()
    {
        FileList list;
        list.AppendRow(u"A"_s, true);
        list.ReevaluateHint();
        QVERIFY(!list.RemoveSelectedRow(-1));
        QVERIFY(!list.RemoveSelectedRow(5));
        QCOMPARE(list.RowCount(), 1);
        QVERIFY(!list.hintVisible());
    }

    void hintRules()
    {
        FileList list;
        QSignalSpy spy(&list, &FileList::hintVisibleChanged);
        QVERIFY(list.hintVisible()); // empty at creation

        list.AppendRow(u"A"_s, true);
        QVERIFY(list.hintVisible()); // appending alone does not touch it
        list.ReevaluateHint();
        QVERIFY(!list.hintVisible());

        list.RemoveSelectedRow(0); // the last row: shown
        QVERIFY(list.hintVisible());

        list.AppendRow(u"B"_s, true);
        list.ReevaluateHint();
        const quint64 head = list.HeadId();
        QVERIFY(list.PopHead(head)); // the batch empties the list: stays hidden
        QCOMPARE(list.RowCount(), 0);
        QVERIFY(!list.hintVisible());

        list.RemoveAllRows(); // on an empty list it only shows the hint
        QVERIFY(list.hintVisible());
        QCOMPARE(spy.count(), 4);
    }

    void popHeadRemovesTheConvertedRowByIdentity()
    {
        FileList list;
        const quint64 a = list.AppendRow(u"A"_s, true);
        list.AppendRow(u"B"_s, true);
        list.AppendRow(u"C"_s, true);
        list.setProtectedRow(a);
        // Rows before or after may go; the converted row may not.
        QVERIFY(!list.RemoveSelectedRow(0));
        QVERIFY(list.RemoveSelectedRow(1));
        QCOMPARE(paths(list), (QStringList{u"A"_s, u"C"_s}));
        QVERIFY(list.PopHead(a));
        QCOMPARE(paths(list), (QStringList{u"C"_s}));
        QCOMPARE(list.protectedRow(), 0u);
        QVERIFY(!list.PopHead(a)); // already gone
    }

    void removeAllSparesTheConvertedRow()
    {
        FileList list;
        list.AppendRow(u"A"_s, true);
        const quint64 b = list.AppendRow(u"B"_s, true);
        list.AppendRow(u"C"_s, true);
        list.ReevaluateHint();
        list.setProtectedRow(b);
        list.RemoveAllRows();
        QCOMPARE(paths(list), (QStringList{u"B"_s}));
        QVERIFY(!list.hintVisible());
        list.clearProtectedRow();
        list.RemoveAllRows();
        QCOMPARE(list.RowCount(), 0);
        QVERIFY(list.hintVisible());
    }

    void statusColumn()
    {
        FileList list;
        const quint64 id = list.AppendRow(u"/v/a.flv"_s, true);
        const QModelIndex status = list.index(0, FileList::StatusColumn);
        QCOMPARE(list.data(status).toString(), u"等待"_s);
        QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);
        list.setConverting(id, 42);
        QCOMPARE(list.data(status).toString(), u"转换中 42%"_s);
        list.setConverting(id, 42); // no change, no signal
        QCOMPARE(changed.count(), 1);
        list.setFailed(id, u"  "_s);
        QCOMPARE(list.data(status).toString(), u"失败"_s);
        QVERIFY(!list.data(status, Qt::ToolTipRole).toString().trimmed().isEmpty());
        list.setFailed(id, u"coder: no audio stream"_s);
        QCOMPARE(list.data(status, Qt::ToolTipRole).toString(), u"coder: no audio stream"_s);
        list.setWaiting(id);
        QCOMPARE(list.rowAt(0).failureReason, QString());
        QCOMPARE(list.headerData(0, Qt::Horizontal).toString(), u"文件名"_s);
        QCOMPARE(list.headerData(1, Qt::Horizontal).toString(), u"格式"_s);
    }
};

QTEST_GUILESS_MAIN(TestFileList)
#include "tst_filelist.moc"
