#pragma once
// The counters, flags and clock values of the capture run that every window reads. Held typed;
// every text shown is formed by the owner of the box that shows it. Each change is announced
// to the listener (the capture core, which owns the state, turns it into a signal).

#include <QDate>
#include <QString>
#include <QTime>

#include <functional>

class ApplicationState
{
public:
    enum class Field
    {
        CaptureRunning,
        DriverChosen,
        FormatChosen,
        FormatApplied,
        OverlayWasOn,
        ClearConfirmed,
        DriverIndex,
        PictureCounter,
        CurrentDirectory,
        DirectoryBase,
        MaxFrames,
        UserMaxFrames,
        Clock,
        MonthDay,
    };
    using Listener = std::function<void(Field)>;
    /// Told after each change of a value; not for setting one to the value it has.
    void setListener(Listener listener) { m_listener = std::move(listener); }

    // Flags
    bool CaptureRunning() const { return m_captureRunning; }
    void setCaptureRunning(bool on) { set(m_captureRunning, on, Field::CaptureRunning); }
    bool DriverChosen() const { return m_driverChosen; }
    void setDriverChosen(bool on) { set(m_driverChosen, on, Field::DriverChosen); }
    bool FormatChosen() const { return m_formatChosen; }
    void setFormatChosen(bool on) { set(m_formatChosen, on, Field::FormatChosen); }
    bool FormatApplied() const { return m_formatApplied; }
    void setFormatApplied(bool on) { set(m_formatApplied, on, Field::FormatApplied); }
    bool OverlayWasOn() const { return m_overlayWasOn; }
    void setOverlayWasOn(bool on) { set(m_overlayWasOn, on, Field::OverlayWasOn); }
    bool ClearConfirmed() const { return m_clearConfirmed; }
    void setClearConfirmed(bool on) { set(m_clearConfirmed, on, Field::ClearConfirmed); }

    /// The capture driver: position in the driver list.
    int DriverIndex() const { return m_driverIndex; }
    void setDriverIndex(int index) { set(m_driverIndex, index, Field::DriverIndex); }

    // Picture numbering
    int PictureCounter() const { return m_pictureCounter; }
    void setPictureCounter(int n) { set(m_pictureCounter, n, Field::PictureCounter); }
    int CurrentDirectory() const { return m_currentDirectory; }
    void setCurrentDirectory(int d) { set(m_currentDirectory, d, Field::CurrentDirectory); }
    int DirectoryBase() const { return m_directoryBase; }
    void setDirectoryBase(int n) { set(m_directoryBase, n, Field::DirectoryBase); }
    int MaxFrames() const { return m_maxFrames; }
    void setMaxFrames(int n) { set(m_maxFrames, n, Field::MaxFrames); }
    int UserMaxFrames() const { return m_userMaxFrames; }
    void setUserMaxFrames(int n) { set(m_userMaxFrames, n, Field::UserMaxFrames); }

    // Clock, as last written by the clock tick and the date action
    const QString &ClockHour() const { return m_clockHour; }
    const QString &ClockMinute() const { return m_clockMinute; }
    const QString &ClockSecond() const { return m_clockSecond; }
    const QString &ClockMonthDay() const { return m_clockMonthDay; }
    /// The clock tick's fields: hour without leading zero, minute and second with two digits.
    void setClock(const QTime &time);
    /// The date action: month and day with two digits each, joined by " - ", month first.
    void refreshMonthDay(const QDate &date);
    /// "9:05:07": the clock fields joined by colons.
    QString clockText() const;

private:
    template <class T> void set(T &field, const T &value, Field which)
    {
        if (field == value)
            return;
        field = value;
        if (m_listener)
            m_listener(which);
    }

    bool m_captureRunning = false;
    bool m_driverChosen = false;
    bool m_formatChosen = false;
    bool m_formatApplied = false;
    bool m_overlayWasOn = false;
    bool m_clearConfirmed = false;
    int m_driverIndex = 0;
    int m_pictureCounter = 0;
    int m_currentDirectory = 1;
    int m_directoryBase = 0;
    int m_maxFrames = 100;
    int m_userMaxFrames = 250;
    QString m_clockHour = QStringLiteral("0");
    QString m_clockMinute = QStringLiteral("0");
    QString m_clockSecond = QStringLiteral("0");
    QString m_clockMonthDay = QStringLiteral("0");
    Listener m_listener;
};
