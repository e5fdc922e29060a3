// Replacing a picture file as a whole: a failed write keeps the earlier file and leaves no
// temporary file behind.
#include "capture/atomicfilewriter.h"
#include "capture/filereleaser.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
std::vector<std::uint8_t> bytesOf(const QByteArray &text)
{
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

QByteArray contents(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The spare files the releaser keeps in dir, with their paths.
QStringList spareIn(const QString &dir)
{
    QStringList spares;
    static const QRegularExpression own(
        QStringLiteral("^\\.replaced\\.capture\\.jpg\\.[0-9a-z]+\\.tmp$"));
    for (const QString &name : entries(dir)) {
        if (own.match(name).hasMatch())
            spares << dir + QLatin1Char('/') + name;
    }
    return spares;
}

ino_t inodeOf(const QString &path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// Directory permissions do not bind root, so as root the attempt runs in a child process
// that has given up its privileges first; the child hands back the reason through a pipe.
// The message of a failed attempt, or nothing.
QString messageOf(const Result<> &result)
{
    return result ? QString() : result.error();
}

QString reasonWithoutPrivileges(const std::function<Result<>()> &attempt)
{
    if (::geteuid() != 0)
        return messageOf(attempt());
    int fds[2];
    if (::pipe(fds) != 0)
        return QStringLiteral("pipe failed");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        QByteArray reason = "could not drop privileges";
        if (::setgid(65534) == 0 && ::setuid(65534) == 0)
            reason = messageOf(attempt()).toUtf8();
        const ssize_t written = ::write(fds[1], reason.constData(), std::size_t(reason.size()));
        ::_exit(written == reason.size() ? 0 : 1);
    }
    ::close(fds[1]);
    QByteArray reason;
    char buffer[256];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        reason.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return QString::fromUtf8(reason);
}
} // namespace

class TestAtomicFileWriter : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void createsAndReplaces();
    void replacedFileFreedApart_data();
    void replacedFileFreedApart();
    void missingDirectory();
    void readOnlyDirectory();
    void fullDisk();
    void shortWritesAreContinued();
    void syncBeforeRename_data();
    void syncBeforeRename();
    void targetIsADirectory();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestAtomicFileWriter::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir::setCurrent(m_dir->path()));
    QVERIFY(QDir().mkdir("1"));
}

void TestAtomicFileWriter::cleanup()
{
    QDir::setCurrent(QDir::tempPath());
    ::chmod(QFile::encodeName(m_dir->filePath("1")).constData(), 0755);
    m_dir.reset();
}

void TestAtomicFileWriter::createsAndReplaces()
{
    const AtomicFileWriter writer;
    Result<> result = writer.write("1/capture0.jpg", bytesOf("first picture"));
    QVERIFY2(result, qPrintable(messageOf(result)));
    QCOMPARE(contents("1/capture0.jpg"), "first picture");
    result = writer.write("1/capture0.jpg", bytesOf("second"));
    QVERIFY(result);
    QCOMPARE(contents("1/capture0.jpg"), "second");
    QCOMPARE(entries("1"), QStringList{"capture0.jpg"});
    // A new file gets the usual permissions, not those of a private temporary file.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    struct stat info
    {};
    QCOMPARE(::stat("1/capture0.jpg", &info), 0);
    QCOMPARE(info.st_mode & 0777, 0666 & ~mask);
}

void TestAtomicFileWriter::replacedFileFreedApart_data()
{
    QTest::addColumn<bool>("releaser");
    QTest::addColumn<int>("writes");
    QTest::addColumn<bool>("spareRemoved"); // by someone else, before the first write
    QTest::newRow("new file") << true << 1 << false;
    QTest::newRow("replaced") << true << 2 << false;
    QTest::newRow("replaced often") << true << 5 << false;
    QTest::newRow("replaced without a releaser") << false << 3 << false;
    QTest::newRow("new file, the spare removed") << true << 1 << true;
    QTest::newRow("replaced, the spare removed") << true << 2 << true;
}

