#include "common/fakesound.h"
#include "shell/toolwindows.h"

#include <QTest>

#include <algorithm>
#include <map>
#include <vector>

using Role = ToolWindows::Role;
Q_DECLARE_METATYPE(Role)
Q_DECLARE_METATYPE(std::vector<Role>)

namespace {
const std::vector<Role> ButtonWindows = {
    Role::Driver,          Role::Delete,      Role::Reset, Role::CapturePreferences,
    Role::TimerMotionMenu, Role::ProgramInfo, Role::About, Role::CustomSettings};

std::vector<Role> except(std::vector<Role> roles, Role role)
{
    std::erase(roles, role);
    return roles;
}
} // namespace

class TestToolWindows : public QObject
{
    Q_OBJECT
private slots:
    void openingHidesOthers_data();
    void openingHidesOthers();
};

void TestToolWindows::openingHidesOthers_data()
{
    QTest::addColumn<Role>("opened");
    QTest::addColumn<std::vector<Role>>("hidden");
    QTest::addColumn<int>("clicks");
    std::vector<Role> all;
    for (int role = 0; role <= int(Role::MakeVideo); ++role)
        all.push_back(Role(role));
    for (Role role : ButtonWindows) // the main window's buttons, each opening one
        QTest::addRow("button window %d", int(role)) << role << except(ButtonWindows, role) << 1;
    QTest::newRow("input") << Role::VideoSource << ButtonWindows << 1;
    const std::vector<Role> settings = {Role::CustomSettings, Role::CapturePreferences,
                                        Role::TimerMotionMenu};
    QTest::newRow("view") << Role::Viewer << settings << 1;
    // Opened from the viewer, which stays; silent, as the viewer's button is.
    QTest::newRow("make video") << Role::MakeVideo
                                << except(except(all, Role::Viewer), Role::MakeVideo) << 0;
}

void TestToolWindows::openingHidesOthers()
{
    QFETCH(Role, opened);
    QFETCH(std::vector<Role>, hidden);
    QFETCH(int, clicks);
    FakeSound click;
    ToolWindows tools;
    tools.setClick(click.sound);
    QWidget main;
    std::map<Role, QWidget *> windows;
    for (int r = 0; r <= int(Role::MakeVideo); ++r) {
        QWidget *window = windows[Role(r)] = new QWidget(&main, Qt::Tool);
        tools.add(Role(r), window, [window] { window->show(); });
        window->setVisible(Role(r) != opened);
    }

    tools.open(opened);

    QCOMPARE(click.backend->plays, clicks);
    for (const auto &[role, window] : windows) {
        const bool shouldHide = std::find(hidden.begin(), hidden.end(), role) != hidden.end();
        QVERIFY2(window->isVisible() != shouldHide, qPrintable(QString::number(int(role))));
    }
}

QTEST_MAIN(TestToolWindows)
#include "tst_toolwindows.moc"
