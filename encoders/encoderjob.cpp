#include "encoderjob.h"

#include "flvtimeline.h"
#include "isotags.h"
#include "plans.h"
#include "runfoldermark.h"
#include "stopsignals.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

namespace {

// Less room than this left beside a damaged output: the disk filled up.
constexpr qint64 kNearlyFullBytes = 1024 * 1024;

// An ISO media file (MP4, MOV, 3GP) as ffmpeg writes them: its first box is
// "ftyp". The intermediate is named tmp.mp4 but is an AVI file.
bool isIsoMedia(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(8).mid(4) == "ftyp";
}

} // namespace

EncoderJob::EncoderJob(const QString &program, QStringList arguments, QObject *parent)
    : QObject(parent), m_console(program), m_arguments(std::move(arguments)), m_signals(new StopSignals(this)), m_parentPid(::getppid())
{
    connect(m_signals, &StopSignals::stopRequested, this, &EncoderJob::stop);
}

EncoderJob::~EncoderJob() = default;

void EncoderJob::start()
{
    run();
}

double EncoderJob::truncationTolerance(double expectedSeconds)
{
    return std::max(1.0, expectedSeconds * 0.05);
}

bool EncoderJob::locateFfmpeg()
{
    m_ffmpeg = QStandardPaths::findExecutable(u"ffmpeg"_s);
    if (m_ffmpeg.isEmpty()) {
        fail(FailureCode::FfmpegMissing, {},
             u"ffmpeg was not found on PATH; install the Debian package \"ffmpeg\" (sudo apt-get install ffmpeg)"_s);
        return false;
    }
    return true;
}

bool EncoderJob::checkSource(const QString &path)
{
    // stat() follows a symbolic link and opens nothing, so a FIFO cannot block the run.
    struct stat st {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &st) != 0) {
        if (errno == EACCES)
            fail(FailureCode::SourceUnreadable, path, u"cannot be read: permission denied"_s);
        else
            fail(FailureCode::SourceMissing, path, u"no such file"_s);
    } else if (S_ISDIR(st.st_mode)) {
        fail(FailureCode::SourceNotAFile, path, u"is a folder, not a media file"_s);
    } else if (!S_ISREG(st.st_mode)) {
        fail(FailureCode::SourceNotAFile, path, u"is not a file but a pipe, device or socket; choose a media file"_s);
    } else if (::access(name.constData(), R_OK) != 0) {
        fail(FailureCode::SourceUnreadable, path, u"cannot be read: permission denied"_s);
    } else {
        return true;
    }
    return false;
}

std::optional<FailureReason> EncoderJob::sourceProblem(const QString &path, const InputInfo &input,
                                                      const InputNeeds &needs) const
{
    // ffmpeg reads the picture of an "enhanced" FLV as some other codec, or
    // makes noise of it; its sound is still the old kind, for MP3.
    if (const std::optional<QString> fourCc = needs.video ? enhancedFlvVideo(path) : std::nullopt)
        return enhancedFlvFailure(*fourCc);
    return listingProblem(input, needs);
}

bool EncoderJob::prepareOutput(const QString &path, bool intermediate)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).exists()) {
        FailureFacts facts;
        facts.folder = folder;
        fail(FailureCode::OutputFolderMissing, path, u"the output folder \""_s + folder + u"\" does not exist"_s, facts);
        return false;
    }
    QString error;
    int errorNumber = 0;
    // Only a run's own intermediate, in a run folder proven the engine's, is replaced.
    m_output = TemporaryOutput::create(path, intermediate && isInOwnRunFolder(folder), error, &errorNumber);
    if (!m_output) {
        FailureFacts facts;
        facts.folder = folder;
        const FailureCode code = errorNumber == ENOSPC                               ? FailureCode::DiskFull
                                 : errorNumber == EMFILE || errorNumber == ENFILE ? FailureCode::TooManyFiles
                                                                                  : FailureCode::OutputUnwritable;
        fail(code, path, error, facts);
        return false;
    }
    return true;
}

