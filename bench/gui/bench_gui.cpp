// Measures the window's responsiveness and cost:
//   first-paint   time from the process's start to the first painted window
//   search        the folder search over a tree, with the longest stall of a
//                 1 ms heartbeat timer while it runs
//   batch         a batch of real conversions, with the longest heartbeat stall
//   list          the window lists a folder of ROWS files (added as a
//                 command-line folder is): CPU time and the longest stall
//                 until the rows are in, then until the journal has followed
//   restore       the same for a journal of ROWS rows restored at start-up
//   fail          ROWS listed files that all fail before an encoder starts (the
//                 output folder lies below a file), started twice (the second
//                 start retries them): CPU and the longest stall of each batch
//   memory        peak and current resident memory
//
//   bench_gui first-paint
//   bench_gui search TREE
//   bench_gui batch PROGRAM_FOLDER FORMAT FILE...
//   bench_gui list FOLDER ROWS
//   bench_gui restore ROWS
//   bench_gui fail FOLDER ROWS
// BENCH_HEARTBEAT=0 leaves the 1 ms heartbeat out (its ticks cost CPU too).
// Run on a real display (xvfb-run) so that painting is real.
#include "chromeicon.h"
#include "desktop.h"
#include "filelist.h"
#include "foldersearch.h"
#include "mainwindow.h"
#include "parameterpanel.h"
#include "restorequestion.h"
#include "settingsstore.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDataStream>
#include <QPushButton>
#include <QTreeView>
#include <QElapsedTimer>
#include <QFile>
#include <QPaintEvent>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {

QTextStream out(stdout);

// Milliseconds since the process started, from /proc (start time in clock ticks since boot).
double msSinceProcessStart()
{
    QFile stat(u"/proc/self/stat"_s);
    QFile uptime(u"/proc/uptime"_s);
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble(); // field 22 of the whole line
    const double upSeconds = uptime.readAll().split(' ').value(0).toDouble();
    return (upSeconds - startTicks / static_cast<double>(sysconf(_SC_CLK_TCK))) * 1000.0;
}

QString memory()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return {};
    QString rss;
    QString peak;
    for (const QByteArray &l : status.readAll().split('\n')) {
        if (l.startsWith("VmRSS:"))
            rss = QString::fromLatin1(l.mid(6).simplified());
        if (l.startsWith("VmHWM:"))
            peak = QString::fromLatin1(l.mid(6).simplified());
    }
    return u"rss "_s + rss + u" peak_rss "_s + peak;
}

// Records the longest gap between the ticks of a 1 ms timer.
class Heartbeat : public QObject {
public:
    Heartbeat()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            if (now - m_last > m_longest) {
                m_longest = now - m_last;
                m_longestEnd = now;
            }
            m_last = now;
        });
    }
    void start()
    {
        m_clock.start();
        m_last = 0;
        m_longest = 0;
        m_timer.start();
    }
    double longestMs() const { return static_cast<double>(m_longest) / 1e6; }
    // When the longest stall ended, in ms after start().
    double longestEndMs() const { return static_cast<double>(m_longestEnd) / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    qint64 m_longestEnd = 0;
};

class NullDesktop final : public Desktop {
public:
    bool openFolder(const QString &) override { return true; }
    bool showInFolder(const QString &) override { return true; }
    bool openFile(const QString &) override { return true; }
    bool openUrl(const QString &) override { return true; }
    void playSound(const QString &) override {}
};

// Notes the first paint of a window.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && painted < 0) {
            painted = msSinceProcessStart();
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return false;
    }
    double painted = -1;
};

ShellContext contextFor(const QString &programFolder, const QTemporaryDir &dir, Desktop &desktop)
{
    ShellContext context;
    context.programFolder = programFolder;
    context.workFolder = dir.path();
    context.location = {dir.path(), dir.filePath(u"out"_s)};
    context.desktop = &desktop;
    return context;
}

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage); // every thread of the process
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// After the last row is in, the journal has a second to follow, and its write.
constexpr int kSettleMs = 2500;

