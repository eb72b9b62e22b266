// conv: the first-stage encoder. Takes MEncoder-style options and lets
// ffmpeg do the coding.
#include "convjob.h"

#include <QCoreApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    sonvera::encoders::ConvJob job(arguments);
    QTimer::singleShot(0, &job, &sonvera::encoders::ConvJob::start);
    return QCoreApplication::exec();
}