FfmpegProcess *EncoderJob::startFfmpeg(const QStringList &arguments, FfmpegProcess::Stdout stdoutMode,
                                       bool pipedInput)
{
    // No prompt ever (-nostdin, -y on our own temporary file), no screen
    // statistics (-nostats): the log carries levels so that listings and
    // errors can be told apart.
    const QStringList common{u"-nostdin"_s, u"-hide_banner"_s, u"-nostats"_s, u"-loglevel"_s, u"level+info"_s};
    auto *ffmpeg = new FfmpegProcess(m_ffmpeg, common + arguments, stdoutMode, pipedInput, this);
    m_children << ffmpeg;
    ffmpeg->start();
    return ffmpeg;
}

void EncoderJob::fail(FailureCode code, const QString &file, const QString &cause, const FailureFacts &facts)
{
    if (m_finished)
        return;
    for (FfmpegProcess *child : std::as_const(m_children))
        child->kill();
    if (m_output)
        m_output->discard();
    m_console.line(failureReportLine(m_console.program(), {code, facts}));
    m_console.reason(file, cause);
    end(static_cast<int>(code));
}

void EncoderJob::fail(const FailureReason &reason, const QString &source)
{
    if (!reason.aboutOutput || !m_output) {
        fail(reason.code, source, reason.cause, reason.facts);
        return;
    }
    // A reason about the output names its folder for the engine.
    FailureFacts facts = reason.facts;
    if (facts.folder.isEmpty())
        facts.folder = QFileInfo(m_output->finalPath()).absolutePath();
    fail(reason.code, m_output->finalPath(), reason.cause, facts);
}

void EncoderJob::failFromFfmpeg(const FfmpegProcess &ffmpeg, const QString &source, const InputNeeds &needs)
{
    if (!ffmpeg.startError().isEmpty()) {
        fail(ffmpegStartFailure(ffmpeg.startError(), ffmpeg.startErrno()), source);
        return;
    }
    if (ffmpeg.killedBySignal() > 0) {
        fail(ffmpegKilled(ffmpeg.killedBySignal()), source);
        return;
    }
    QStringList paths{ffmpegFileUrl(source)};
    if (m_output)
        paths << ffmpegFileUrl(m_output->temporaryPath());
    const FailureReason reason = ffmpegFailure(ffmpeg.log(), ffmpeg.exitCode(), needs, paths);
    if (reason.code != FailureCode::Failed) {
        fail(reason, source);
        return;
    }
    // Before the settings are blamed: does the source decode without them?
    runProbe(sourceProbeArguments(ffmpegFileUrl(source), needs),
             [this, reason, source, needs, paths](const FfmpegProcess &probe, bool success, const ProgressBlock &last) {
                 const std::optional<FailureReason> problem = sourceProbeProblem(probe.log(), success, last.frame, needs, paths);
                 fail(problem ? *problem : reason, source);
             });
}

void EncoderJob::finishCoding(const CodedRun &run, const QString &source)
{
    // ffmpeg ended well: what it wrote is the output, however short (a
    // single frame reaches no measurable time), unless it coded nothing.
    if (nothingWasCoded(*run.log) || (run.video && run.last.frame == 0)) {
        if (run.clipped)
            fail(FailureCode::BadSetting, source,
                 u"nothing could be decoded from the clip range; the source may end earlier than it says"_s,
                 settingFacts(u"clip"_s));
        else
            fail(nothingDecoded(), source);
        return;
    }
    // An FLV file says by its tags where its data ends and whether its last
    // tag is whole: that, not the time ffmpeg reached, is the verdict.
    if (const std::optional<FlvTimeline> flv = readFlvTimeline(source); flv && flv->firstMs >= 0) {
        judgeByTags(run, source, *flv);
        return;
    }
    const double reached = run.last.outTimeSeconds.value_or(0);
    if (run.expectedSeconds && reached < *run.expectedSeconds - truncationTolerance(*run.expectedSeconds)) {
        checkWhereSourceEnds(run, source);
        return;
    }
    commitAndSucceed();
}

