// Which windows each opening hides, and that it clicks once.

#include "common/fakesound.h"
#include "shell/toolwindows.h"

#include <QTest>

#include <algorithm>
#include <map>
#include <memory>
#include <utility>
#include <vector>

using Role = ToolWindows::Role;
Q_DECLARE_METATYPE(Role)
Q_DECLARE_METATYPE(std::vector<Role>)

namespace {
const std::vector<Role> AllRoles = {
    Role::Driver,          Role::Delete,     Role::Reset,
    Role::PrintPicture,    Role::PrintRange, Role::CapturePreferences,
    Role::TimerMotionMenu, Role::Viewer,     Role::PrintInfo,
    Role::ProgramInfo,     Role::About,      Role::CustomSettings,
    Role::MotionDetection, Role::MakeVideo};
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
    const std::pair<const char *, Role> buttons[] = {
        {"driver", Role::Driver},
        {"delete", Role::Delete},
        {"reset", Role::Reset},
        {"capture preferences", Role::CapturePreferences},
        {"timer-motion menu", Role::TimerMotionMenu},
        {"program info", Role::ProgramInfo},
        {"about", Role::About},
        {"custom settings", Role::CustomSettings}};
    for (const auto &[name, role] : buttons)
        QTest::newRow(name) << role << except(ButtonWindows, role) << 1;
    QTest::newRow("video source") << Role::VideoSource << ButtonWindows << 1;
    QTest::newRow("viewer") << Role::Viewer
                            << std::vector<Role>{Role::CustomSettings, Role::CapturePreferences,
                                                 Role::TimerMotionMenu}
                            << 1;
    // Opened from the viewer, which stays; silent, as the viewer's button is.
    QTest::newRow("make video") << Role::MakeVideo
                                << except(except(AllRoles, Role::Viewer), Role::MakeVideo) << 0;
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
    int shows = 0;
    for (Role role : AllRoles) {
        windows[role] = new QWidget(&main, Qt::Tool);
        tools.add(role, windows[role], [&shows, w = windows[role]] {
            ++shows;
            w->show();
        });
        if (role != opened)
            windows[role]->show();
    }

    tools.open(opened);

    QCOMPARE(click.backend->plays, clicks);
    QCOMPARE(shows, opened == Role::VideoSource ? 0 : 1);
    for (const auto &[role, window] : windows) {
        const bool shouldHide = std::find(hidden.begin(), hidden.end(), role) != hidden.end();
        QVERIFY2(window->isVisible() != shouldHide, qPrintable(QString::number(int(role))));
    }
}

QTEST_MAIN(TestToolWindows)
#include "tst_toolwindows.moc"
