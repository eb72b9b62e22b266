#include "hotimage.h"
#include "surfacedrag.h"

#include <QApplication>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

class TestWidgets : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void highlightFollowsThePointer()
    {
        QWidget window;
        auto *help = new HotImage(u"help"_s, &window);
        auto *min = new HotImage(u"min"_s, &window);
        min->move(40, 0);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(help, &enter);
        QCOMPARE(help->picture(), HotImage::Picture::Light);
        // Moving straight onto the next image clears the first one.
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(help, &leave);
        QCoreApplication::sendEvent(min, &enter);
        QCOMPARE(help->picture(), HotImage::Picture::Normal);
        QCOMPARE(min->picture(), HotImage::Picture::Light);
    }

    void pressedPicture()
    {
        HotImage browse(u"folder"_s);
        browse.setPressedPicture(true);
        browse.resize(32, 32);
        QSignalSpy clicked(&browse, &QAbstractButton::clicked);
        QTest::mousePress(&browse, Qt::LeftButton);
        QCOMPARE(browse.picture(), HotImage::Picture::Dark);
        QTest::mouseRelease(&browse, Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(browse.picture(), HotImage::Picture::Light);

        HotImage convert(u"convert"_s);
        convert.resize(32, 32);
        convert.setPicture(HotImage::Picture::Light);
        QTest::mousePress(&convert, Qt::LeftButton);
        QCOMPARE(convert.picture(), HotImage::Picture::Normal); // cleared on press
    }

    void everyIconRenders_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *n : {"ok", "back", "exit", "min", "help", "send", "add", "remove", "folder", "addfolder",
                              "options", "start", "convert", "stop", "drop"})
            QTest::newRow(n) << QString::fromLatin1(n);
    }

    void everyIconRenders()
    {
        QFETCH(QString, name);
        HotImage image(name);
        image.resize(32, 32);
        const QImage normal = image.grab().toImage();
        image.setPicture(HotImage::Picture::Light);
        const QImage light = image.grab().toImage();
        // A missing or broken picture would paint nothing at all.
        QVERIFY(normal != QImage(normal.size(), normal.format()));
        QVERIFY(normal != light);
    }

    void surfaceDragMovesTheWindow()
    {
        QWidget window;
        window.setGeometry(100, 100, 200, 100);
        new SurfaceDrag(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint before = window.pos();
        const auto moveTo = [&window](QPointF at) {
            QMouseEvent move(QEvent::MouseMove, at, window.mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QCoreApplication::sendEvent(&window, &move);
        };
        // A click, and a press that wanders less than the drag distance, move nothing.
        QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(10, 10));
        moveTo(QPointF(10 + QApplication::startDragDistance() - 1, 10));
        QCOMPARE(window.pos(), before);
        moveTo(QPointF(40, 30));
        QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(40, 30));
        QCOMPARE(window.pos(), before + QPoint(30, 20));
    }
};

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
