#include "viewer/printing.h"

#include "capture/captureruncontrol.h"
#include "shell/applicationstate.h"
#include "shell/messages.h"
#include "shell/sound.h"
#include "shell/toolwindows.h"
#include "viewer/picturetimestamp.h"
#include "viewer/printquestion.h"

Printing::Printing(QWidget *window, ApplicationState &state, Sound &click, CaptureRunControl &run,
                   ToolWindows &tools, Messages &messages)
    : QObject(window), m_window(window), m_state(state), m_click(click), m_run(run),
      m_messages(messages),
      m_reportQuestion(new PrintQuestion(window, "print info", "Print .....report",
                                         PrintQuestion::Placement::ParentCentre, false)),
      m_rangeQuestion(new PrintQuestion(window, "Print", QString(),
                                        PrintQuestion::Placement::ScreenCentre, true)),
      m_pictureQuestion(new PrintQuestion(window, "Print", QString(),
                                          PrintQuestion::Placement::ScreenCentre, true))
{
    m_rangeQuestion->setObjectName("printRangeQuestion");
    m_pictureQuestion->setObjectName("printPictureQuestion");
    tools.add(ToolWindows::Role::PrintRange, m_rangeQuestion);
    tools.add(ToolWindows::Role::PrintPicture, m_pictureQuestion);

    connect(m_pictureQuestion, &PrintQuestion::okPressed, this, [this] {
        m_click.play();
        emit pictureButtonsEnabled(true, true);
        m_pictureQuestion->hide();
        printChosen();
        emit picturePrintEnded();
    });
    connect(m_pictureQuestion, &PrintQuestion::cancelPressed, this, [this] {
        m_click.play();
        emit pictureButtonsEnabled(true, true);
        m_pictureQuestion->hide();
    });
    connect(m_pictureQuestion, &PrintQuestion::closedByBox, this,
            [this] { emit pictureButtonsEnabled(true, true); });

    connect(m_rangeQuestion, &PrintQuestion::okPressed, this, [this] {
        m_click.play();
        m_printChoice = 1;
        m_rangeQuestion->hide();
        emit rangeButtonEnabled(false);
        printChosen();
        emit rangeButtonEnabled(true);
        emit picturePrintEnded();
    });
    connect(m_rangeQuestion, &PrintQuestion::cancelPressed, this, [this] {
        m_click.play();
        m_printChoice = 0;
        m_rangeQuestion->hide();
    });

    m_reportQuestion->setObjectName("printInfoQuestion");
    tools.add(ToolWindows::Role::PrintInfo, m_reportQuestion);
    connect(m_reportQuestion, &PrintQuestion::okPressed, this, [this] {
        m_click.play();
        // A run started while the question was open stores nothing during the print.
        if (m_state.CaptureRunning())
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

void Printing::printerSetup()
{
    m_click.play();
    emit pictureButtonsEnabled(false, true);
    m_printer.setup(m_window);
    emit pictureButtonsEnabled(true, true);
}

void Printing::printPicture(const Picture &picture)
{
    m_click.play();
    m_picture = picture;
    m_pictureQuestion->ask(QStringLiteral("                     Print picture :  ") +
                           QString::number(picture.number) + QStringLiteral(" ?"));
    emit pictureButtonsEnabled(false, false);
}

void Printing::printRange(const Range &range)
{
    m_click.play();
    m_range = range;
    m_rangeQuestion->ask(QString(20, QLatin1Char(' ')) + range.printRangeText +
                         QStringLiteral(" ?"));
}

void Printing::printChosen()
{
    const PrintPage page = m_printer.page();
    PrintSteps steps;
    QString failure;
    if (m_printChoice == 1) {
        auto layout = PrintLayout::rangePage(
            page, m_range.rangeStart, m_range.pageStart, m_range.pictures,
            [this](int n) { return PictureTimeStamp(m_range.directory, n); });
        steps = std::move(layout.steps);
        failure = layout.failure;
    } else if (const Result<QString> stamp =
                   PictureTimeStamp(m_picture.directory, m_picture.number)) {
        const QSize k = m_printer.dotsPerScreenPixel(m_window);
        steps = PrintLayout::picturePage(page, m_picture.number, *stamp, m_picture.picture,
                                         k.width(), k.height());
    } else {
        failure = stamp.error(); // nothing drawn yet: no empty page is printed
    }
    // Back to the single picture whatever happened, so that a failed range print does not
    // leave the next "Print" printing a page of ten.
    m_printChoice = 0;
    if (!steps.empty() && !print(steps))
        return;
    if (!failure.isEmpty())
        m_messages.error(failure);
}
