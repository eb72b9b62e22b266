// Measures the batch driver's own cost between encoder runs: for each file,
// the time from an encoder's end (its finished) to the start of the next
// run, with the real encoders of a program folder.
//
//   bench_driver PROGRAM_FOLDER FORMAT OUTPUT_FOLDER FILE...
#include "batchdriver.h"
#include "filelist.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QTextStream out(stdout);
    if (args.size() < 5) {
        out << "usage: bench_driver PROGRAM_FOLDER FORMAT OUTPUT_FOLDER FILE...\n";
        return 2;
    }
    FileList list;
    for (const QString &file : args.mid(4))
        list.append(file, true);
    ConversionSettings settings = ConversionSettings::startupDefaults(args[3]);
    settings.selectFormat(args[2].toInt());
    BatchDriver driver(list, settings);
    driver.setProgramFolder(args[1]);
    driver.setStartDelay(0);
    driver.setOptionsProvider([] { return BatchOptions{false, std::nullopt}; });

    QElapsedTimer clock;
    clock.start();
    qint64 lastEnd = -1;
    QList<double> gaps;
    const auto ended = [&] { lastEnd = clock.nsecsElapsed(); };
    bool watching = false;
    QObject::connect(&driver, &BatchDriver::stageStarted, &app, [&](const EncoderCommand &) {
        // Every runner, once the batch has made its workers.
        if (!std::exchange(watching, true)) {
            for (ConversionWorker *worker : driver.workers())
                QObject::connect(&worker->runner(), &EncoderRunner::finished, &app, ended);
        }
        if (lastEnd >= 0)
            gaps << static_cast<double>(clock.nsecsElapsed() - lastEnd) / 1e6;
    });
    int failed = 0;
    QObject::connect(&driver, &BatchDriver::batchFinished, &app, [&](const BatchSummary &summary) {
        failed = static_cast<int>(summary.failed.size());
        QCoreApplication::exit(0);
    });
    driver.start();
    QCoreApplication::exec();

    std::sort(gaps.begin(), gaps.end());
    const double median = gaps.isEmpty() ? 0 : gaps[gaps.size() / 2];
    const double worst = gaps.isEmpty() ? 0 : gaps.last();
    out << "files " << (args.size() - 4) << " failed " << failed << " wall_ms " << clock.elapsed()
        << " gap_median_ms " << QString::number(median, 'f', 3) << " gap_max_ms " << QString::number(worst, 'f', 3)
        << '\n';
    return failed == 0 ? 0 : 1;
}
