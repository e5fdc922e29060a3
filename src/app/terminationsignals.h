#pragma once
// Turns SIGTERM, SIGINT and SIGHUP (log-out, shutdown, Ctrl+C in a terminal) into an orderly
// end through the main window's exit routine, instead of dying with the picture directories
// and the placeholder picture left behind.

#include <QObject>

#include <functional>

class QSocketNotifier;

class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    /// onSignal runs on the user-interface thread, once per signal received.
    explicit TerminationSignals(std::function<void()> onSignal, QObject *parent = nullptr);
    ~TerminationSignals() override;

    /// False when the handlers could not be installed (the program then runs without them).
    bool isActive() const { return m_notifier != nullptr; }

private:
    void drain();

    std::function<void()> m_onSignal;
    QSocketNotifier *m_notifier = nullptr;
};
