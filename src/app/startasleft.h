#pragma once
// "Start as left": while the box in "Custom settings" is on, every confirmed setting and what
// runs (capture, motion detection, the timer program) is written to the settings file at once,
// so that even a power cut leaves it current; at the next start the run is set up from it and
// started again. With the box off nothing is written, and a file without it changes nothing.

#include "settings/savedsettings.h"

#include <QObject>
#include <QString>

class CaptureCore;
class CapturePreferencesWindow;
class CustomSettingsWindow;
class DriverDialog;
class IntervalControls;
class MainWindow;
class TimerMotionMenu;

class StartAsLeft : public QObject
{
    Q_OBJECT
public:
    /// What is saved and set up; each must outlive this object.
    struct Parts
    {
        CaptureCore &core;
        MainWindow &main;
        DriverDialog &driver;
        CapturePreferencesWindow &preferences;
        IntervalControls &interval;
        TimerMotionMenu &menu;
        CustomSettingsWindow &custom;
    };

    StartAsLeft(const Parts &parts, const QString &path);

    /// Reads the file; when it asks to start as left, sets everything up as saved and starts
    /// what ran. A file that cannot be read or holds nonsense is said once and ignored.
    void restore();
    /// From now on every confirmed change is saved while the box is on.
    void watch();
    /// The program ends: what runs now is what the next start continues, so the stop that
    /// follows is not saved.
    void stopSaving() { m_saving = false; }

    /// The settings as they stand now.
    SavedSettings collect() const;

private:
    void save();
    Result<SavedSettings> load() const;
    void note(const QString &text);

    Parts m_parts;
    QString m_path;
    bool m_saving = false;
    bool m_wasOn = false;      // the file says "start as left": switching it off is written
    bool m_saveFailed = false; // said once until a save works again
};
