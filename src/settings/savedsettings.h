#pragma once
// What the program keeps between runs when "Start as left" is on: the settings the user
// confirmed and what was running, in one QSettings file (an INI file in the XDG config folder,
// or the file given to the program without a display). Reading checks every value, so that a
// damaged or hand-edited file is refused as a whole instead of half applied.

#include "programs/daytime.h"
#include "shell/picturenames.h"
#include "shell/result.h"

#include <QMap>
#include <QSize>
#include <QString>
#include <QTime>

#include <optional>

struct SavedSettings
{
    /// What was running when the settings were last written.
    enum class Running
    {
        Nothing,
        Capture,
        Motion,
        TimerProgram,
    };

    bool startAsLeft = false;

    QString driver; // the driver's name as listed; empty: none chosen
    QSize size{320, 240};
    int quality = 100;
    bool greyscale = false;
    bool timeStamp = false;

    double intervalSeconds = 5;
    int maxFrames = 0;  // 0: the default
    int framesStep = 0; // 0: the default
    int keepFreeMb = PictureStore::KeepFreeDefaultMegabytes;

    int grid = 50;
    int framesAfterMotion = 10;
    bool motionOn = false;
    int picturesBeforeMotion = 0;
    int ignoreLightAbove = 0; // percent; 0: off

    QTime timerFrom, timerTo; // both valid: a timer program was set
    bool timerOn = false;
    // A start or end that follows the sun instead of its clock time, and the place of both.
    std::optional<DayTime> timerStartSun, timerEndSun;
    std::optional<SunPlace> timerPlace;

    bool buttonSoundOff = false;
    bool motionSound = true;
    bool skin = true;

    /// The web view; written only while it is on. The password as its realm and the hex of its
    /// digest hash, both empty without one.
    bool webOn = false;
    QString webAddress = QStringLiteral("127.0.0.1");
    int webPort = 8080;
    QString webRealm;
    QString webHash;

    /// Event name ("picture", "motion", ...) to the command given for it.
    QMap<QString, QString> eventCommands;

    Running running = Running::Nothing;

    bool operator==(const SavedSettings &) const = default;

    /// "$XDG_CONFIG_HOME/Vardella/vardella.conf" (~/.config when unset).
    static QString defaultPath();
    /// The settings of the file at path. A missing file gives the defaults; a file that cannot
    /// be read, or holds a value out of its range or of the wrong kind, fails naming the file
    /// and the first bad key.
    static Result<SavedSettings> load(const QString &path);
    /// Writes every key to path and syncs it to disk, so that a power cut right after keeps
    /// what was confirmed; fails naming the file and the reason.
    Result<> save(const QString &path) const;
};
