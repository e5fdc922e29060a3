// An event command's line: split as QProcess splits it, refused when it names no program or
// leaves a double quote open, and its placeholders replaced in the arguments only.
#include "shell/eventcommand.h"

#include <QTest>

class TestEventCommand : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
};

void TestEventCommand::parse_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("words"); // program and arguments; empty: refused
    QTest::addColumn<QString>("refusal");
    const QStringList none;
    QTest::newRow("words") << "rclone  copyto %f remote:cam/%n.jpg"
                           << QStringList{"rclone", "copyto", "/s/1/capture7.jpg",
                                          "remote:cam/7.jpg"}
                           << "";
    QTest::newRow("quoted group") << R"(sh -c "echo %n >> LOG")"
                                  << QStringList{"sh", "-c", "echo 7 >> LOG"} << "";
    QTest::newRow("three quotes are one")
        << R"(echo """%e""")" << QStringList{"echo", "\"picture\""} << "";
    QTest::newRow("single quotes are plain")
        << "echo 'a b'" << QStringList{"echo", "'a", "b'"} << "";
    QTest::newRow("every placeholder, %% and others kept")
        << "p %e:%n:%t 100%% %x 5% %%n %f%"
        << QStringList{"p",
                       "picture:7:2026-12-08T21:40:03.250+01:00",
                       "100%",
                       "%x",
                       "5%",
                       "%n",
                       "/s/1/capture7.jpg%"}
        << "";
    QTest::newRow("no placeholder in the program") << "%e" << QStringList{"%e"} << "";
    QTest::newRow("open quote") << R"(sh -c "echo)" << none << "a double quote (\") is not closed";
    QTest::newRow("open after three") << R"(echo """")" << none << "is not closed";
    QTest::newRow("empty") << "" << none << "it names no program";
    QTest::newRow("blanks and an empty pair") << R"(  "" )" << none << "it names no program";
}

void TestEventCommand::parse()
{
    QFETCH(QString, line);
    QFETCH(QStringList, words);
    QFETCH(QString, refusal);
    const Result<EventCommand> command = EventCommand::parse(line);
    QCOMPARE(command.has_value(), refusal.isEmpty());
    if (!command) {
        QVERIFY2(command.error().contains(refusal), qPrintable(command.error()));
        return;
    }
    const EventValues values{"picture", "/s/1/capture7.jpg", "7", "2026-12-08T21:40:03.250+01:00"};
    QCOMPARE(command->line(), line);
    QCOMPARE(QStringList{command->program()} + command->arguments(values), words);
}

QTEST_APPLESS_MAIN(TestEventCommand)
#include "tst_eventcommand.moc"
