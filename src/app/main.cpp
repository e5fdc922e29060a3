// Vardella: an interval photo grabber for one video capture device.
#include "app/application.h"
#include "app/guardedapplication.h"
#include "app/headless.h"
#include "app/terminationsignals.h"
#include "shell/mainwindow.h"
#include "shell/result.h"
#include "vardella_version.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QMessageBox>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {
// Says why the program cannot start: on standard error, and in a box where there is a screen.
// The box closes by itself so that a start from a script still ends with its exit status.
void reportStartFailure(const QString &message)
{
    std::fprintf(stderr, "vardella: %s\n", qPrintable(message));
    if (QGuiApplication::platformName() == QLatin1String("offscreen") ||
        QGuiApplication::platformName() == QLatin1String("minimal"))
        return;
    QMessageBox box(QMessageBox::Critical, Product::caption, message, QMessageBox::Ok);
    QTimer::singleShot(15000, &box, &QMessageBox::accept);
    box.exec();
}

// The store directory asked for on the command line, or an empty text for the working
// directory. --help and --version end the program here; Qt's own options (-platform ...) are
// gone from the arguments by now.
Result<QString> storeDirectoryArgument(const QCoreApplication &app, QCommandLineParser &parser)
{
    const QString folder = QLatin1String(Product::name);
    parser.setApplicationDescription(
        QStringLiteral("Interval photo grabber: stores one picture per interval in the folders "
                       "\"1\" to \"64\" below the store directory."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption pictures(
        QStringLiteral("pictures"),
        QStringLiteral("Use the folder \"%1\" of the Pictures folder as the store directory.")
            .arg(folder));
    parser.addOption(pictures);
    parser.addPositionalArgument(
        QStringLiteral("directory"),
        QStringLiteral("The store directory, created when missing (default: the working "
                       "directory)."),
        QStringLiteral("[DIRECTORY]"));
    parser.process(app);

    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return failure(QStringLiteral("Give one store directory at most."));
    if (!parser.isSet(pictures))
        return positional.value(0);
    if (!positional.isEmpty())
        return failure(QStringLiteral("Give either a store directory or --pictures, not both."));
    const QString root = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (root.isEmpty())
        return failure(QStringLiteral("The Pictures folder is unknown."));
    return root + '/' + folder;
}

// Every picture path is relative to the working directory ("1/capture0.jpg"), so the store
// directory becomes the working directory, made first when missing. std::filesystem rather
// than QDir: it says why a directory cannot be made or entered.
Result<> enterStoreDirectory(const QString &directory)
{
    if (directory.isEmpty())
        return {};
    const std::filesystem::path path(QFile::encodeName(directory).toStdString());
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (!error)
        std::filesystem::current_path(path, error);
    if (!error)
        return {};
    QString reason = QString::fromLocal8Bit(error.message());
    if (!reason.isEmpty())
        reason[0] = reason[0].toLower();
    return failure(
        QStringLiteral("Cannot use the store directory \"%1\": %2.").arg(directory, reason));
}

// Two programs on one store would number their pictures over each other's and remove each
// other's temporary files, so the second one refuses. Only a dead owner's lock is taken over
// (stale lock time 0): a run of days must never lose its lock to a newcomer.
Result<> lockStoreDirectory(QLockFile &lock)
{
    lock.setStaleLockTime(0);
    const QString store = QDir::currentPath();
    const QString product = QLatin1String(Product::name);
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (lock.tryLock(0))
            return {};
        if (lock.error() != QLockFile::LockFailedError)
            return failure(QStringLiteral("Cannot use the store directory \"%1\": the lock file "
                                          "\"%2\" cannot be created.")
                               .arg(store, lock.fileName()));
        qint64 pid = 0;
        if (lock.getLockInfo(&pid, nullptr, nullptr))
            return failure(QStringLiteral("Another %1 (process %2) is already using the store "
                                          "directory \"%3\".")
                               .arg(product, QString::number(pid), store));
        QThread::msleep(50); // the owner is still writing the file, or just removed it
    }
    return failure(QStringLiteral("The store directory \"%1\" is locked: its lock file \"%2\" "
                                  "cannot be read.")
                       .arg(store, lock.fileName()));
}
} // namespace

// Whether the program runs without a display: known before the application object exists,
// because that decides the platform it uses.
bool headlessAsked(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0)
            return true;
    }
    return false;
}

int main(int argc, char *argv[])
{
    const bool headless = headlessAsked(argc, argv);
    if (headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // no display needed, and no window is made
    GuardedApplication app(argc, argv);
    QCoreApplication::setApplicationName(QLatin1String(Product::name));
    QCoreApplication::setApplicationVersion(QLatin1String(Product::version));
    QGuiApplication::setDesktopFileName(QLatin1String(Product::desktopId));
    if (headless) {
        app.setReport([](const QString &reason) {
            std::fprintf(stderr, "vardella: error: %s\n", qPrintable(reason));
        });
    }

    QCommandLineParser parser;
    const HeadlessCommandLine headlessLine(parser);
    const Result<QString> store = storeDirectoryArgument(app, parser);
    Result<HeadlessOptions> headlessOptions = headlessLine.options();
    if (!headless && headlessLine.anyHeadlessOption())
        headlessOptions = failure(QStringLiteral("These options need --headless."));
    if (store && !headlessOptions) {
        reportStartFailure(headlessOptions.error());
        return 1;
    }
    const Result<> entered = store ? enterStoreDirectory(*store) : Result<>(failure(store.error()));
    if (!entered) {
        reportStartFailure(entered.error());
        return 1;
    }
    // Held until main returns, after the windows have tidied the store.
    QLockFile lock(QStringLiteral(".vardella.lock"));
    if (const Result<> locked = lockStoreDirectory(lock); !locked) {
        reportStartFailure(locked.error());
        return 1;
    }

    if (headless)
        return runHeadless(*headlessOptions);

    Application vardella(app);
    QString error;
    if (!vardella.start(&error)) {
        reportStartFailure(error);
        return 1;
    }
    TerminationSignals endOnSignal([&vardella] { vardella.mainWindow().exitRoutine(); });
    return app.exec();
}
