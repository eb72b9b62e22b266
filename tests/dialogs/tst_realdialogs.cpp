// The common dialogs with Qt's real dialog widgets on the offscreen platform:
// a driver answers each modal dialog as a user would, after checking what it
// shows.
#include "openfiledialog.h"
#include "commondialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {

// Hands the first modal dialog that appears to `answer`, which checks it and
// accepts or rejects it. Any modal widget still open afterwards (a message
// box, or a dialog that a failed check left open) is rejected, so a test can
// fail but never hang. The answer runs from the event loop, not from the
// timer's own handler, so the timer keeps closing message boxes while it runs.
class ModalDriver final : public QObject {
public:
    explicit ModalDriver(std::function<void(QWidget *)> answer) : m_answer(std::move(answer))
    {
        connect(&m_timer, &QTimer::timeout, this, &ModalDriver::tick);
        m_timer.start(10);
    }
    bool answered() const { return m_answered; }
    int messageBoxesClosed() const { return m_messageBoxesClosed; }

private:
    void tick()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (!m_answered) {
            m_answered = true;
            m_answering = modal;
            QMetaObject::invokeMethod(
                this,
                [this, dialog = QPointer<QWidget>(modal)] {
                    if (dialog)
                        m_answer(dialog);
                    m_answering.clear();
                },
                Qt::QueuedConnection);
            return;
        }
        if (modal == m_answering)
            return;
        if (qobject_cast<QMessageBox *>(modal))
            ++m_messageBoxesClosed;
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    }

    std::function<void(QWidget *)> m_answer;
    QTimer m_timer;
    bool m_answered = false;
    QPointer<QWidget> m_answering;
    int m_messageBoxesClosed = 0;
};

// Types `name` into the dialog's name box, as a user would.
void TypeName(QFileDialog *dialog, const QString &name)
{
    auto *edit = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s);
    QVERIFY(edit);
    edit->setText(name);
}

// Presses the dialog's confirm button (QFileDialog hides accept()).
void Accept(QDialog *dialog)
{
    dialog->accept();
}

void MakeFiles(const QTemporaryDir &dir, const QStringList &names)
{
    for (const QString &name : names) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
}

// The names the dialog lists in `folder` under its current type filter.
QStringList ListedNames(QFileDialog &dialog, const QString &folder)
{
    auto *model = dialog.findChild<QFileSystemModel *>();
    if (!model)
        return {};
    const QModelIndex parent = model->index(folder);
    QStringList names;
    for (int row = 0; row < model->rowCount(parent); ++row)
        names.append(model->index(row, 0, parent).data().toString());
    names.sort();
    return names;
}

QStringList ShownTypes(QFileDialog &dialog)
{
    QStringList shown;
    if (auto *types = dialog.findChild<QComboBox *>(u"fileTypeCombo"_s)) {
        for (int i = 0; i < types->count(); ++i)
            shown.append(types->itemText(i));
    }
    return shown;
}

} // namespace

