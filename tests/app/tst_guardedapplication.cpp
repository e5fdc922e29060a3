// An error thrown by an event handler is reported with its reason, and the program goes on
// handling events.
#include "app/guardedapplication.h"

#include <QTest>
#include <QTimer>

#include <stdexcept>

class TestGuardedApplication : public QObject
{
    Q_OBJECT
private slots:
    void handlerErrorIsReportedAndEventsGoOn();
};

void TestGuardedApplication::handlerErrorIsReportedAndEventsGoOn()
{
    auto *app = qobject_cast<GuardedApplication *>(qApp);
    QVERIFY(app);
    QStringList reports;
    app->setReport([&](const QString &reason) { reports << reason; });
    QTimer::singleShot(0, this, [] { throw std::runtime_error("disk on fire"); });
    QTimer::singleShot(0, this, [] { throw 42; });
    bool later = false;
    QTimer::singleShot(10, this, [&] { later = true; });
    QTRY_VERIFY(later);
    QCOMPARE(reports, QStringList({"disk on fire", "an unknown error"}));
}

int main(int argc, char *argv[])
{
    GuardedApplication app(argc, argv);
    TestGuardedApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_guardedapplication.moc"
