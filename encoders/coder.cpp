// coder and coder2: the FFmpeg-style encoders. coder2 (built with
// SONVERA_CODER_AMR) also writes AMR-NB audio, which Debian's ffmpeg cannot.
#include "coderjob.h"

#ifdef SONVERA_CODER_AMR
#include "amrnbencoder.h"
#endif

#include <QCoreApplication>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
#ifdef SONVERA_CODER_AMR
    sonvera::encoders::CoderJob job(u"coder2"_s, arguments, &sonvera::encoders::createOpencoreAmrEncoder);
#else
    sonvera::encoders::CoderJob job(u"coder"_s, arguments, {});
#endif
    QTimer::singleShot(0, &job, &sonvera::encoders::CoderJob::start);
    return QCoreApplication::exec();
}
