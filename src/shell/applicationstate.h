#pragma once
// The counters, flags and clock values that every window of the program reads and writes.
// Held typed; every text shown is formed by the owner of the box that shows it.

#include <QDate>
#include <QString>
#include <QTime>

struct ApplicationState
{
    // Flags
    bool CaptureRunning = false;
    bool DriverChosen = false;
    bool FormatChosen = false;
    bool FormatApplied = false;
    bool OverlayWasOn = false;
    bool ClearConfirmed = false;

    // Capture driver: position in the driver list
    int DriverIndex = 0;

    // Picture numbering
    int PictureCounter = 0;
    int CurrentDirectory = 1;
    int DirectoryBase = 0;
    int MaxFrames = 100;
    int UserMaxFrames = 250;

    // Clock, as last written by the clock tick and the date action
    QString ClockHour = QStringLiteral("0");
    QString ClockMinute = QStringLiteral("0");
    QString ClockSecond = QStringLiteral("0");
    QString ClockMonthDay = QStringLiteral("0");

    /// The clock tick's fields: hour without leading zero, minute and second with two digits.
    void setClock(const QTime &time);
    /// The date action: month and day with two digits each, joined by " - ", month first.
    void refreshMonthDay(const QDate &date);
    /// "9:05:07": the clock fields joined by colons.
    QString clockText() const;
};
