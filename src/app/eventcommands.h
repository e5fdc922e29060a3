#pragma once
// The user's event commands: for each event of the capture run (a picture stored, a motion
// batch started and ended, capture started and stopped, the camera lost and back, a failure) one
// program started with QProcess, without a shell, so that capture never waits for it. At most a
// few run at once; the events that come meanwhile wait in a bounded queue per event. A command
// that fails is said once, and again only after it has succeeded in between; its standard
// output and error go to our standard error, nothing of it is kept in memory.

#include "shell/eventcommand.h"

#include <QObject>
#include <QProcessEnvironment>
#include <QTimer>

#include <array>
#include <chrono>
#include <deque>
#include <vector>

class CaptureCore;
class ClockSource;
class QDateTime;
class QProcess;

class EventCommands : public QObject
{
    Q_OBJECT
public:
    struct Limits
    {
        int running = 4;          // commands at once, all events together
        int waitingPerEvent = 16; // beyond it, the oldest waiting runs of the event are dropped
        std::chrono::milliseconds timeout{60000};       // a run that takes longer is ended
        std::chrono::milliseconds killAfter{3000};      // from the request to end to the kill
        std::chrono::milliseconds endGrace{2000};       // what running commands get at the end
        std::chrono::milliseconds dropNoteAfter{60000}; // dropped runs are said by then
    };

    /// Connects to the core's signals; clock gives the time of events that have no picture.
    EventCommands(CaptureCore &core, const ClockSource &clock, Limits limits);
    EventCommands(CaptureCore &core, const ClockSource &clock);
    /// Ends as finish() does.
    ~EventCommands() override;

    /// The command for event; an empty one runs nothing. Runs that wait start the command in
    /// effect when their turn comes.
    void setCommand(RunEvent event, const EventCommand &command);
    const EventCommand &command(RunEvent event) const;

    /// Starts the event's command with these values now, or queues it while the limit runs.
    void trigger(RunEvent event, const EventValues &values);

    int running() const { return int(m_runs.size()); }
    int waiting(RunEvent event) const;

    /// The end of the program: waiting runs are dropped; running ones get the end grace to
    /// finish, then are asked to end and, killAfter later, killed. Blocks at most for about
    /// the sum of both.
    void finish();

    /// The time as commands get it: "2026-12-08T21:40:03.250+01:00".
    static QString timeText(const QDateTime &time);

signals:
    /// A failure or dropped runs, worded for the user: for the status note or standard error.
    void note(const QString &text);

private:
    struct Waiting
    {
        quint64 order;
        EventValues values;
    };
    struct Slot
    {
        EventCommand command;
        std::deque<Waiting> waiting;
        int dropped = 0;
        bool failureSaid = false;
        QTimer dropNote;
    };
    struct Run
    {
        RunEvent event;
        QProcess *process;
        bool timedOut = false;
        bool endedAtEnd = false;
    };

    void connectTo(CaptureCore &core);
    EventValues values(RunEvent event, int number, const QString &path,
                       const QDateTime &time) const;
    Slot &slot(RunEvent event) { return m_slots[std::size_t(event)]; }
    void startWaiting();
    void start(RunEvent event, const EventValues &values);
    void overdue(QProcess *process, QTimer *deadline);
    void ended(QProcess *process, const QString &failure);
    QString outcome(const Run &run, int exitCode, bool crashed) const;
    void sayDropped(RunEvent event);
    Run *find(QProcess *process);

    const ClockSource &m_clock;
    const Limits m_limits;
    std::array<Slot, RunEvents.size()> m_slots;
    std::vector<Run> m_runs;
    quint64 m_order = 0;
    bool m_ending = false;
    QProcessEnvironment m_environment; // ours, read at the first run
};
