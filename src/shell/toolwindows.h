#pragma once
// The secondary tool windows, known by role, so that opening one can hide the others.
// Windows are created once at start and only shown and hidden afterwards.

#include <QPointer>
#include <QWidget>

#include <functional>
#include <initializer_list>
#include <map>

class Sound;

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
        /// The camera's own controls ("Input "), a dialog of the capture service, never added.
        VideoSource,
    };
    /// Places and shows a window: each keeps its own rule of where it opens.
    using Show = std::function<void()>;

    /// The click of the openings; without one they are silent.
    void setClick(Sound &click) { m_click = &click; }

    /// show is how open() shows the window; without one it is shown where it last was.
    void add(Role role, QWidget *window, Show show = {});
    /// The window in that role, or nullptr while none is built.
    QWidget *window(Role role) const;
    /// Hides those of the windows that exist.
    void hide(std::initializer_list<Role> roles) const;

    /// Plays the click where that opening has one and hides the windows that it hides.
    void makeRoomFor(Role role) const;
    /// makeRoomFor(role), then shows the window in that role.
    void open(Role role) const;

private:
    struct Entry
    {
        QPointer<QWidget> window;
        Show show;
    };
    std::map<Role, Entry> m_windows;
    Sound *m_click = nullptr;
};
