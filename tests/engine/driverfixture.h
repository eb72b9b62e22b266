#pragma once

#include "batchdriver.h"
#include "fakeencoder.h"
#include "filelist.h"

#include <QFileInfo>
#include <QSignalSpy>

#include <optional>

// Everything a driver test needs: a fake program folder, sources, an output
// folder, the list, the settings and the driver wired to them, with the clock
// fixed at 14:07:09 (outputs are named "<base>-1479.<ext>").
struct DriverFixture {
    explicit DriverFixture(const QStringList &images = {QStringLiteral("conv"), QStringLiteral("coder"),
                                                        QStringLiteral("coder2")})
        : program(images)
    {
        log = dir.filePath(QStringLiteral("encoders.log"));
        qputenv("FAKE_ENCODER_LOG", log.toLocal8Bit());
        settings = sonvera::ConversionSettings::startupDefaults(dir.filePath(QStringLiteral("out")));
        driver.setProgramFolder(program.path());
        driver.setWorkFolder(dir.filePath(QStringLiteral("work")));
        driver.setDefaultOutputFolder(dir.filePath(QStringLiteral("default-out")));
        driver.setStartDelay(1);
        driver.setClock([] { return QTime(14, 7, 9); });
        driver.setOptionsProvider([this] { return options; });
    }

    QString addSource(const QString &name, const QByteArray &script = {})
    {
        QDir().mkpath(QFileInfo(dir.filePath(name)).path());
        const QString path = writeScript(dir.filePath(name), script);
        list.append(path, true);
        return path;
    }

    bool runToEnd(int timeoutMs = 15000)
    {
        QSignalSpy finished(&driver, &sonvera::BatchDriver::batchFinished);
        if (!driver.start())
            return false;
        return finished.wait(timeoutMs);
    }

    // Runs a batch to its end; its summary, or nothing when it did not start or end in time.
    std::optional<sonvera::BatchSummary> runForSummary(int timeoutMs = 15000)
    {
        QSignalSpy finished(&driver, &sonvera::BatchDriver::batchFinished);
        if (!driver.start() || !finished.wait(timeoutMs))
            return std::nullopt;
        return finished.at(0).at(0).value<sonvera::BatchSummary>();
    }

    QTemporaryDir dir;
    FakeProgramFolder program;
    QString log;
    sonvera::FileList list;
    sonvera::ConversionSettings settings;
    sonvera::BatchOptions options;
    sonvera::BatchDriver driver{list, settings};
};
