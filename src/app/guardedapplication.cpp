#include "app/guardedapplication.h"

#include "vardella_version.h"

#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <exception>

GuardedApplication::GuardedApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    m_report = [this](const QString &reason) { showError(reason); };
}

bool deliverGuarded(const std::function<bool()> &deliver,
                    const std::function<void(const QString &reason)> &report)
{
    try {
        return deliver();
    } catch (const std::exception &e) {
        report(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        report(QStringLiteral("an unknown error"));
    }
    return false;
}

bool GuardedApplication::notify(QObject *receiver, QEvent *event)
{
    return deliverGuarded([&] { return QApplication::notify(receiver, event); }, m_report);
}

bool GuardedGuiApplication::notify(QObject *receiver, QEvent *event)
{
    return deliverGuarded([&] { return QGuiApplication::notify(receiver, event); },
                          [](const QString &reason) {
                              std::fprintf(stderr, "vardella: error: %s\n", qPrintable(reason));
                          });
}

void GuardedApplication::showError(const QString &reason)
{
    std::fprintf(stderr, "vardella: error: %s\n", qPrintable(reason));
    if (m_boxShown)
        return;
    m_boxShown = true;
    QTimer::singleShot(0, this, [this, reason] {
        QMessageBox::critical(activeWindow(), QString::fromLatin1(Product::caption),
                              QStringLiteral("An error occurred: %1").arg(reason));
        m_boxShown = false;
    });
}
