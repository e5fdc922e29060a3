// Vardella: an interval photo grabber for one video capture device.
#include "app/application.h"
#include "app/guardedapplication.h"
#include "app/headless.h"
#include "app/qtguioptions.h"
#include "app/terminationsignals.h"
#include "shell/mainwindow.h"
#include "shell/result.h"
#include "vardella_version.h"
#include "video/makevideocommand.h"

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
#include <optional>
#include <system_error>

namespace {
// Says why the program cannot start: on standard error, and in a box where there is a screen.
// The box closes by itself so that a start from a script still ends with its exit status.
void reportStartFailure(const QString &message)
{
    std::fprintf(stderr, "vardella: %s\n", qPrintable(message));
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()) ||
        QGuiApplication::platformName() == QLatin1String("offscreen") ||
        QGuiApplication::platformName() == QLatin1String("minimal"))
        return;
    QMessageBox box(QMessageBox::Critical, Product::caption, message, QMessageBox::Ok);
    QTimer::singleShot(15000, &box, &QMessageBox::accept);
    box.exec();
}

// The program's arguments: the store directory ([DIRECTORY] or --pictures) and the headless
// --make-video with its options. --help and --version end the program in process().
struct Arguments
{
    QCommandLineParser parser;
    QCommandLineOption pictures{
        QStringLiteral("pictures"),
        QStringLiteral("Use the folder \"%1\" of the Pictures folder as the store directory.")
            .arg(QLatin1String(Product::name))};
    bool described = describe(parser, pictures);
    MakeVideoCommand::Options video = MakeVideoCommand::addOptions(parser);
    HeadlessCommandLine headless{parser};

    Arguments() = default;
    explicit Arguments(const QCoreApplication &app) { parser.process(app); }

    static bool describe(QCommandLineParser &parser, const QCommandLineOption &pictures)
    {
        parser.setApplicationDescription(
            QStringLiteral("Interval photo grabber: stores one picture per interval in the folders "
                           "\"1\" to \"64\" below the store directory."));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOption(pictures);
        parser.addPositionalArgument(
            QStringLiteral("directory"),
            QStringLiteral("The store directory, created when missing (default: the working "
                           "directory)."),
            QStringLiteral("[DIRECTORY]"));
        return true;
    }
};

// The store directory asked for (the positional arguments left for it), or an empty text for
// the working directory. Qt's own options (-platform ...) are gone from the arguments by now.
Result<QString> storeDirectoryArgument(const Arguments &arguments, const QStringList &positional)
{
    const QString folder = QLatin1String(Product::name);
    if (positional.size() > 1)
        return failure(QStringLiteral("Give one store directory at most."));
    if (!arguments.parser.isSet(arguments.pictures))
        return positional.value(0);
    if (!positional.isEmpty())
        return failure(QStringLiteral("Give either a store directory or --pictures, not both."));
    const QString root = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (root.isEmpty())
        return failure(QStringLiteral("The Pictures folder is unknown."));
    return root + '/' + folder;
}

