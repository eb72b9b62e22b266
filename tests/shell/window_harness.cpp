// The real window program, driven from outside. Tests copy it into a program
// folder of their own and say what it should do in SONVERA_HARNESS:
//   start    press Start once the window shows (in the format of
//            SONVERA_HARNESS_FORMAT, a position in the list, when set)
//   exit     press Start, then 退出程序 when a line arrives on the standard
//            input (the test writes it once it has seen the encoders run),
//            and answer 停止并退出 to the question it asks
//   show     close the window as soon as it shows
//   idle     nothing: the window stays until it is closed or signalled
//   restore  answer 恢复 to the restore question, press Start, and close
//            the window when the batch is over
// It prints "shown", "stage <encoder>" and "done" lines as those happen.
#include "application.h"
#include "batchdriver.h"
#include "closequestion.h"
#include "mainwindow.h"
#include "restorequestion.h"

#include <QAction>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

using namespace sonvera;

namespace {

void say(const char *line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}

// 退出程序 during a batch asks first; the answer is to stop and exit.
void exitAndStop(MainWindow &window)
{
    window.action(WindowCommand::Exit)->trigger();
    if (auto *question = window.findChild<CloseQuestion *>())
        question->stopButton()->click();
}

} // namespace

int main(int argc, char *argv[])
{
    const QByteArray action = qgetenv("SONVERA_HARNESS");
    return runApplication(argc, argv, [action](MainWindow &window) {
        say("shown");
        QObject::connect(&window.controller().driver(), &BatchDriver::stageStarted, &window,
                         [](const EncoderCommand &command) {
                             std::printf("stage %s\n", qPrintable(command.encoderImage));
                             std::fflush(stdout);
                         });
        if (action == "exit") {
            auto *input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &window);
            QObject::connect(input, &QSocketNotifier::activated, &window, [&window, input] {
                input->setEnabled(false);
                exitAndStop(window);
            });
        }
        if (action == "start" || action == "exit") {
            if (const QByteArray format = qgetenv("SONVERA_HARNESS_FORMAT"); !format.isEmpty()) {
                ConversionSettings settings = window.controller().settings();
                settings.selectFormat(format.toInt());
                window.controller().replaceSettings(settings);
            }
            window.action(WindowCommand::Start)->trigger();
        } else if (action == "show") {
            window.close();
        } else if (action == "restore") {
            QObject::connect(&window.controller().driver(), &BatchDriver::batchFinished, &window, [&window] {
                say("done");
                window.close();
            });
            auto *poll = new QTimer(&window);
            QObject::connect(poll, &QTimer::timeout, &window, [&window, poll] {
                if (auto *question = window.findChild<RestoreQuestion *>()) {
                    poll->stop();
                    question->restoreButton()->click();
                    window.action(WindowCommand::Start)->trigger();
                }
            });
            poll->start(50);
        }
    });
}
