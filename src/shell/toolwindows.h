#pragma once
// The secondary tool windows, known by role, so that opening one can hide the others.
// Windows are created once at start and only shown and hidden afterwards.

#include <QPointer>
#include <QWidget>

#include <initializer_list>
#include <map>

class ToolWindows
{
public:
    enum class Role
    {
        Driver,
        Delete,
        Reset,
        PrintPicture,
        PrintRange,
        CapturePreferences,
        TimerMotionMenu,
        Viewer,
        PrintInfo,
        ProgramInfo,
        About,
        CustomSettings,
        MotionDetection,
        MakeVideo,
    };

    void add(Role role, QWidget *window);
    /// The window in that role, or nullptr while none is built.
    QWidget *window(Role role) const;
    /// Hides those of the windows that exist.
    void hide(std::initializer_list<Role> roles) const;

private:
    std::map<Role, QPointer<QWidget>> m_windows;
};
