#include "filelist.h"
#include "rowfeeder.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {
QStringList paths(const FileList &list)
{
    QStringList out;
    for (int i = 0; i < list.rowCount(); ++i)
        out << list.rowAt(i).path.shown();
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
        list.append(path, trim);
        QTEST(list.rowAt(0).formatLabel(), "label");
        QCOMPARE(list.rowAt(0).path.shown(), path); // the row keeps the untrimmed path
        QCOMPARE(list.data(list.index(0, FileList::FormatColumn)).toString(), list.rowAt(0).formatLabel());
    }

    void duplicatesAreSeparateRows()
    {
        FileList list;
        const quint64 a = list.append(u"/v/a.flv"_s, true);
        const quint64 b = list.append(u"/v/a.flv"_s, true);
        QCOMPARE(list.rowCount(), 2);
        QVERIFY(a != b);
    }

    void removeSelectedKeepsTheOthers()
    {
        FileList list;
        list.append(u"A"_s, true);
        list.append(u"B"_s, true);
        list.append(u"C"_s, true);
        list.updateHint();
        QVERIFY(list.removeRowAt(1));
        QCOMPARE(paths(list), (QStringList{u"A"_s, u"C"_s}));
        QVERIFY(!list.hintVisible());
    }

    void removeWithoutCurrentRowChangesNothing()
    {
        FileList list;
        list.append(u"A"_s, true);
        list.updateHint();
        QVERIFY(!list.removeRowAt(-1));
        QVERIFY(!list.removeRowAt(5));
        QCOMPARE(list.rowCount(), 1);
        QVERIFY(!list.hintVisible());
    }

    void hintRules()
    {
        FileList list;
        QSignalSpy spy(&list, &FileList::hintVisibleChanged);
        QVERIFY(list.hintVisible()); // empty at creation

        list.append(u"A"_s, true);
        QVERIFY(list.hintVisible()); // appending alone does not touch it
        list.updateHint();
        QVERIFY(!list.hintVisible());

        list.removeRowAt(0); // the last row: shown
        QVERIFY(list.hintVisible());

        list.append(u"B"_s, true);
        list.updateHint();
        const quint64 head = list.rowAt(0).id;
        QVERIFY(list.removeById(head)); // the batch empties the list: stays hidden
        QCOMPARE(list.rowCount(), 0);
        QVERIFY(!list.hintVisible());

        list.removeAllRows(); // on an empty list it only shows the hint
        QVERIFY(list.hintVisible());
        QCOMPARE(spy.count(), 4);
    }

    void convertedRowsGoByIdentity()
    {
        FileList list;
        const quint64 a = list.append(u"A"_s, true);
        list.append(u"B"_s, true);
        list.append(u"C"_s, true);
        list.protectRow(a);
        // Rows before or after may go; the converted row may not.
        QVERIFY(!list.removeRowAt(0));
        QVERIFY(list.removeRowAt(1));
        QCOMPARE(paths(list), (QStringList{u"A"_s, u"C"_s}));
        QVERIFY(list.removeById(a));
        QCOMPARE(paths(list), (QStringList{u"C"_s}));
        QVERIFY(!list.isProtected(a));
        QVERIFY(!list.removeById(a)); // already gone
    }

    // Several files may convert at once: every one of them stays, in order.
    void removalsSpareEveryConvertedRow()
    {
        FileList list;
        QList<quint64> ids;
        for (const QString &name : {u"A"_s, u"B"_s, u"C"_s, u"D"_s, u"E"_s})
            ids << list.append(name, true);
        list.updateHint();
        list.protectRow(ids[1]);
        list.protectRow(ids[3]);
        QCOMPARE(list.removeRowsAt({4, 0, 1, 4, 3}), 2);
        QCOMPARE(paths(list), (QStringList{u"B"_s, u"C"_s, u"D"_s}));
        list.removeAllRows();
        QCOMPARE(paths(list), (QStringList{u"B"_s, u"D"_s}));
        QVERIFY(!list.hintVisible());
        list.releaseRow(ids[1]);
        list.releaseRow(ids[3]);
        list.removeAllRows();
        QCOMPARE(list.rowCount(), 0);
        QVERIFY(list.hintVisible());
    }

    // Rows arrive and go in bulk: a large addition goes in over several turns
    // of the event loop, a few hundred rows per insertion, in order and
    // before what was handed over after it; a run of selected rows goes as
    // one removal.
    void bulkAdditionsAndRemovals()
    {
        FileList list;
        QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&list, &QAbstractItemModel::rowsRemoved);
        QList<NewRow> rows;
        for (int i = 0; i < 3000; ++i)
            rows.append({"/v/" + QByteArray::number(i) + ".flv", i == 7 ? u"坏了"_s : QString()});
        RowFeeder feeder(list);
        feeder.setSliceBudget(0);
        bool done = false;
        feeder.add(rows, true, [&done] { done = true; });
        feeder.add({{"/v/last.flv", {}}}, true);
        QVERIFY(list.rowCount() < 3000);
        QTRY_COMPARE(list.rowCount(), 3001);
        QVERIFY(done);
        QCOMPARE(inserted.size(), 3000 / RowFeeder::kRowsAtOnce + 1);
        QCOMPARE(list.rowAt(3000).path.shown(), u"/v/last.flv"_s);
        QCOMPARE(list.rowAt(7).status, FileListRow::Status::Failed);
        QCOMPARE(list.rowAt(7).failureReason(), u"坏了"_s);
        QCOMPARE(list.rowAt(8).status, FileListRow::Status::Waiting);

        QList<int> selected{2500};
        for (int row = 100; row < 2100; ++row)
            selected << row;
        QCOMPARE(list.removeRowsAt(selected), 2001);
        QCOMPARE(removed.size(), 2);
        QCOMPARE(list.rowCount(), 1000);
        const quint64 id = list.rowAt(500).id;
        QCOMPARE(list.indexOf(id), 500);
        QCOMPARE(list.rowById(id)->path.shown(), u"/v/2501.flv"_s);
        QCOMPARE(list.indexOf(id + 1000000), -1);
    }

    // The counts, the workload and the next waiting row follow every change
    // (status, media, removal at either end or between), as a count over the
    // whole list would say; a row made waiting again before the cursor is found.
    void countsAndCursorFollowEveryChange()
    {
        FileList list;
        QList<NewRow> rows;
        for (int i = 0; i < 6; ++i)
            rows.append({"/v/" + QByteArray::number(i) + ".flv", i == 1 ? u"坏了"_s : QString()});
        list.appendRows(rows, true);
        const auto id = [&list](int row) { return list.rowAt(row).id; };
        const auto check = [&list] {
            int counts[4] = {};
            FileList::Workload load;
            const FileListRow *first = nullptr;
            for (int i = 0; i < list.rowCount(); ++i) {
                const FileListRow &row = list.rowAt(i);
                ++counts[int(row.status)];
                if (!first && row.status == FileListRow::Status::Waiting)
                    first = &row;
                if (row.status == FileListRow::Status::Done)
                    continue;
                ++load.files;
                row.media.durationSeconds ? void(load.knownSeconds += *row.media.durationSeconds)
                                          : void(++load.unknownDurations);
            }
            for (int s = 0; s < 4; ++s)
                QCOMPARE(list.count(FileListRow::Status(s)), counts[s]);
            const FileList::Workload kept = list.workload();
            QCOMPARE(kept.files, load.files);
            QCOMPARE(kept.unknownDurations, load.unknownDurations);
            QVERIFY(qAbs(kept.knownSeconds - load.knownSeconds) < 1e-6);
            QCOMPARE(list.nextWaiting(), first);
        };
        check();
        MediaInfo media;
        media.state = MediaInfo::State::Known;
        media.durationSeconds = 2.5;
        list.setMedia(id(0), media);
        list.setMedia(id(3), media);
        media.durationSeconds = 0.1;
        list.setMedia(id(3), media); // replaced, not added
        check();
        list.setConverting(id(0), u"1%"_s);
        list.setConverting(id(2), u"1%"_s);
        check();
        list.setDone(id(0), u"/out/0.mp3"_s, u"short"_s);
        list.setFailed(id(2), u"x"_s);
        check();
        QCOMPARE(list.rowAt(0).outputPath(), u"/out/0.mp3"_s);
        QCOMPARE(list.rowAt(0).note(), u"short"_s);
        QCOMPARE(list.nextWaiting()->id, id(3));
        list.setWaiting(id(1)); // before the cursor
        check();
        QCOMPARE(list.nextWaiting()->id, id(1));
        list.setFailed(id(1), u"y"_s);
        QSignalSpy retried(&list, &FileList::failedRowsRetried);
        QCOMPARE(list.retryFailedRows(), 2); // a new batch retries rows 1 and 2 at once
        QCOMPARE(retried.size(), 1);
        QCOMPARE(list.rowAt(2).failureReason(), QString());
        check();
        QCOMPARE(list.nextWaiting()->id, id(1));
        list.removeById(id(1));
        list.removeRowAt(list.rowCount() - 1);
        list.removeById(id(0));
        check();
        list.removeDoneRows();
        list.removeAllRows();
        check();
        QCOMPARE(list.nextWaiting(), nullptr);
    }

    // Retrying ten thousand failed rows tells the views in slices, each from
    // the event loop, and of every row; a row removed meanwhile is no matter.
    void aBigRetryReachesTheViewsInSlices()
    {
        FileList list;
        QList<NewRow> rows;
        for (int i = 0; i < 10000; ++i)
            rows.append({"/v/" + QByteArray::number(i) + ".flv", u"坏了"_s});
        list.appendRows(rows, true);
        QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);
        QCOMPARE(list.retryFailedRows(), 10000);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(list.count(FileListRow::Status::Waiting), 10000);
        list.removeRowAt(9000);
        QTRY_COMPARE(changed.last().at(1).toModelIndex().row(), list.rowCount() - 1);
        QVERIFY(changed.size() > 1);
        int next = 0;
        for (const QList<QVariant> &slice : std::as_const(changed)) {
            QCOMPARE(slice.at(0).toModelIndex().row(), next);
            next = slice.at(1).toModelIndex().row() + 1;
        }
    }

    // Only a row a view draws asks for its preview, once.
    void previewWantedOncePerShownRow()
    {
        FileList list;
        list.append(QByteArray("/v/a.flv"), true);
        list.append(QByteArray("/v/b.flv"), true);
        QSignalSpy wanted(&list, &FileList::previewWanted);
        list.index(1, 0).data(); // the text alone asks for nothing
        QCOMPARE(wanted.size(), 0);
        list.index(1, 0).data(FileList::ThumbnailRole);
        list.index(1, 0).data(FileList::ThumbnailRole);
        QCOMPARE(wanted.size(), 1);
        QCOMPARE(wanted.at(0).at(0).toULongLong(), list.rowAt(1).id);
        MediaInfo sound;
        sound.state = MediaInfo::State::Known;
        list.setMedia(list.rowAt(0).id, sound); // no picture: nothing to draw
        list.index(0, 0).data(FileList::ThumbnailRole);
        QCOMPARE(wanted.size(), 1);
    }

    // A GBK name from an old Windows archive: opened by its bytes, shown decoded.
    void namesThatAreNotUtf8()
    {
        FileList list;
        const QByteArray gbk = "/v/\xca\xd3\xc6\xb5.flv"; // 视频 in GBK
        list.append(gbk, true);
        QCOMPARE(list.rowAt(0).path.bytes(), gbk);
        QCOMPARE(list.rowAt(0).path.shown(), u"/v/视频.flv"_s);
        QCOMPARE(list.data(list.index(0, FileList::FileNameColumn)).toString(), u"/v/视频.flv"_s);
        QCOMPARE(list.data(list.index(0, 0), FileList::PathRole).toByteArray(), gbk);

        // Under the home folder the list says "~"; the tool tip gives the whole path.
        list.append(QDir::homePath() + u"/视频/a.flv"_s, true);
        QCOMPARE(list.data(list.index(1, FileList::FileNameColumn)).toString(), u"~/视频/a.flv"_s);
        QCOMPARE(list.data(list.index(1, FileList::FileNameColumn), Qt::ToolTipRole).toString(),
                 QDir::homePath() + u"/视频/a.flv"_s);
    }

    void statusColumn()
    {
        FileList list;
        const quint64 id = list.append(u"/v/a.flv"_s, true);
        const QModelIndex status = list.index(0, FileList::StatusColumn);
        QCOMPARE(list.data(status).toString(), u"等待"_s);
        QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);
        list.setConverting(id, QString());
        QCOMPARE(list.data(status).toString(), u"转换中"_s);
        list.setConverting(id, u"创建中- 42%"_s); // what the progress caption says
        QCOMPARE(list.data(status).toString(), u"创建中- 42%"_s);
        list.setConverting(id, u"创建中- 42%"_s); // no change, no signal
        QCOMPARE(changed.count(), 2);
        list.setFailed(id, u"  "_s);
        QCOMPARE(list.data(status).toString(), u"失败"_s);
        QVERIFY(!list.data(status, Qt::ToolTipRole).toString().trimmed().isEmpty());
        list.setFailed(id, u"coder: no audio stream"_s);
        QCOMPARE(list.data(status, Qt::ToolTipRole).toString(), u"coder: no audio stream"_s);
        list.setWaiting(id);
        QCOMPARE(list.rowAt(0).failureReason(), QString());
        QCOMPARE(list.headerData(0, Qt::Horizontal).toString(), u"文件名"_s);
        QCOMPARE(list.headerData(1, Qt::Horizontal).toString(), u"格式"_s);
    }
};

QTEST_GUILESS_MAIN(TestFileList)
#include "tst_filelist.moc"