void EncoderJob::judgeByTags(const CodedRun &run, const QString &source, const FlvTimeline &flv)
{
    const double sourceEnd = flv.spanSeconds();
    const std::optional<double> declared = flv.declaredSeconds ? flv.declaredSeconds : run.declaredSeconds;
    // A clip that ends before the cut misses nothing.
    const bool clipMissesCut = run.clipped && run.expectedSeconds && run.clipStart + *run.expectedSeconds <= sourceEnd;
    if (!flv.endsWhole && !clipMissesCut) {
        // A download stopped inside a tag, whatever it lost.
        commitTruncated(run, sourceEnd, std::max(sourceEnd - run.clipStart, 0.0), declared);
        return;
    }
    const double reached = run.last.outTimeSeconds.value_or(0);
    if (!run.clipped && reached < sourceEnd - truncationTolerance(sourceEnd)) {
        // Whole, yet ffmpeg stopped early: it lost its way in the new video tags.
        if (const std::optional<QString> fourCc = enhancedFlvVideo(source)) {
            fail(enhancedFlvFailure(*fourCc), source);
            return;
        }
    }
    if (flv.declaredSeconds && *flv.declaredSeconds > sourceEnd + truncationTolerance(*flv.declaredSeconds))
        m_headerNote = HeaderNote{sourceEnd, *flv.declaredSeconds};
    commitAndSucceed();
}

void EncoderJob::checkWhereSourceEnds(const CodedRun &run, const QString &source)
{
    // Less came out than the source declares. Where do its packets really
    // end? A sound shorter than the picture is no fault for MP3; a file that
    // stops early is. Reading the packets without decoding them is quick.
    const QStringList args{u"-i"_s, ffmpegFileUrl(source), u"-map"_s, u"0:v?"_s, u"-map"_s, u"0:a?"_s, u"-c"_s, u"copy"_s,
                           u"-f"_s, u"null"_s, u"-progress"_s, u"pipe:1"_s, u"-"_s};
    runProbe(args, [this, run, source](const FfmpegProcess &, bool, const ProgressBlock &last) {
        // The decoder may give a frame or two past the last whole packet.
        const double dataEnd = std::max(last.outTimeSeconds.value_or(0), run.clipStart + run.last.outTimeSeconds.value_or(0));
        const double expectedEnd = run.clipStart + *run.expectedSeconds;
        if (dataEnd >= expectedEnd - truncationTolerance(*run.expectedSeconds))
            commitAndSucceed();
        else if (const std::optional<QString> fourCc = enhancedFlvVideo(source))
            fail(enhancedFlvFailure(*fourCc), source); // ffmpeg lost its way in the new video tags, sound and all
        else
            commitTruncated(run, dataEnd, std::max(dataEnd - run.clipStart, 0.0), run.declaredSeconds);
    });
}

void EncoderJob::commitAndSucceed()
{
    if (!commitOutput())
        return;
    printFinalStatus();
    if (m_headerNote)
        m_console.line(headerNoteLine(m_console.program(), *m_headerNote));
    m_console.line(publishedLine(m_console.program(), QFileInfo(m_output->finalPath()).fileName()));
    end(0);
}

void EncoderJob::commitTruncated(const CodedRun &run, double sourceEnd, double converted, std::optional<double> declared)
{
    Q_UNUSED(run);
    if (!commitOutput())
        return;
    printFinalStatus();
    // What was converted is kept, under its own name: the user decides. The
    // figures are the source's, so that every format and route says the same.
    FailureFacts facts;
    facts.sourceEndSeconds = sourceEnd;
    facts.convertedSeconds = converted;
    facts.declaredSeconds = declared;
    const QString name = QFileInfo(m_output->finalPath()).fileName();
    facts.output = name;
    m_console.line(failureReportLine(m_console.program(), {FailureCode::SourceTruncated, facts}));
    m_console.reason(m_output->finalPath(),
                     u"the source ends at "_s + QString::number(sourceEnd, 'f', 1) + u" s of the "_s
                         + QString::number(declared.value_or(0), 'f', 1)
                         + u" s it declares; it may not have been downloaded completely. The "_s
                         + QString::number(*facts.convertedSeconds, 'f', 1) + u" s converted are kept"_s);
    end(static_cast<int>(FailureCode::SourceTruncated));
}

