// Vardella: an interval photo grabber for one video capture device.
#include "app/application.h"
#include "app/guardedapplication.h"
#include "app/mainwindow.h"
#include "app/terminationsignals.h"

#include <QMessageBox>
#include <QTimer>

#include <cstdio>

namespace {
// Says why the program cannot start: on standard error, and in a box where there is a screen.
// The box closes by itself so that a start from a script still ends with its exit status.
void reportStartFailure(const QString &message)
{
    std::fprintf(stderr, "vardella: %s\n", qPrintable(message));
    if (QGuiApplication::platformName() == QLatin1String("offscreen") ||
        QGuiApplication::platformName() == QLatin1String("minimal"))
        return;
    QMessageBox box(QMessageBox::Critical, "Vardella 1.3", message, QMessageBox::Ok);
    QTimer::singleShot(15000, &box, &QMessageBox::accept);
    box.exec();
}
} // namespace

int main(int argc, char *argv[])
{
    GuardedApplication app(argc, argv);
    Application vardella(app);
    QString error;
    if (!vardella.start(&error)) {
        reportStartFailure(error);
        return 1;
    }
    TerminationSignals endOnSignal([&vardella] { vardella.mainWindow().exitRoutine(); });
    return app.exec();
}
