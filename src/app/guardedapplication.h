#pragma once
// The application object with a guard around every event handler: an unexpected error is
// reported with its reason and the program keeps running, instead of ending mid-capture.

#include <QApplication>

#include <functional>

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
