#pragma once
// The two reports kept in memory while the program runs (one start and one stop line per run
// of the timer program, one line per motion that started a capture) and the quick-start help
// shown beside them. Nothing here is written to disk; the reports start anew at every start.

#include <QString>
#include <QStringList>

struct ApplicationState;

/// An ordered list of text lines, numbered from 0.
class ReportLines
{
public:
    explicit ReportLines(QStringList initial) : m_lines(std::move(initial)) {}

    /// Puts a line at k: replaces line k, or appends when k is the number of lines. A k further
    /// out first fills the gap with empty lines, so that a run stopped by hand (a start line
    /// without its stop line) never makes the next line fail.
    void put(int k, const QString &line);
    void append(const QString &line) { m_lines.append(line); }
    const QStringList &lines() const { return m_lines; }

private:
    QStringList m_lines;
};

class TimeRecordingReport
{
public:
    TimeRecordingReport();

    /// The start line of a timer run, from the clock fields and the number of the next picture.
    /// Writes nothing while PictureCounter is -1.
    void writeStart(const ApplicationState &state);
    /// The stop line of the run; stopTime is the time of the stop ("9:05:03"). A PictureCounter
    /// of 0 becomes 1 first, so that the next picture stored is numbered 1.
    void writeStop(ApplicationState &state, const QString &stopTime);

    /// The base line number of the next run (TimerReportPosition).
    int position() const { return m_position; }
    const QStringList &lines() const { return m_lines.lines(); }

private:
    ReportLines m_lines;
    int m_position = 0;
};

class MotionReport
{
public:
    MotionReport();

    /// The line of one motion that started a capture, from the clock fields (refreshed by the
    /// caller) and PictureCounter. Returns true when the numbering went past 100 and began again
    /// at 1, replacing the oldest entry: the program information window then closes.
    bool write(const ApplicationState &state);
    /// The line of a light change that was not taken for motion, numbered and placed like a
    /// motion's; returns true when the numbering began again, as write() does.
    bool writeLightChange(const ApplicationState &state);

    /// The number (1 to 100) of the last entry (MotionReportNumber); 0 before the first.
    int number() const { return m_number; }
    const QStringList &lines() const { return m_lines.lines(); }

private:
    /// Entry m_number + 1 at its line: what, its number, then rest.
    bool put(const QString &what, const QString &rest);

    ReportLines m_lines;
    int m_number = 0;
};

namespace Reports {
/// The quick-start help text, line by line.
const QStringList &helpLines();
/// The page headings the reports are printed under.
inline constexpr const char *TimerHeading = "TIME RECORDING REPORT";
inline constexpr const char *MotionHeading = "MOTION DETECTION REPORT";
} // namespace Reports
