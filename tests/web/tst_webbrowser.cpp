// The web view in a real browser (headless Chromium, Debian chromium) against the program
// without a display capturing the test scene: the live page shows a moving picture and the
// run's state, the pictures page a page of thumbnails with their numbers and times.
#include "app/programrun.h"
#include "common/tempworkdir.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>

#include <csignal>

class TestWebBrowser : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void livePageMoves();
    void picturesPageShowsThumbnails();

private:
    QByteArray browse(const QStringList &what, const QString &path);
    QImage screenshot(const QString &path, const QString &name);

    TempWorkDir m_dir;
    QProcess m_program;
    QString m_base;
};

namespace {
// Keeps the screenshots where a person can look at them after the run.
QString shotDir()
{
    const QString dir = qEnvironmentVariable("VARDELLA_BINARY_DIR") + "/test-screenshots";
    QDir().mkpath(dir);
    return dir;
}

int colourCount(const QImage &image, const QRect &area)
{
    QSet<QRgb> colours;
    for (int y = area.top(); y <= area.bottom(); y += 3)
        for (int x = area.left(); x <= area.right(); x += 3)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

int changedPixels(const QImage &a, const QImage &b, const QRect &area)
{
    int changed = 0;
    for (int y = area.top(); y <= area.bottom(); y += 2)
        for (int x = area.left(); x <= area.right(); x += 2)
            changed += a.pixel(x, y) != b.pixel(x, y);
    return changed;
}
} // namespace

void TestWebBrowser::initTestCase()
{
    if (QStandardPaths::findExecutable("chromium").isEmpty())
        QSKIP("chromium is not installed (Debian chromium)");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    m_program.setProcessEnvironment(env);
    m_program.start(program(), {"--headless", "--web", "127.0.0.1:0", "--interval", "0.5",
                                "--timestamp", "store"});
    QVERIFY(m_program.waitForStarted());
    QByteArray said;
    const QRegularExpression url(R"(Web view at (http://127\.0\.0\.1:\d+)/)");
    for (int i = 0; i < 100 && !url.match(said).hasMatch(); ++i) {
        m_program.waitForReadyRead(100);
        said += m_program.readAllStandardError();
    }
    m_base = url.match(said).captured(1);
    QVERIFY2(!m_base.isEmpty(), said.constData());
    // More than a page of pictures.
    QTRY_VERIFY_WITH_TIMEOUT(QDir("store/1").entryList({"capture*.jpg"}).size() > 24, 30000);
}

void TestWebBrowser::cleanupTestCase()
{
    if (m_program.state() == QProcess::NotRunning)
        return;
    ::kill(m_program.processId(), SIGTERM);
    QVERIFY(m_program.waitForFinished(10000));
    QCOMPARE(m_program.exitCode(), 0);
}

// One headless Chromium run on the page at path: what comes after the common arguments.
QByteArray TestWebBrowser::browse(const QStringList &what, const QString &path)
{
    QProcess browser;
    browser.start("chromium",
                  QStringList{"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                              "--no-proxy-server", "--hide-scrollbars",
                              "--user-data-dir=" + m_dir.path() + "/profile", "--timeout=4000"} +
                      what + QStringList{m_base + path});
    if (!browser.waitForFinished(60000)) {
        browser.kill();
        browser.waitForFinished();
    }
    return browser.readAllStandardOutput();
}

QImage TestWebBrowser::screenshot(const QString &path, const QString &name)
{
    const QString file = shotDir() + '/' + name + ".png";
    QFile::remove(file);
    browse({"--screenshot=" + file, "--window-size=1024,768"}, path);
    return QImage(file);
}

void TestWebBrowser::livePageMoves()
{
    const QImage first = screenshot("/", "live-1");
    QTest::qWait(1500);
    const QImage second = screenshot("/", "live-2");
    QVERIFY(!first.isNull() && !second.isNull());
    QCOMPARE(first.size(), second.size());
    // The live picture fills most of the left of the page: the scene in both (no plain
    // stand-in), and it has moved between the two.
    const QRect live(16, 60, first.width() / 2, first.height() / 3);
    QVERIFY(colourCount(first, live) > 100 && colourCount(second, live) > 100);
    const int changed = changedPixels(first, second, live);
    QVERIFY2(changed > 200, qPrintable(QString::number(changed)));
    // The script has asked how the run stands; on a busy machine its answer may come after
    // the browser's dump, so it gets another look or two.
    const QByteArray running = "<h1 id=\"state\">Running</h1>";
    QByteArray dom;
    for (int look = 0; look < 3 && !dom.contains(running); ++look)
        dom = browse({"--dump-dom"}, "/");
    QVERIFY2(dom.contains(running), dom.constData());
    QVERIFY(QRegularExpression(R"(id="last">\d+ at )").match(QString::fromUtf8(dom)).hasMatch());
}

void TestWebBrowser::picturesPageShowsThumbnails()
{
    const QImage page = screenshot("/pictures", "pictures");
    QVERIFY(!page.isNull());
    const int colours = colourCount(page, page.rect());
    QVERIFY2(colours > 500, qPrintable(QString::number(colours)));
    const QByteArray dom = browse({"--dump-dom"}, "/pictures");
    QCOMPARE(int(dom.count("<li>")), 20);
    QVERIFY(dom.contains("rel=\"next\">Older"));
    QVERIFY(QRegularExpression(R"(class="number">\d+</span><span class="time">[^<]*\d\d:\d\d)")
                .match(QString::fromUtf8(dom))
                .hasMatch());
}

QTEST_GUILESS_MAIN(TestWebBrowser)
#include "tst_webbrowser.moc"
