#include "app/eventcommands.h"

#include "app/capturecore.h"
#include "shell/clocksource.h"
#include "shell/picturenames.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>

#include <unistd.h>

EventCommands::EventCommands(CaptureCore &core, const ClockSource &clock, Limits limits)
    : m_clock(clock), m_limits(limits)
{
    for (RunEvent event : RunEvents) {
        QTimer &timer = slot(event).dropNote;
        timer.setSingleShot(true);
        timer.setInterval(m_limits.dropNoteAfter);
        connect(&timer, &QTimer::timeout, this, [this, event] { sayDropped(event); });
    }
    connectTo(core);
}

EventCommands::EventCommands(CaptureCore &core, const ClockSource &clock)
    : EventCommands(core, clock, Limits{})
{}

EventCommands::~EventCommands()
{
    finish();
}

void EventCommands::connectTo(CaptureCore &core)
{
    const auto now = [this] { return m_clock.now(); };
    // Nothing is worked out for an event without a command.
    connect(&core, &CaptureCore::pictureWritten, this, [this](const StoredPicture &picture) {
        if (!command(RunEvent::Picture).isEmpty())
            trigger(RunEvent::Picture,
                    values(RunEvent::Picture, picture.number, picture.path, picture.time));
    });
    // The batch's first picture is stored by the tick that follows.
    connect(&core, &CaptureCore::motionStarted, this, [this, now](int first) {
        if (command(RunEvent::Motion).isEmpty())
            return;
        const QString path =
            PictureStore::PicturePath(PictureStore::DirectoryOfPicture(first), first);
        trigger(RunEvent::Motion, values(RunEvent::Motion, first, path, now()));
    });
    const auto withoutPicture = [this, now](RunEvent event) {
        return [this, now, event] {
            if (!command(event).isEmpty())
                trigger(event, values(event, -1, {}, now()));
        };
    };
    connect(&core, &CaptureCore::motionEnded, this, withoutPicture(RunEvent::MotionEnd));
    connect(&core, &CaptureCore::started, this, withoutPicture(RunEvent::Start));
    connect(&core, &CaptureCore::stopped, this, withoutPicture(RunEvent::Stop));
    connect(&core, &CaptureCore::cameraLost, this, withoutPicture(RunEvent::CameraLost));
    connect(&core, &CaptureCore::cameraBack, this, withoutPicture(RunEvent::CameraBack));
    connect(&core, &CaptureCore::failed, this, withoutPicture(RunEvent::Failure));
}

EventValues EventCommands::values(RunEvent event, int number, const QString &path,
                                  const QDateTime &time) const
{
    EventValues v;
    v.event = runEventName(event);
    if (number >= 0) {
        v.number = QString::number(number);
        v.picture = QDir::current().absoluteFilePath(path);
    }
    v.time = timeText(time);
    return v;
}

QString EventCommands::timeText(const QDateTime &time)
{
    // A local time gets no offset from Qt's ISO form; one with its offset fixed does.
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

void EventCommands::setCommand(RunEvent event, const EventCommand &command)
{
    sayDropped(event); // under the name they were dropped from
    Slot &s = slot(event);
    s.command = command;
    s.failureSaid = false;
    if (command.isEmpty())
        s.waiting.clear();
}

const EventCommand &EventCommands::command(RunEvent event) const
{
    return m_slots[std::size_t(event)].command;
}

int EventCommands::waiting(RunEvent event) const
{
    return int(m_slots[std::size_t(event)].waiting.size());
}

void EventCommands::trigger(RunEvent event, const EventValues &values)
{
    Slot &s = slot(event);
    if (s.command.isEmpty() || m_ending)
        return;
    s.waiting.push_back({m_order++, values});
    while (int(s.waiting.size()) > m_limits.waitingPerEvent) {
        s.waiting.pop_front();
        if (s.dropped++ == 0)
            s.dropNote.start();
    }
    startWaiting();
}

// The oldest waiting run of any event goes first.
void EventCommands::startWaiting()
{
    while (!m_ending && running() < m_limits.running) {
        Slot *next = nullptr;
        RunEvent event{};
        for (RunEvent e : RunEvents) {
            Slot &s = slot(e);
            if (!s.waiting.empty() &&
                (!next || s.waiting.front().order < next->waiting.front().order)) {
                next = &s;
                event = e;
            }
        }
        if (!next)
            return;
        const EventValues values = next->waiting.front().values;
        next->waiting.pop_front();
        if (next->waiting.empty())
            sayDropped(event); // the backlog is over
        start(event, values);
    }
}

void EventCommands::start(RunEvent event, const EventValues &values)
{
    if (m_environment.isEmpty())
        m_environment = QProcessEnvironment::systemEnvironment();
    QProcessEnvironment environment = m_environment;
    environment.insert(QStringLiteral("VARDELLA_EVENT"), values.event);
    environment.insert(QStringLiteral("VARDELLA_PICTURE"), values.picture);
    environment.insert(QStringLiteral("VARDELLA_NUMBER"), values.number);
    environment.insert(QStringLiteral("VARDELLA_TIME"), values.time);

    auto *process = new QProcess(this);
    process->setProcessEnvironment(environment);
    process->setStandardInputFile(QProcess::nullDevice());
    // Both of its outputs go to our standard error: nothing piles up in memory, and our
    // standard output keeps only our own lines.
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setChildProcessModifier([] { ::dup2(STDERR_FILENO, STDOUT_FILENO); });
    connect(process, &QProcess::finished, this,
            [this, process](int exitCode, QProcess::ExitStatus status) {
                const Run *run = find(process);
                if (run)
                    ended(process, outcome(*run, exitCode, status == QProcess::CrashExit));
            });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            ended(process, QStringLiteral("it cannot be started (%1)").arg(process->errorString()));
    });
    auto *deadline = new QTimer(process);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this,
            [this, process, deadline] { overdue(process, deadline); });
    m_runs.push_back({event, process});
    deadline->start(m_limits.timeout);
    process->start(slot(event).command.program(), slot(event).command.arguments(values));
}

