#include "commands.h"
#include "formats.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"sonvera-cli"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(SONVERA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Converts media files in a batch, one after another."_s);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(u"FILE|FOLDER"_s, u"Files to convert; folders are searched for .flv files."_s);
    parser.process(app);
    return 0;
}