bool EncoderJob::commitOutput()
{
    // The program that asked for this output is gone (its window was killed):
    // nothing may appear after it.
    if (::getppid() != m_parentPid) {
        fail(FailureCode::Stopped, m_output->finalPath(), u"the program that started the conversion has ended; the output was not kept"_s);
        return false;
    }
    const QFileInfo part(m_output->temporaryPath());
    if (!part.exists()) {
        // Written into a file someone unlinked: the folder went, or the file.
        const QString folder = part.absolutePath();
        FailureFacts facts;
        facts.folder = folder;
        if (!QFileInfo(folder).isDir())
            fail(FailureCode::OutputFolderMissing, m_output->finalPath(), u"the output folder was deleted or moved during the conversion"_s, facts);
        else
            fail(FailureCode::OutputRemoved, m_output->finalPath(), u"another program deleted the unfinished output"_s, facts);
        return false;
    }
    if (part.size() <= 0) {
        fail(FailureCode::Failed, m_output->finalPath(), u"ffmpeg wrote nothing"_s);
        return false;
    }
    if (!beforeCommit(m_output->temporaryPath()))
        return false;
    // ffmpeg may end well although its last writes failed (a disk that
    // filled up under the index): an ISO file is published only when whole.
    if (isIsoMedia(m_output->temporaryPath())) {
        if (const std::optional<QString> problem = isoStructureProblem(m_output->temporaryPath())) {
            struct statvfs disk {};
            const bool full = ::statvfs(QFile::encodeName(part.absolutePath()).constData(), &disk) == 0
                && qint64(disk.f_bavail) * qint64(disk.f_frsize) < kNearlyFullBytes;
            failOutputWrite(full ? ENOSPC : EIO, u"the written file is not whole ("_s + *problem + u")"_s);
            return false;
        }
    }
    QString error;
    if (!m_output->commit(error)) {
        FailureFacts facts;
        facts.folder = part.absolutePath();
        fail(FailureCode::OutputUnwritable, m_output->finalPath(), error, facts);
        return false;
    }
    return true;
}

void EncoderJob::failOutputWrite(int errorNumber, const QString &cause)
{
    FailureFacts facts;
    facts.folder = QFileInfo(m_output->temporaryPath()).absolutePath();
    const FailureCode code = errorNumber == ENOSPC || errorNumber == EDQUOT ? FailureCode::DiskFull
        : errorNumber == EIO                                                ? FailureCode::Failed
                                                                            : FailureCode::OutputUnwritable;
    fail(code, m_output->finalPath(), cause, facts);
}

void EncoderJob::runProbe(const QStringList &arguments,
                          std::function<void(const FfmpegProcess &, bool, const ProgressBlock &)> done)
{
    m_concluding = true;
    FfmpegProcess *probe = startFfmpeg(arguments, FfmpegProcess::Stdout::Progress, false);
    auto last = std::make_shared<ProgressBlock>();
    connect(probe, &FfmpegProcess::progressed, this, [last](const ProgressBlock &block) { *last = block; });
    connect(probe, &FfmpegProcess::ended, this, [this, probe, last, done = std::move(done)](bool success) {
        if (m_finished)
            return;
        // A check that could not even start says nothing of the source.
        if (!probe->startError().isEmpty())
            fail(ffmpegStartFailure(probe->startError(), probe->startErrno()), {});
        else
            done(*probe, success, *last);
    });
}

void EncoderJob::stop(int signal)
{
    fail(FailureCode::Stopped, m_output ? m_output->finalPath() : QString(), u"stopped by "_s + StopSignals::name(signal));
}

void EncoderJob::end(int exitCode)
{
    m_finished = true;
    QCoreApplication::exit(exitCode);
}

} // namespace sonvera::encoders
