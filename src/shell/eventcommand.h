#pragma once
// A command the user gives for an event of the capture run: a program and its arguments, split
// as QProcess::splitCommand splits a line (blanks separate, double quotes group, three double
// quotes make one), never by a shell. Its arguments may hold placeholders for the event's
// values: %f the picture's path, %n its number, %t the time, %e the event's name, %% a "%".

#include "shell/result.h"

#include <QString>
#include <QStringList>

#include <array>

/// The moments of a run a command can be given for.
enum class RunEvent
{
    Picture,
    Motion,
    MotionEnd,
    Start,
    Stop,
    CameraLost,
    CameraBack,
    Failure
};

inline constexpr std::array<RunEvent, 8> RunEvents{
    RunEvent::Picture, RunEvent::Motion,     RunEvent::MotionEnd,  RunEvent::Start,
    RunEvent::Stop,    RunEvent::CameraLost, RunEvent::CameraBack, RunEvent::Failure};

/// "picture", "motion", "motion-end", "start", "stop", "camera-lost", "camera-back", "failure":
/// what %e holds and what the program's options are named after ("--on-motion-end").
QString runEventName(RunEvent event);

/// What one event tells its command; an empty value leaves its placeholder empty.
struct EventValues
{
    QString event;   // the event's name
    QString picture; // the picture's absolute path
    QString number;  // the picture's number
    QString time;    // ISO 8601 with milliseconds and the offset from UTC
};

class EventCommand
{
public:
    /// No command.
    EventCommand() = default;

    /// The command of a line, or why it cannot be run: it names no program, or a double quote
    /// is left open. The reason is worded to follow "The command ... cannot be used: ".
    static Result<EventCommand> parse(const QString &line);

    bool isEmpty() const { return m_program.isEmpty(); }
    /// The line as the user gave it.
    const QString &line() const { return m_line; }
    /// The program, as given: no placeholder is replaced in it.
    const QString &program() const { return m_program; }
    /// The arguments with the placeholders replaced by values; a "%" before any other
    /// character stays as it is.
    QStringList arguments(const EventValues &values) const;

private:
    QString m_line;
    QString m_program;
    QStringList m_arguments;
};
