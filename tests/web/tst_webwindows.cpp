// The web view in the windows: "Custom settings" switches it on with its address, port and
// password, and the same server as the program without a display serves, or the note says why
// it cannot.
#include "common/captureapp.h"
#include "settings/customsettingswindow.h"
#include "web/webclient.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTcpServer>
#include <QTest>

using Role = ToolWindows::Role;

class TestWebWindows : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void offAtFirst();
    void servesAsSet_data();
    void servesAsSet();
    void nextStartServesAgain();
};

namespace {
// A port nobody listens on now.
quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}
} // namespace

void TestWebWindows::initTestCase()
{
    if (!haveCurl())
        QSKIP("curl is not installed (Debian curl)");
}

void TestWebWindows::offAtFirst()
{
    CaptureApp a;
    QString error;
    QVERIFY2(a.start(&error), qPrintable(error));
    auto *window = a.tool<CustomSettingsWindow>(Role::CustomSettings);
    QVERIFY(window);
    const CustomSettingsWindow::Values v = window->values();
    QVERIFY(!v.webView);
    QCOMPARE(v.webAddress, QString("127.0.0.1"));
    QCOMPARE(v.webPort, 8080);
    QVERIFY(!v.webCredentials);
    QVERIFY(!window->findChild<QCheckBox *>("webView")->isChecked());
    QVERIFY(window->findChild<QWidget *>("webFields")->isHidden());
}

void TestWebWindows::servesAsSet_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("note"); // "@" is the port
    QTest::addColumn<bool>("serves");
    QTest::newRow("loopback") << "127.0.0.1" << false << ""
                              << "Web view at http://127.0.0.1:@/" << true;
    QTest::newRow("port taken") << "127.0.0.1" << true << ""
                                << "The web view cannot listen on 127.0.0.1:@: the port @ is taken."
                                << false;
    QTest::newRow("every address, no password")
        << "0.0.0.0" << false << ""
        << "The web view on 0.0.0.0:@ could be reached from other machines: it needs a password."
        << false;
    QTest::newRow("every address, password") << "0.0.0.0" << false << "pass word"
                                             << "Web view at http://" << true;
    QTest::newRow("a name") << "camera.lan" << false << ""
                            << "The web view needs a numeric address of this machine, such as "
                               "127.0.0.1 or 0.0.0.0, not \"camera.lan\"."
                            << false;
}

void TestWebWindows::servesAsSet()
{
    QFETCH(QString, address);
    QFETCH(bool, taken);
    QFETCH(QString, password);
    QFETCH(QString, note);
    QFETCH(bool, serves);
    CaptureApp a;
    QString error;
    QVERIFY2(a.start(&error), qPrintable(error));
    auto *window = a.tool<CustomSettingsWindow>(Role::CustomSettings);
    const quint16 port = freePort();
    QTcpServer holder;
    if (taken)
        QVERIFY(holder.listen(QHostAddress::LocalHost, port));
    window->findChild<QLineEdit *>("webAddress")->setText(address);
    window->findChild<QSpinBox *>("webPort")->setValue(port);
    auto *typed = window->findChild<QLineEdit *>("webPassword");
    if (!password.isEmpty()) {
        typed->setText(password);
        emit typed->editingFinished();
        QVERIFY(typed->text().isEmpty()); // kept as its hash only
        QVERIFY(window->values().webCredentials);
    }
    window->findChild<QCheckBox *>("webView")->setChecked(true);

    note.replace("@", QString::number(port));
    const QString shown = window->findChild<QLabel *>("webNote")->text();
    QVERIFY2(shown.startsWith(note), qPrintable(shown));
    QCOMPARE(a.main().statusNote().startsWith(note), true);
    const QString status = QStringLiteral("http://127.0.0.1:%1/api/status").arg(port);
    const QStringList digest{"--digest", "-u", "vardella:" + password};
    const Reply reply =
        curl(password.isEmpty() ? QStringList{status} : digest + QStringList{status});
    QCOMPARE(reply.status == 200, serves);
    if (serves && !password.isEmpty())
        QCOMPARE(curl({status}).status, 401);

    // Switched off, nothing listens.
    window->findChild<QCheckBox *>("webView")->setChecked(false);
    if (!taken)
        QCOMPARE(curl({status}).status, 0);
}

void TestWebWindows::nextStartServesAgain()
{
    CaptureApp a;
    QString error;
    QVERIFY2(a.start(&error), qPrintable(error));
    auto *window = a.tool<CustomSettingsWindow>(Role::CustomSettings);
    const quint16 port = freePort();
    window->findChild<QCheckBox *>("startAsLeft")->setChecked(true);
    window->findChild<QSpinBox *>("webPort")->setValue(port);
    auto *typed = window->findChild<QLineEdit *>("webPassword");
    typed->setText("pass word");
    emit typed->editingFinished();
    window->findChild<QCheckBox *>("webView")->setChecked(true);
    QFile saved(a.settingsFile());
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray file = saved.readAll();
    QVERIFY(file.contains("[Web]") && !file.contains("pass word")); // the hash only
    saved.close();

    // The next start serves at once, with the same password.
    QVERIFY2(a.restart(&error), qPrintable(error));
    const QString status = QStringLiteral("http://127.0.0.1:%1/api/status").arg(port);
    QCOMPARE(curl({"--digest", "-u", "vardella:pass word", status}).status, 200);
    QCOMPARE(curl({"--digest", "-u", "vardella:other", status}).status, 401);
}

QTEST_MAIN(TestWebWindows)
#include "tst_webwindows.moc"
