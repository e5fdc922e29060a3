#pragma once
// Printing from the program: the three print questions, the printer they print on, the
// full-screen picture, the viewer's page and the reports of the program information window.

#include "viewer/pageprinter.h"
#include "viewer/printrequests.h"

#include <QObject>
#include <QStringList>

class CaptureRunControl;
class Messages;
class PrintQuestion;
class Sound;
class ToolWindows;
struct ApplicationState;

class Printing : public QObject, public PrintRequests
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

    // PrintRequests
    void printerSetup() override;
    void printPicture(const Picture &picture) override;
    void printRange(const Range &range) override;

    /// 1 while the viewer's page is to be printed, else 0 (the full-screen picture).
    int printChoice() const { return m_printChoice; }

signals:
    /// "Print" and "Printer Setup" of the full-screen toolbar.
    void pictureButtonsEnabled(bool print, bool setup);
    /// "Print range " of the viewer.
    void rangeButtonEnabled(bool enabled);
    /// A picture or range print was answered with "OK" and has ended.
    void picturePrintEnded();

private:
    void printReport();
    /// Prints the full-screen picture or the viewer's page, as PrintChoice says.
    void printChosen();
    /// Prints steps; a failure is shown with its reason. True when printed.
    bool print(const PrintSteps &steps);

    QWidget *m_window;
    ApplicationState &m_state;
    Sound &m_click;
    CaptureRunControl &m_run;
    Messages &m_messages;
    PagePrinter m_printer;
    PrintQuestion *m_reportQuestion;
    PrintQuestion *m_rangeQuestion;
    PrintQuestion *m_pictureQuestion;
    int m_printChoice = 0;
    Picture m_picture;
    Range m_range;
    QStringList m_reportLines;
    QString m_reportHeading;
};