class TestRealDialogs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void openShowsLabelsAndMatchesAsBefore()
    {
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        MakeFiles(tmp, {u"a.flv"_s, u"B.FLV"_s, u"README"_s, u"c.mp4"_s});

        QWidget owner;
        CommonDialogs d;
        d.setOwner(&owner);
        d.setTitle(u"Open Files"_s);
        d.setFilter(u"视频(*.flv)|*.flv|所有格式文件(*.*)|*.*"_s);
        d.setFileName(tmp.filePath(u"a.flv"_s));

        ModalDriver driver([&](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), u"Open Files"_s);
            QCOMPARE(dialog->parentWidget(), &owner);
            QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
            QCOMPARE(dialog->directory().absolutePath(), tmp.path());
            QCOMPARE(ShownTypes(*dialog), (QStringList{u"视频(*.flv)"_s, u"所有格式文件(*.*)"_s}));
            // Letters match in any case; "*.*" lists names without a dot too.
            QTRY_COMPARE(ListedNames(*dialog, tmp.path()), (QStringList{u"B.FLV"_s, u"a.flv"_s}));
            dialog->selectNameFilter(dialog->nameFilters().at(1));
            QTRY_COMPARE(ListedNames(*dialog, tmp.path()),
                         (QStringList{u"B.FLV"_s, u"README"_s, u"a.flv"_s, u"c.mp4"_s}));
            TypeName(dialog, u"README"_s);
            Accept(dialog);
        });
        QVERIFY(d.showOpen());
        QVERIFY(driver.answered());
        QCOMPARE(d.fileName(), tmp.filePath(u"README"_s));
        QCOMPARE(d.path(), tmp.path());
        QCOMPARE(d.fileTitle(), u"README"_s);
    }

    void openCancelled()
    {
        QWidget owner;
        CommonDialogs d;
        d.setOwner(&owner);
        d.setFileName(u"/v/a.flv"_s);
        d.setPath(u"/v"_s);
        d.setFileTitle(u"a.flv"_s);
        ModalDriver driver([](QWidget *w) {
            QVERIFY(qobject_cast<QFileDialog *>(w));
            qobject_cast<QDialog *>(w)->reject();
        });
        QVERIFY(!d.showOpen());
        QVERIFY(driver.answered());
        QCOMPARE(d.fileName(), u"/v/a.flv"_s);
        QCOMPARE(d.path(), u"/v"_s);
        QCOMPARE(d.fileTitle(), u"a.flv"_s);
    }

    void save()
    {
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        MakeFiles(tmp, {u"old.txt"_s});

        QWidget owner;
        CommonDialogs d;
        d.setOwner(&owner);
        d.setTitle(u"Open Files"_s);
        d.setPath(tmp.path());

        {
            // An existing name needs the user's consent; the driver refuses
            // it, so nothing is chosen.
            ModalDriver refuse([](QWidget *w) {
                auto *dialog = qobject_cast<QFileDialog *>(w);
                QVERIFY(dialog);
                TypeName(dialog, u"old.txt"_s);
                Accept(dialog);
            });
            QVERIFY(!d.showSave());
            QVERIFY(refuse.answered());
            QCOMPARE(refuse.messageBoxesClosed(), 1);
            QCOMPARE(d.path(), tmp.path());
            QVERIFY(d.fileName().isEmpty());
        }

        ModalDriver driver([&](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), u"Save"_s);
            QCOMPARE(dialog->parentWidget(), &owner);
            QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
            QCOMPARE(dialog->directory().absolutePath(), tmp.path());
            QCOMPARE(ShownTypes(*dialog), QStringList{u"*.*"_s});
            TypeName(dialog, u"new.txt"_s);
            Accept(dialog);
        });
        QVERIFY(d.showSave());
        QCOMPARE(d.fileName(), tmp.filePath(u"new.txt"_s));
        QCOMPARE(d.path(), tmp.path());
        QCOMPARE(d.fileTitle(), u"new.txt"_s);
        QVERIFY(!QFile::exists(d.fileName())); // choosing a name writes nothing
    }

    void folder()
    {
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        QVERIFY(QDir(tmp.path()).mkdir(u"clips"_s));

        QWidget owner;
        CommonDialogs d;
        d.setOwner(&owner);
        d.setTitle(u"选择一个文件夹:"_s);
        d.setFileName(u"/v/a.flv"_s);
        d.setFileTitle(u"a.flv"_s);
        ModalDriver driver([&](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), u"选择一个文件夹:"_s);
            QCOMPARE(dialog->fileMode(), QFileDialog::Directory);
            dialog->setDirectory(tmp.filePath(u"clips"_s));
            Accept(dialog);
        });
        QVERIFY(d.showFolder());
        QCOMPARE(d.path(), tmp.filePath(u"clips"_s));
        QVERIFY(d.fileName().isEmpty());
        QVERIFY(d.fileTitle().isEmpty());
    }

    void showOpenFile()
    {
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        MakeFiles(tmp, {u"a.flv"_s});

        QWidget owner;
        {
            QString folder = tmp.path();
            ModalDriver driver([&](QWidget *w) {
                auto *dialog = qobject_cast<QFileDialog *>(w);
                QVERIFY(dialog);
                QCOMPARE(dialog->windowTitle(), u"打开文件"_s);
                QCOMPARE(dialog->parentWidget(), &owner);
                QCOMPARE(dialog->directory().absolutePath(), tmp.path());
                QCOMPARE(ShownTypes(*dialog), QStringList{u"*.*"_s});
                TypeName(dialog, u"a.flv"_s);
                Accept(dialog);
            });
            QCOMPARE(showOpenFileDialog(&owner, u"打开文件"_s, folder, u"*.*|*.*"_s, false),
                     tmp.filePath(u"a.flv"_s));
            QCOMPARE(folder, tmp.path() + u'/');
        }

        QString missing = tmp.filePath(u"gone"_s);
        ModalDriver cancel([](QWidget *w) { qobject_cast<QDialog *>(w)->reject(); });
        QCOMPARE(showOpenFileDialog(&owner, u"打开文件"_s, missing), QString());
        QVERIFY(cancel.answered());
        QCOMPARE(missing, QCoreApplication::applicationDirPath());
    }

    void color()
    {
        QWidget owner;
        CommonDialogs d;
        d.setOwner(&owner);
        d.setColor(0x00336699);
        ModalDriver driver([&](QWidget *w) {
            auto *dialog = qobject_cast<QColorDialog *>(w);
            QVERIFY(dialog);
            QCOMPARE(dialog->currentColor(), QColor(0x99, 0x66, 0x33));
            dialog->setCurrentColor(QColor(1, 2, 3));
            Accept(dialog);
        });
        QVERIFY(d.showColor(false));
        QCOMPARE(d.color(), 0x00030201);
    }

    void font()
    {
        QWidget owner;
        CommonDialogs d;
        d.setOwner(&owner);
        d.setFontName(QFont().family());
        d.setFontSize(14);
        d.setFontItalic(true);
        QFont current;
        ModalDriver driver([&](QWidget *w) {
            auto *dialog = qobject_cast<QFontDialog *>(w);
            QVERIFY(dialog);
            QCOMPARE(dialog->parentWidget(), &owner);
            current = dialog->currentFont();
            Accept(dialog);
        });
        QVERIFY(d.showFont());
        QVERIFY(driver.answered());
        QCOMPARE(d.fontName(), current.family());
        QCOMPARE(d.fontSize(), qint16(current.pointSize()));
        QCOMPARE(d.fontItalic(), current.italic());
    }

    // Whatever printers this machine has, a refused printer dialog is false.
    void printersRefused()
    {
        QWidget owner;
        CommonDialogs d;
        d.setOwner(&owner);
        ModalDriver driver([](QWidget *w) {
            auto *dialog = qobject_cast<QPrintDialog *>(w);
            QVERIFY(dialog);
            QVERIFY(!dialog->testOption(QAbstractPrintDialog::PrintToFile));
            QVERIFY(!dialog->testOption(QAbstractPrintDialog::PrintPageRange));
            dialog->reject();
        });
        QVERIFY(!d.showPrinter());
        QVERIFY(driver.answered());

        ModalDriver refuse([](QWidget *w) { qobject_cast<QDialog *>(w)->reject(); });
        QVERIFY(!d.showPrinterProperties());
    }
};

int main(int argc, char **argv)
{
    // Qt's file and colour dialogs keep their history in the user's settings;
    // send those to a folder that goes away with the test.
    QTemporaryDir config;
    if (!config.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    TestRealDialogs test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_realdialogs.moc"
