#include "viewer/printing.h"

#include "capture/captureruncontrol.h"
#include "shell/applicationstate.h"
#include "shell/messages.h"
#include "shell/sound.h"
#include "shell/toolwindows.h"
#include "viewer/printquestion.h"

Printing::Printing(QWidget *window, ApplicationState &state, Sound &click, CaptureRunControl &run,
                   ToolWindows &tools, Messages &messages)
    : QObject(window), m_window(window), m_state(state), m_click(click), m_run(run),
      m_messages(messages),
      m_reportQuestion(new PrintQuestion(window, "print info", "Print .....report",
                                         PrintQuestion::Placement::ParentCentre, false))
{
    m_reportQuestion->setObjectName("printInfoQuestion");
    tools.add(ToolWindows::Role::PrintInfo, m_reportQuestion);
    connect(m_reportQuestion, &PrintQuestion::okPressed, this, [this] {
        m_click.play();
        // A run started while the question was open stores nothing during the print.
        if (m_state.CaptureRunning)
            m_run.pause(true);
        m_reportQuestion->hide();
        printReport();
    });
    connect(m_reportQuestion, &PrintQuestion::cancelPressed, this, [this] {
        m_click.play();
        m_reportQuestion->hide();
    });
}

void Printing::askReport(const QString &question, const QStringList &lines, const QString &heading)
{
    m_reportLines = lines;
    m_reportHeading = heading;
    m_reportQuestion->ask(question);
}

void Printing::printReport()
{
    print(PrintLayout::reportPages(m_printer.page(), m_reportLines, m_reportHeading));
}

bool Printing::print(const PrintSteps &steps)
{
    const Result<> printed = m_printer.print(steps, m_window);
    if (!printed)
        m_messages.error(printed.error());
    return bool(printed);
}
