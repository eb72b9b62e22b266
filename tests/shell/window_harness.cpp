// The real window program, driven from outside. Tests copy it into a program
// folder of their own and say what it should do in SONVERA_HARNESS:
//   start  press Start once the window shows
//   exit   press Start, then 退出程序 as soon as the first encoder runs
//   show   close the window as soon as it shows
// It prints "shown" and "stage <encoder>" lines as those happen.
#include "application.h"
#include "batchdriver.h"
#include "mainwindow.h"

#include <QTimer>

#include <cstdio>

using namespace sonvera;

int main(int argc, char *argv[])
{
    const QByteArray action = qgetenv("SONVERA_HARNESS");
    return runApplication(argc, argv, [action](MainWindow &window) {
        std::printf("shown\n");
        std::fflush(stdout);
        QObject::connect(&window.driver(), &BatchDriver::stageStarted, &window,
                         [&window, action](const EncoderCommand &command) {
                             std::printf("stage %s\n", qPrintable(command.encoderImage));
                             std::fflush(stdout);
                             if (action == "exit")
                                 QTimer::singleShot(200, &window, &MainWindow::exitCommand);
                         });
        if (action == "start" || action == "exit")
            window.startBatch();
        else if (action == "show")
            window.close();
    });
}
