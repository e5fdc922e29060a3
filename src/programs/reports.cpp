#include "programs/reports.h"

#include "shell/applicationstate.h"

namespace {
constexpr int TimerPositionWrapsAbove = 500;
constexpr int MotionEntries = 100;
const QString Blank = QStringLiteral("  ");
} // namespace

void ReportLines::put(int k, const QString &line)
{
    while (m_lines.size() < k)
        m_lines.append(QString());
    if (k < m_lines.size())
        m_lines[k] = line;
    else
        m_lines.append(line);
}

TimeRecordingReport::TimeRecordingReport()
    : m_lines({QString(), QStringLiteral("  Timer report"), QStringLiteral("   _________"),
               QString(), QString()})
{}

void TimeRecordingReport::writeStart(const ApplicationState &state)
{
    if (state.PictureCounter() == -1)
        return;
    m_position += m_position == 0 ? 2 : 3;
    m_lines.put(m_position + 2, QStringLiteral("  Start date/time =  ") + state.ClockMonthDay() +
                                    QStringLiteral("  ") + state.clockText() +
                                    QStringLiteral("  first picture no  :  ") +
                                    QString::number(state.PictureCounter()));
    m_lines.append(Blank);
}

void TimeRecordingReport::writeStop(ApplicationState &state, const QString &stopTime)
{
    if (state.PictureCounter() == 0)
        state.setPictureCounter(1);
    const int stopLine = m_position + 3;
    m_lines.put(stopLine, QStringLiteral("  Stop date/time =  ") + state.ClockMonthDay() +
                              QStringLiteral("  ") + stopTime +
                              QStringLiteral("  last picture no   :  ") +
                              QString::number(state.PictureCounter() - 1));
    m_lines.append(Blank);
    m_lines.put(stopLine + 1, QString());
    if (m_position > TimerPositionWrapsAbove)
        m_position = 0;
}

MotionReport::MotionReport()
    : m_lines({QString(), QStringLiteral("  Motion detection  report"),
               QStringLiteral("  ___________________"), QString()})
{}

bool MotionReport::write(const ApplicationState &state)
{
    return put(QStringLiteral("  motion detection  "),
               QStringLiteral("   start date/time :  ") + state.ClockMonthDay() + QLatin1Char(' ') +
                   state.clockText() + QStringLiteral("   start on picture no: ") +
                   QString::number(state.PictureCounter()));
}

bool MotionReport::writeLightChange(const ApplicationState &state)
{
    return put(QStringLiteral("  light change      "), QStringLiteral("   ignored date/time :  ") +
                                                           state.ClockMonthDay() +
                                                           QLatin1Char(' ') + state.clockText());
}

bool MotionReport::put(const QString &what, const QString &rest)
{
    bool wrapped = false;
    if (++m_number > MotionEntries) {
        m_number = 1;
        wrapped = true;
    }
    const QString pad = m_number < 10    ? QStringLiteral("    ")
                        : m_number < 100 ? QStringLiteral("  ")
                                         : QString();
    m_lines.put(m_number + 3, what + pad + QString::number(m_number) + rest);
    return wrapped;
}

const QStringList &Reports::helpLines()
{
    static const QStringList lines{
        QStringLiteral("                        "),
        QStringLiteral("        Quick start :"),
        QStringLiteral("        _________"),
        QString(),
        QStringLiteral("        1 -   Start program"),
        QStringLiteral("        2 -   Select a videodriver in :   Menu - Configuration - Driver"),
        QStringLiteral("        3 -   When the videodriver is loaded, select the desired"),
        QStringLiteral("                picture format and compression quality under  Format"),
        QStringLiteral("        4 -   Set camerasettings in Menu - Configuration - Input"),
        QStringLiteral("        5 -   Adjust the timeinterval to your needs"),
        QStringLiteral("        6 -   Harddiskimenu, set a maximum number of frames to capture"),
        QStringLiteral("        7 -   Press the startbutton on the Timermenu"),
        QString(),
        QStringLiteral("        Tv-video menu :"),
        QString(),
        QStringLiteral("        Preview    -   Preview image of video source"),
        QStringLiteral("        Overlay    -   Live overlay picture of video (if supported)"),
        QStringLiteral("        Fit             -   Fit preview video image to screen"),
        QString(),
        QStringLiteral("        Configuration menu :"),
        QString(),
        QStringLiteral("        Input       -   Adjust camera or tv settings such as brightness, "
                       "contrast"),
        QStringLiteral("                             zoom, and color settings"),
        QStringLiteral("        Format    -   Choose the picture format and quality that you want"),
        QStringLiteral("                             to use during capturing"),
        QStringLiteral("        Driver     -   Choose a videodriver for your videosource"),
        QString(),
        QStringLiteral("        Timermenu :"),
        QString(),
        QStringLiteral("        Arrows        -  Set the desired timeinterval"),
        QStringLiteral("        Fine+           -  Finetuning up timerinterval (+0.05)"),
        QStringLiteral("        Fine-            -  Finetuning down timerinterval (-0.05)"),
        QStringLiteral("        Start/Stop   -  Start or stop capturing"),
        QString(),
        QStringLiteral("        Harddisk menu :"),
        QString(),
        QStringLiteral("        Frms      -     Number of frames to capture"),
        QStringLiteral(
            "        Step       -    Adjust increasing of stepsize of frames to capture"),
        QStringLiteral(
            "        Clear      -    Delete capture0 till maximum number of frames from"),
        QStringLiteral("                            harddisk adjusted under harddiskmenu"),
        QStringLiteral("        Reset     -    Capturing will restart and overwrite capture 0"),
        QStringLiteral(
            "                            (default ), or restart on value given by user "),
        QStringLiteral("                             "),
        QStringLiteral("        Program menu :"),
        QString(),
        QStringLiteral("        About  -  Program info"),
        QStringLiteral("        Info      -  Program info Help/timer report/M.D.report"),
        QStringLiteral("        Prog    -  Adjust Motion detection and start/stop setings in "
                       "timermenu"),
        QString(),
        QStringLiteral("        Optionsmenu :"),
        QString(),
        QStringLiteral("        Pref     -  Shows the preferences menu"),
        QStringLiteral("        View    -  Displays the pictureviewer. Within the pictureviewer "
                       "you can "),
        QStringLiteral("                       click on any of the10 images to display the image "
                       "fullscreen."),
        QStringLiteral("                       When the picture is displayed full screen you can "
                       "go back"),
        QStringLiteral("                       by just clicking on the full screen image again. "
                       "You can also"),
        QStringLiteral("                       operate the scrollbars in the picture viewer with "
                       "the arrows"),
        QStringLiteral("                       keys on the keyboard."),
        QStringLiteral("        Exit      -  shutsdown the program"),
    };
    return lines;
}