// Runs `begin` once the window has settled, then until its list holds
// `rows` rows and kSettleMs more; prints what that cost.
void measureFill(MainWindow &window, int rows, const std::function<void()> &begin, const char *what)
{
    const bool withHeartbeat = qEnvironmentVariable("BENCH_HEARTBEAT") != u"0"_s;
    Heartbeat heartbeat;
    QElapsedTimer clock;
    double cpuStart = 0;
    double cpuListed = 0;
    qint64 listedMs = -1;
    QAbstractItemModel *model = &window.controller().list();
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, &window, [&] {
        if (listedMs >= 0 || model->rowCount() < rows)
            return;
        listedMs = clock.elapsed();
        cpuListed = cpuSeconds() - cpuStart;
        QTimer::singleShot(kSettleMs, &window, [] { QCoreApplication::exit(0); });
    });
    QTimer::singleShot(300, &window, [&] {
        if (withHeartbeat)
            heartbeat.start();
        cpuStart = cpuSeconds();
        clock.start();
        poll.start();
        begin();
    });
    QCoreApplication::exec();
    out << what << ' ' << rows << " listed_ms " << listedMs << " cpu_listed_s " << QString::number(cpuListed, 'f', 2)
        << " cpu_settled_s " << QString::number(cpuSeconds() - cpuStart, 'f', 2);
    if (withHeartbeat)
        out << " longest_stall_ms " << QString::number(heartbeat.longestMs(), 'f', 2);
    out << ' ' << memory() << '\n';
}

