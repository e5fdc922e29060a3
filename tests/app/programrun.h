#pragma once
// The built program started as a separate process, as from a shell.

#include <QFile>
#include <QProcess>
#include <QTest>

#include <functional>

inline QString program()
{
    return qEnvironmentVariable("VARDELLA_BINARY_DIR") + "/bin/vardella";
}

inline void copySound(const QString &name)
{
    QVERIFY(QFile::copy(qEnvironmentVariable("VARDELLA_SOURCE_DIR") + "/data/" + name, name));
}

struct Outcome
{
    bool finished = false;
    int exitCode = -1;
    QString errors;
    QString output;
};

/// Runs the program for at most milliseconds, on the offscreen platform unless env says else.
inline Outcome runFor(int milliseconds, const QStringList &arguments = {},
                      const QString &binary = program(),
                      const std::function<void(QProcessEnvironment &)> &env = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    if (env)
        env(environment);
    process.setProcessEnvironment(environment);
    process.start(binary, arguments);
    Outcome outcome;
    if (!process.waitForStarted(10000))
        return outcome;
    outcome.finished = process.waitForFinished(milliseconds);
    if (outcome.finished) {
        outcome.exitCode = process.exitCode();
    } else {
        process.kill();
        process.waitForFinished(5000);
    }
    outcome.errors = QString::fromLocal8Bit(process.readAllStandardError());
    outcome.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return outcome;
}