Result<QString> storeDirectoryArgument(const Arguments &arguments)
{
    const QCommandLineParser &parser = arguments.parser;
    if (parser.isSet(arguments.video.fps) || parser.isSet(arguments.video.quality))
        return failure(QStringLiteral("--fps and --crf go with --make-video."));
    if (parser.isSet(arguments.video.deflicker))
        return failure(QStringLiteral("--deflicker goes with --make-video."));
    return storeDirectoryArgument(arguments, parser.positionalArguments());
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

// --make-video: no window, display or sound. The store is only read, so it takes no lock:
// pictures appear by rename, whole, while a capturing program writes them.
int makeVideo(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QLatin1String(Product::name));
    QCoreApplication::setApplicationVersion(QLatin1String(Product::version));
    const Arguments arguments(app);
    const QStringList positional = arguments.parser.positionalArguments();
    // OUT is read against the working directory the command was given in, before the store's.
    const Result<VideoSettings> settings =
        MakeVideoCommand::settings(arguments.parser, arguments.video, positional);
    const Result<QString> store =
        settings ? storeDirectoryArgument(arguments, positional.mid(3)) : failure(settings.error());
    if (!store) {
        std::fprintf(stderr, "vardella: %s\n", qPrintable(store.error()));
        return 1;
    }
    if (!store->isEmpty() && !QDir::setCurrent(*store)) {
        std::fprintf(stderr, "vardella: The store directory \"%s\" does not exist.\n",
                     qPrintable(*store));
        return 1;
    }
    MakeVideoCommand command;
    TerminationSignals cancelOnSignal([&command] { command.cancel(); });
    command.start(*settings);
    return app.exec();
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

namespace {
void setNames()
{
    QCoreApplication::setApplicationName(QLatin1String(Product::name));
    QCoreApplication::setApplicationVersion(QLatin1String(Product::version));
    QGuiApplication::setDesktopFileName(QLatin1String(Product::desktopId));
}

// What the arguments ask for, or the mistake they hold.
struct Request
{
    QString store; // empty: the working directory
    HeadlessOptions headless;
};

Result<Request> requested(const Arguments &arguments, bool windows)
{
    const Result<QString> store = storeDirectoryArgument(arguments);
    if (!store)
        return failure(store.error());
    if (windows && arguments.headless.anyHeadlessOption())
        return failure(QStringLiteral("These options need --headless."));
    const Result<HeadlessOptions> headless = arguments.headless.options();
    if (!headless)
        return failure(headless.error());
    return Request{*store, *headless};
}

// --help, --version and mistakes in the arguments are answered before the windows' application
// object exists, since that one needs a display and these need none. Empty when the windows
// are to start (or only they can tell the mistake).
std::optional<int> answeredWithoutDisplay(int &argc, char *argv[])
{
    const QCoreApplication app(argc, argv);
    setNames();
    const QtGuiOptionsRemoved own = removeQtGuiOptions(QCoreApplication::arguments());
    Arguments arguments;
    if (!arguments.parser.parse(own.arguments) && own.undecided)
        return std::nullopt;
    arguments.parser.process(own.arguments); // ends the program after help, version or a mistake
    const Result<Request> request = requested(arguments, true);
    if (request)
        return std::nullopt;
    std::fprintf(stderr, "vardella: %s\n", qPrintable(request.error()));
    return 1;
}

// The program from its arguments on: windows is the application object of the windows, or
// nullptr for the program without a display.
int run(QGuiApplication &app, QApplication *windows)
{
    setNames();
    const Arguments arguments(app);
    const Result<Request> request = requested(arguments, windows != nullptr);
    const Result<> entered =
        request ? enterStoreDirectory(request->store) : Result<>(failure(request.error()));
    if (!entered) {
        reportStartFailure(entered.error());
        return 1;
    }
    // Held until the program returns, after the run has tidied the store.
    QLockFile lock(QStringLiteral(".vardella.lock"));
    if (const Result<> locked = lockStoreDirectory(lock); !locked) {
        reportStartFailure(locked.error());
        return 1;
    }

    if (!windows)
        return runHeadless(request->headless);

    Application vardella(*windows);
    QString error;
    if (!vardella.start(&error)) {
        reportStartFailure(error);
        return 1;
    }
    TerminationSignals endOnSignal([&vardella] { vardella.mainWindow().exitRoutine(); });
    return app.exec();
}
} // namespace

int main(int argc, char *argv[])
{
    if (MakeVideoCommand::isRequested(argc, argv))
        return makeVideo(argc, argv);
    if (headlessAsked(argc, argv)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen"); // no display needed, and no window is made
        // A GUI application without widgets: the time stamp needs fonts, nothing needs more.
        GuardedGuiApplication app(argc, argv);
        return run(app, nullptr);
    }
    if (const std::optional<int> status = answeredWithoutDisplay(argc, argv))
        return *status;
    GuardedApplication app(argc, argv);
    return run(app, &app);
}