// A journal as a run that died leaves it: `rows` waiting files, in the
// list-only format every version reads.
bool writeJournal(const QString &path, int rows)
{
    QByteArray bytes("SonveraJournal");
    QDataStream stream(&bytes, QIODevice::WriteOnly | QIODevice::Append);
    stream.setVersion(QDataStream::Qt_6_0);
    stream << quint32(1) << quint32(rows);
    for (int i = 0; i < rows; ++i)
        stream << quint8(0) << (QByteArray("/home/user/Videos/old clips/clip-") + QByteArray::number(i) + ".flv")
               << QString();
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

int listFolder(MainWindow &window, const QString &folder, int rows)
{
    window.show();
    measureFill(window, rows, [&window, folder] { window.addPaths({QFile::encodeName(folder)}); }, "list");
    return window.controller().list().rowCount() == rows ? 0 : 1;
}

int restoreJournal(MainWindow &window, int rows)
{
    window.show();
    window.startUp({});
    measureFill(window, rows, [&window] {
        // The question comes once the journal is read.
        auto *poll = new QTimer(&window);
        QObject::connect(poll, &QTimer::timeout, &window, [&window, poll] {
            if (auto *question = window.findChild<RestoreQuestion *>()) {
                poll->stop();
                question->restoreButton()->click();
            }
        });
        poll->start(1);
    }, "restore");
    return window.controller().list().rowCount() == rows ? 0 : 1;
}

// Lists the folder, then starts a batch that fails every row before an
// encoder starts, twice.
int failEveryRow(MainWindow &window, const QTemporaryDir &dir, const QString &folder, int rows)
{
    window.show();
    measureFill(window, rows, [&window, folder] { window.addPaths({QFile::encodeName(folder)}); }, "list");
    QFile blocker(dir.filePath(u"blocker"_s));
    if (!blocker.open(QIODevice::WriteOnly))
        return 2;
    ConversionSettings settings = window.controller().settings();
    settings.selectFormat(8);
    settings.outputFolder = dir.filePath(u"blocker/out"_s);
    window.controller().replaceSettings(settings);
    int failed = -1;
    QObject::connect(&window.controller().driver(), &BatchDriver::batchFinished, &window,
                     [&failed](const BatchSummary &summary) {
                         failed = static_cast<int>(summary.failed.size());
                         QCoreApplication::exit(0);
                     });
    for (const char *which : {"first", "again"}) {
        Heartbeat heartbeat;
        heartbeat.start();
        const double cpuStart = cpuSeconds();
        QElapsedTimer clock;
        clock.start();
        QTimer::singleShot(0, &window, [&window] { window.action(WindowCommand::Start)->trigger(); });
        QCoreApplication::exec();
        out << "fail " << which << ' ' << rows << " failed " << failed << " batch_ms " << clock.elapsed() << " cpu_s "
            << QString::number(cpuSeconds() - cpuStart, 'f', 2) << " longest_stall_ms "
            << QString::number(heartbeat.longestMs(), 'f', 2) << " ending_at_ms "
            << QString::number(heartbeat.longestEndMs(), 'f', 0) << '\n';
        out.flush();
        if (failed != rows)
            return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString mode = args.value(1);
    NullDesktop desktop;
    QTemporaryDir dir;

    if (mode == u"first-paint"_s) {
        applySkin(app);
        MainWindow window(contextFor(QCoreApplication::applicationDirPath(), dir, desktop));
        FirstPaint probe;
        window.installEventFilter(&probe);
        window.show();
        QCoreApplication::exec();
        out << "first_paint_ms " << QString::number(probe.painted, 'f', 1) << ' ' << memory() << '\n';
        return 0;
    }
    if (mode == u"search"_s) {
        // Twice: once alone for its time, once beside a 1 ms heartbeat for the
        // longest stall (the heartbeat's own ticks slow the search down).
        FolderSearch search;
        Heartbeat heartbeat;
        QElapsedTimer clock;
        qsizetype found = 0;
        qint64 searchMs = 0;
        bool withHeartbeat = false;
        QObject::connect(&search, &FolderSearch::finished, &app, [&](const FolderSearchResult &result) {
            found = result.files.size();
            if (!withHeartbeat) {
                searchMs = clock.elapsed();
                withHeartbeat = true;
                heartbeat.start();
                search.start(QFile::encodeName(args.value(2)));
                return;
            }
            QCoreApplication::exit(0);
        });
        clock.start();
        search.start(QFile::encodeName(args.value(2)));
        QCoreApplication::exec();
        out << "search_ms " << searchMs << " found " << found << " longest_stall_ms "
            << QString::number(heartbeat.longestMs(), 'f', 2) << ' ' << memory() << '\n';
        return 0;
    }
    if (mode == u"batch"_s) {
        applySkin(app);
        MainWindow window(contextFor(args.value(2), dir, desktop));
        ConversionSettings settings = window.controller().settings();
        settings.selectFormat(args.value(3).toInt());
        settings.outputFolder = dir.filePath(u"out"_s);
        window.controller().replaceSettings(settings);
        QByteArrayList files;
        for (const QString &file : args.mid(4))
            files << QFile::encodeName(file);
        window.addPaths(files);
        window.show();
        Heartbeat heartbeat;
        QElapsedTimer clock;
        int failed = -1;
        QObject::connect(&window.controller().driver(), &BatchDriver::batchFinished, &app, [&](const BatchSummary &summary) {
            failed = static_cast<int>(summary.failed.size());
            QCoreApplication::exit(0);
        });
        QTimer::singleShot(200, &window, [&] {
            heartbeat.start();
            clock.start();
            window.action(WindowCommand::Start)->trigger();
        });
        QCoreApplication::exec();
        out << "batch_ms " << clock.elapsed() << " failed " << failed << " longest_stall_ms "
            << QString::number(heartbeat.longestMs(), 'f', 2) << ' ' << memory() << '\n';
        return failed == 0 ? 0 : 1;
    }
    if (mode == u"list"_s) {
        applySkin(app);
        MainWindow window(contextFor(QCoreApplication::applicationDirPath(), dir, desktop));
        return listFolder(window, args.value(2), args.value(3).toInt());
    }
    if (mode == u"restore"_s) {
        applySkin(app);
        if (!writeJournal(dir.filePath(u"journal.dat"_s), args.value(2).toInt()))
            return 2;
        MainWindow window(contextFor(QCoreApplication::applicationDirPath(), dir, desktop));
        return restoreJournal(window, args.value(2).toInt());
    }
    if (mode == u"fail"_s) {
        applySkin(app);
        MainWindow window(contextFor(QCoreApplication::applicationDirPath(), dir, desktop));
        return failEveryRow(window, dir, args.value(2), args.value(3).toInt());
    }
    out << "usage: bench_gui first-paint | search TREE | batch PROGRAM_FOLDER FORMAT FILE... | list FOLDER ROWS"
           " | restore ROWS | fail FOLDER ROWS\n";
    return 2;
}