// A replaced file is kept under a second name until the new one stands in its place, then
// removed apart: nothing of it stays once the releaser is done, and a reader who opened it
// before still reads it whole.
void TestAtomicFileWriter::replacedFileFreedApart()
{
    QFETCH(bool, releaser);
    QFETCH(int, writes);
    QFETCH(bool, spareRemoved);
    auto freer = std::make_shared<FileReleaser>();
    AtomicFileWriter writer;
    if (releaser)
        writer.setReleaser(freer, QStringLiteral("."));
    // The first picture goes into the spare the releaser made beforehand.
    freer->waitForSpare();
    const QStringList spare = spareIn(".");
    QCOMPARE(spare.size(), releaser ? 1 : 0);
    const ino_t spareInode = releaser ? inodeOf(spare.value(0)) : 0;
    if (spareRemoved)
        QVERIFY(QFile::remove(spare.value(0)));
    QVERIFY(writer.write("1/capture0.jpg", bytesOf("picture 0")));
    QCOMPARE(contents("1/capture0.jpg"), "picture 0");
    if (releaser && !spareRemoved)
        QCOMPARE(inodeOf("1/capture0.jpg"), spareInode);
    QFile reader("1/capture0.jpg");
    QVERIFY(reader.open(QIODevice::ReadOnly));
    for (int i = 1; i < writes; ++i) {
        const QByteArray text = "picture " + QByteArray::number(i);
        QVERIFY(writer.write("1/capture0.jpg", bytesOf(text)));
        QCOMPARE(contents("1/capture0.jpg"), text);
    }
    freer->waitUntilDone();
    freer->waitForSpare();
    QCOMPARE(entries("1"), QStringList{"capture0.jpg"});
    QCOMPARE(spareIn(".").size(), releaser ? 1 : 0); // the next one's, taken or not
    QCOMPARE(entries(".").size(), releaser ? 2 : 1);
    QCOMPARE(reader.readAll(), "picture 0");
    // The releaser gone, nothing of its own stays.
    writer.setReleaser(nullptr, QString());
    freer.reset();
    QCOMPARE(entries("."), QStringList{"1"});
}

void TestAtomicFileWriter::missingDirectory()
{
    const Result<> result = AtomicFileWriter().write("7/capture0.jpg", bytesOf("x"));
    QCOMPARE(messageOf(result), "7/capture0.jpg: No such file or directory");
    QVERIFY(!QFile::exists("7"));
}

void TestAtomicFileWriter::readOnlyDirectory()
{
    QVERIFY(AtomicFileWriter().write("1/capture0.jpg", bytesOf("old picture")));
    // Let an unprivileged child reach the directory, then take the right to write it away.
    QCOMPARE(::chmod(QFile::encodeName(m_dir->path()).constData(), 0755), 0);
    QCOMPARE(::chmod("1/capture0.jpg", 0644), 0);
    QCOMPARE(::chmod("1", 0555), 0);
    const QString reason = reasonWithoutPrivileges(
        [] { return AtomicFileWriter().write("1/capture0.jpg", bytesOf("new picture")); });
    QCOMPARE(reason, "1/capture0.jpg: Permission denied");
    QCOMPARE(contents("1/capture0.jpg"), "old picture");
    QCOMPARE(entries("1"), QStringList{"capture0.jpg"});
}

// The kernel's own "disk full" device stands in for the disk: every write to it fails.
void TestAtomicFileWriter::fullDisk()
{
    QVERIFY(AtomicFileWriter().write("1/capture0.jpg", bytesOf("old picture")));
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    if (full < 0)
        QSKIP("/dev/full is not available");
    const AtomicFileWriter writer(
        [full](int, const void *data, std::size_t size) { return ::write(full, data, size); });
    const Result<> result = writer.write("1/capture0.jpg", bytesOf("new picture"));
    ::close(full);
    QCOMPARE(messageOf(result), "1/capture0.jpg: No space left on device");
    QCOMPARE(contents("1/capture0.jpg"), "old picture");
    QCOMPARE(entries("1"), QStringList{"capture0.jpg"});
}

