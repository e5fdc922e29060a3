#pragma once
// Printing from the program: the print questions, the printer they print on, and the reports
// of the program information window.

#include "viewer/pageprinter.h"

#include <QObject>
#include <QStringList>

class CaptureRunControl;
class Messages;
class PrintQuestion;
class Sound;
class ToolWindows;
struct ApplicationState;

class Printing : public QObject
{
    Q_OBJECT
public:
    /// window is the main window: the questions belong to it and the report question opens
    /// centred over it.
    Printing(QWidget *window, ApplicationState &state, Sound &click, CaptureRunControl &run,
             ToolWindows &tools, Messages &messages);

    PagePrinter &printer() { return m_printer; }

    /// The program information window's print tab: question for the visible text, its lines,
    /// and the heading of its printed pages (empty for the help text).
    void askReport(const QString &question, const QStringList &lines, const QString &heading);

private:
    void printReport();
    /// Prints steps; a failure is shown with its reason. True when printed.
    bool print(const PrintSteps &steps);

    QWidget *m_window;
    ApplicationState &m_state;
    Sound &m_click;
    CaptureRunControl &m_run;
    Messages &m_messages;
    PagePrinter m_printer;
    PrintQuestion *m_reportQuestion;
    QStringList m_reportLines;
    QString m_reportHeading;
};
