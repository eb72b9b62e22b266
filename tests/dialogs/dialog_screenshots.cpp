// Writes pictures of the restore question and the after-batch countdown over
// a plain window, and of the options dialog in the window's skin, for the
// documentation: dialog_screenshots <folder> [suffix] writes
// <folder>/restore-question<suffix>.png, countdown<suffix>.png and
// options<suffix>.png in the language the programs would choose
// (SONVERA_LANG, the locale).
// Runs on any Qt platform; scripts/screenshot.sh uses the offscreen one.
#include "chromeicon.h"
#include "optionsdialog.h"
#include "powercountdowndialog.h"
#include "restorequestion.h"
#include "uilanguage.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using namespace sonvera;

namespace {

// The window with `dialog` drawn where it stands over it, framed by a thin line.
bool saveOver(QWidget &window, QWidget &dialog, const QString &path)
{
    QPixmap picture = window.grab();
    const QPixmap face = dialog.grab();
    const QPoint at = dialog.geometry().topLeft() - window.geometry().topLeft();
    QPainter painter(&picture);
    painter.drawPixmap(at, face);
    painter.setPen(QColor(0x70, 0x70, 0x70));
    painter.drawRect(QRect(at, face.deviceIndependentSize().toSize()).adjusted(0, 0, -1, -1));
    painter.end();
    const bool inside = QRect(QPoint(0, 0), window.size()).contains(QRect(at, dialog.size()));
    if (!inside)
        std::fprintf(stderr, "dialog_screenshots: %s does not fit its window\n", qPrintable(path));
    return inside && picture.save(path);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"docs"_s;
    const QString suffix = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    installTranslations(chooseUiLanguage(LanguageEnvironment::current()));

    QWidget window;
    window.setWindowTitle(u"Sonvera"_s);
    window.resize(560, 360);
    auto *layout = new QVBoxLayout(&window);
    auto *caption = new QLabel(u"Sonvera"_s, &window);
    caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(caption);
    window.show();

    auto *question = new RestoreQuestion(5, &window);
    auto *countdown = new PowerCountdownDialog(AfterBatchAction::PowerOff, &window, 60, 0ms);
    int status = 0;
    AppOptions appOptions;
    Preferences options;
    // Each picture is taken from the event loop, once the dialog is laid out and shown.
    question->open();
    QTimer::singleShot(200, &window, [&] {
        if (!saveOver(window, *question, folder + u"/restore-question"_s + suffix + u".png"_s))
            status = 1;
        question->hide();
        countdown->open();
        QTimer::singleShot(200, &window, [&] {
            if (!saveOver(window, *countdown, folder + u"/countdown"_s + suffix + u".png"_s))
                status = 1;
            countdown->hide();
            // The options as the window shows them, with two of the conversion choices on.
            applySkin(app);
            options.choices = {true, true, true, false};
            auto *dialog = new OptionsDialog(appOptions, {}, &window, &options);
            dialog->show();
            QTimer::singleShot(200, &window, [&, dialog] {
                if (!dialog->grab().save(folder + u"/options"_s + suffix + u".png"_s))
                    status = 1;
                app.quit();
            });
        });
    });
    app.exec();
    return status;
}
