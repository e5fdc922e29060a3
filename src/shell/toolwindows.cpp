#include "shell/toolwindows.h"

#include "shell/sound.h"

#include <vector>

namespace {
using Role = ToolWindows::Role;

struct Opening
{
    bool click;
    std::vector<Role> hides;
};

// The windows of the main window's buttons: one of them is open at a time.
const std::vector<Role> ButtonWindows = {
    Role::Driver,          Role::Delete,      Role::Reset, Role::CapturePreferences,
    Role::TimerMotionMenu, Role::ProgramInfo, Role::About, Role::CustomSettings};

std::vector<Role> buttonWindowsBut(Role role)
{
    std::vector<Role> others;
    for (Role other : ButtonWindows) {
        if (other != role)
            others.push_back(other);
    }
    return others;
}

// What each opening hides. No window hides itself: opened again while open, it stays where the
// user moved it.
const std::map<Role, Opening> &openings()
{
    static const std::map<Role, Opening> table = {
        {Role::Driver, {true, buttonWindowsBut(Role::Driver)}},
        {Role::Delete, {true, buttonWindowsBut(Role::Delete)}},
        {Role::Reset, {true, buttonWindowsBut(Role::Reset)}},
        {Role::CapturePreferences, {true, buttonWindowsBut(Role::CapturePreferences)}},
        {Role::TimerMotionMenu, {true, buttonWindowsBut(Role::TimerMotionMenu)}},
        {Role::ProgramInfo, {true, buttonWindowsBut(Role::ProgramInfo)}},
        {Role::About, {true, buttonWindowsBut(Role::About)}},
        {Role::CustomSettings, {true, buttonWindowsBut(Role::CustomSettings)}},
        {Role::VideoSource, {true, ButtonWindows}},
        {Role::Viewer,
         {true, {Role::CustomSettings, Role::CapturePreferences, Role::TimerMotionMenu}}},
        {Role::MakeVideo,
         {false,
          {Role::Driver, Role::Delete, Role::Reset, Role::PrintPicture, Role::PrintRange,
           Role::CapturePreferences, Role::TimerMotionMenu, Role::PrintInfo, Role::ProgramInfo,
           Role::About, Role::CustomSettings, Role::MotionDetection}}},
    };
    return table;
}
} // namespace

void ToolWindows::add(Role role, QWidget *window, Show show)
{
    m_windows[role] = {window, std::move(show)};
}

QWidget *ToolWindows::window(Role role) const
{
    const auto it = m_windows.find(role);
    return it == m_windows.end() ? nullptr : it->second.window.data();
}

void ToolWindows::hide(std::initializer_list<Role> roles) const
{
    for (Role role : roles) {
        if (QWidget *w = window(role))
            w->hide();
    }
}

void ToolWindows::makeRoomFor(Role role) const
{
    const auto it = openings().find(role);
    if (it == openings().end())
        return;
    const Opening &opening = it->second;
    if (opening.click && m_click)
        m_click->play();
    for (Role other : opening.hides) {
        if (QWidget *w = window(other))
            w->hide();
    }
}

void ToolWindows::open(Role role) const
{
    makeRoomFor(role);
    const auto it = m_windows.find(role);
    if (it == m_windows.end() || !it->second.window)
        return;
    if (it->second.show)
        it->second.show();
    else
        it->second.window->show();
}
