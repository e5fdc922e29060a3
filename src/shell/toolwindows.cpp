#include "shell/toolwindows.h"

void ToolWindows::add(Role role, QWidget *window)
{
    m_windows[role] = window;
}

QWidget *ToolWindows::window(Role role) const
{
    const auto it = m_windows.find(role);
    return it == m_windows.end() ? nullptr : it->second.data();
}

void ToolWindows::hide(std::initializer_list<Role> roles) const
{
    for (Role role : roles) {
        if (QWidget *w = window(role))
            w->hide();
    }
}