// A disk that fills up half-way: the first write is partial, the next fails.
void TestAtomicFileWriter::shortWritesAreContinued()
{
    int calls = 0;
    const AtomicFileWriter halfWay([&calls](int fd, const void *data, std::size_t size) {
        if (++calls > 1) {
            errno = ENOSPC;
            return ssize_t(-1);
        }
        return ::write(fd, data, size / 2);
    });
    QVERIFY(!halfWay.write("1/capture1.jpg", bytesOf("0123456789")));
    QCOMPARE(calls, 2);
    QVERIFY(entries("1").isEmpty());

    // Interrupted and partial writes that do complete give the whole file.
    calls = 0;
    const AtomicFileWriter choppy([&calls](int fd, const void *data, std::size_t size) {
        if (++calls % 2 == 1) {
            errno = EINTR;
            return ssize_t(-1);
        }
        return ::write(fd, data, std::min<std::size_t>(size, 3));
    });
    QVERIFY(choppy.write("1/capture1.jpg", bytesOf("0123456789")));
    QCOMPARE(contents("1/capture1.jpg"), "0123456789");
}

// The data must be on the disk before the new picture takes the name; a disk that fails to
// take it keeps the old picture.
void TestAtomicFileWriter::syncBeforeRename_data()
{
    QTest::addColumn<QList<int>>("outcomes"); // errno of each sync call, 0 for success
    QTest::addColumn<QString>("message");
    QTest::newRow("synced") << QList<int>{0} << QString();
    QTest::newRow("interrupted, then synced") << QList<int>{EINTR, EINTR, 0} << QString();
    QTest::newRow("disk error") << QList<int>{EIO} << "1/capture0.jpg: Input/output error";
    QTest::newRow("interrupted, then disk full")
        << QList<int>{EINTR, ENOSPC} << "1/capture0.jpg: No space left on device";
}

void TestAtomicFileWriter::syncBeforeRename()
{
    QFETCH(QList<int>, outcomes);
    QFETCH(QString, message);
    QVERIFY(AtomicFileWriter().write("1/capture0.jpg", bytesOf("old picture")));
    const QByteArray picture = "new picture";
    qsizetype calls = 0;
    bool completeAndNotYetRenamed = true;
    const AtomicFileWriter writer({}, [&](int fd) {
        struct stat info
        {};
        completeAndNotYetRenamed = completeAndNotYetRenamed && ::fstat(fd, &info) == 0 &&
                                   info.st_size == picture.size() &&
                                   contents("1/capture0.jpg") == "old picture";
        errno = outcomes.value(calls++, 0);
        return errno == 0 ? 0 : -1;
    });
    const Result<> result = writer.write("1/capture0.jpg", bytesOf(picture));
    QCOMPARE(messageOf(result), message);
    QCOMPARE(calls, outcomes.size());
    QVERIFY(completeAndNotYetRenamed);
    QCOMPARE(contents("1/capture0.jpg"), message.isEmpty() ? picture : "old picture");
    QCOMPARE(entries("1"), QStringList{"capture0.jpg"});
}

void TestAtomicFileWriter::targetIsADirectory()
{
    QVERIFY(QDir().mkdir("1/capture0.jpg"));
    const Result<> result = AtomicFileWriter().write("1/capture0.jpg", bytesOf("x"));
    QCOMPARE(messageOf(result), "1/capture0.jpg: Is a directory");
    QCOMPARE(entries("1"), QStringList{"capture0.jpg"});
}

QTEST_GUILESS_MAIN(TestAtomicFileWriter)
#include "tst_atomicfilewriter.moc"