// First asked to end, then killed if it does not.
void EventCommands::overdue(QProcess *process, QTimer *deadline)
{
    Run *run = find(process);
    if (!run)
        return;
    if (run->timedOut) {
        process->kill();
        return;
    }
    run->timedOut = true;
    process->terminate();
    deadline->start(m_limits.killAfter);
}

QString EventCommands::outcome(const Run &run, int exitCode, bool crashed) const
{
    if (run.endedAtEnd)
        return QStringLiteral("it was still running at the end and was ended");
    if (run.timedOut)
        return QStringLiteral("it ran longer than %1 s and was ended")
            .arg(QString::number(double(m_limits.timeout.count()) / 1000));
    if (crashed)
        return QStringLiteral("it was ended by signal %1").arg(exitCode);
    if (exitCode != 0)
        return QStringLiteral("it ended with exit status %1").arg(exitCode);
    return {};
}

void EventCommands::ended(QProcess *process, const QString &failure)
{
    Run *run = find(process);
    if (!run)
        return;
    const RunEvent event = run->event;
    m_runs.erase(m_runs.begin() + (run - m_runs.data()));
    process->disconnect(this);
    process->deleteLater();

    Slot &s = slot(event);
    if (failure.isEmpty()) {
        s.failureSaid = false;
    } else if (!s.failureSaid) {
        s.failureSaid = true;
        emit note(QStringLiteral("Event command \"%1\" (%2) failed: %3.")
                      .arg(process->program(), runEventName(event), failure));
    }
    startWaiting();
}

void EventCommands::sayDropped(RunEvent event)
{
    Slot &s = slot(event);
    s.dropNote.stop();
    if (s.dropped == 0)
        return;
    emit note(QStringLiteral("Event command \"%1\" (%2) cannot keep up: %3 waiting runs were "
                             "dropped.")
                  .arg(s.command.program(), runEventName(event))
                  .arg(s.dropped));
    s.dropped = 0;
}

EventCommands::Run *EventCommands::find(QProcess *process)
{
    for (Run &run : m_runs) {
        if (run.process == process)
            return &run;
    }
    return nullptr;
}

void EventCommands::finish()
{
    if (m_ending)
        return;
    m_ending = true;
    for (RunEvent event : RunEvents) {
        Slot &s = slot(event);
        s.dropped += int(s.waiting.size());
        s.waiting.clear();
        sayDropped(event);
    }
    // Each wait may end other runs too (their signals come in it), so the list is read anew.
    const auto waitAll = [this](QDeadlineTimer until) {
        while (!m_runs.empty() && !until.hasExpired()) {
            QProcess *process = m_runs.front().process;
            if (!process->waitForFinished(int(std::max<qint64>(1, until.remainingTime()))) &&
                find(process))
                break;
        }
    };
    waitAll(QDeadlineTimer(m_limits.endGrace));
    for (Run &run : m_runs) {
        run.endedAtEnd = true;
        run.process->terminate();
    }
    waitAll(QDeadlineTimer(m_limits.killAfter));
    for (Run &run : m_runs)
        run.process->kill();
    waitAll(QDeadlineTimer(std::chrono::seconds(1)));
    // What could not be reaped now goes with us, without calling back into a half-gone object.
    for (Run &run : m_runs)
        run.process->disconnect(this);
}
