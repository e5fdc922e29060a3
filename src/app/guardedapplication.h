#pragma once
// The application objects with a guard around every event handler: an unexpected error is
// reported with its reason and the program keeps running, instead of ending mid-capture.

#include <QApplication>
#include <QGuiApplication>

#include <functional>

/// Delivers one event through deliver; an error escaping it goes to report, and the event
/// counts as not handled.
bool deliverGuarded(const std::function<bool()> &deliver,
                    const std::function<void(const QString &reason)> &report);

class GuardedApplication : public QApplication
{
    Q_OBJECT
public:
    using Report = std::function<void(const QString &reason)>;

    GuardedApplication(int &argc, char **argv);

    /// Where errors go; by default standard error and an error box shown once the failing
    /// handler has returned (one box at a time).
    void setReport(Report report) { m_report = std::move(report); }

    bool notify(QObject *receiver, QEvent *event) override;

private:
    void showError(const QString &reason);

    Report m_report;
    bool m_boxShown = false;
};

/// The program without a display: no widgets, errors on standard error only.
class GuardedGuiApplication : public QGuiApplication
{
    Q_OBJECT
public:
    GuardedGuiApplication(int &argc, char **argv) : QGuiApplication(argc, argv) {}

    bool notify(QObject *receiver, QEvent *event) override;
};
