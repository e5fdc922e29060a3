#include "programs/programinfowindow.h"

#include "capture/captureruncontrol.h"
#include "shell/applicationstate.h"
#include "shell/captureview.h"
#include "shell/sound.h"
#include "shell/toolwindows.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace {
constexpr int FontPixelHeight = 13;
const std::array<const char *, 3> PaneNames{"helpPane", "timerReportPane", "motionReportPane"};
} // namespace

ProgramInfoWindow::ProgramInfoWindow(QWidget *parent, CaptureView &view, ApplicationState &state,
                                     Sound &click, CaptureRunControl &run, ToolWindows &tools)
    : CaptureToolWindow(parent, view, " Program info", QSize(640, 460)), m_state(state),
      m_click(click), m_run(run), m_tools(tools), m_panes(new QStackedWidget(this)),
      m_tabs(new QTabBar(this))
{
    setObjectName("programInfoWindow");
    QFont font("Times New Roman");
    font.setPixelSize(FontPixelHeight);
    for (std::size_t i = 0; i < m_texts.size(); ++i) {
        auto *text = new QPlainTextEdit(m_panes);
        text->setObjectName(PaneNames[i]);
        text->setReadOnly(true);
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
        text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        text->setFont(font);
        QPalette palette = text->palette();
        palette.setColor(QPalette::Text, Qt::black);
        palette.setColor(QPalette::Base, Qt::white);
        text->setPalette(palette);
        m_texts[i] = text;
        m_panes->addWidget(text);
    }
    m_texts[Help]->setAccessibleName("help");
    m_texts[TimerReport]->setAccessibleName("timer report");
    m_texts[MotionReport]->setAccessibleName("MD report");
    for (int pane : {Help, TimerReport, MotionReport})
        refresh(Pane(pane));

    m_tabs->setObjectName("programInfoTabs");
    m_tabs->setAccessibleName("Program info");
    for (const char *caption :
         {"   help       ", " timer report ", " MD report ", "    print      ", "   close      "})
        m_tabs->addTab(caption);
    m_tabs->setExpanding(false);
    // A choice by mouse or keyboard; the tab that is already selected acts again when clicked
    // ("    print      " twice).
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int tab) {
        if (tab >= 0)
            chooseTab(tab);
    });
    connect(m_tabs, &QTabBar::tabBarClicked, this, [this](int tab) {
        if (tab >= 0 && tab == m_tabs->currentIndex())
            chooseTab(tab);
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_panes, 1);
    layout->addWidget(m_tabs);
    tools.add(ToolWindows::Role::ProgramInfo, this, [this] { showCentred(); });
}

void ProgramInfoWindow::open()
{
    m_tools.open(ToolWindows::Role::ProgramInfo);
    emit viewLocked(true);
}

void ProgramInfoWindow::chooseTab(int tab)
{
    m_click.play();
    switch (tab) {
    case HelpTab:
        showPane(Help);
        m_view.setVideoAreaVisible(true);
        break;
    case TimerTab:
        showPane(TimerReport);
        m_view.setVideoAreaVisible(true);
        break;
    case MotionTab:
        showPane(MotionReport);
        break;
    case PrintTab: {
        {
            const QSignalBlocker blocker(m_tabs);
            m_tabs->setCurrentIndex(PrintTab);
        }
        if (m_state.CaptureRunning())
            m_run.startStop();
        const Pane pane = visiblePane();
        static const std::array<const char *, 3> questions{"      Print helpfile ?    ",
                                                           "     Print Timer report ?    ",
                                                           "Print motion detection report ?    "};
        static const std::array<const char *, 3> headings{"", Reports::TimerHeading,
                                                          Reports::MotionHeading};
        emit printRequested(questions[pane], paneLines(pane), headings[pane]);
        return;
    }
    case CloseTab:
        closeWindow();
        break;
    default:
        return;
    }
    const QSignalBlocker blocker(m_tabs);
    m_tabs->setCurrentIndex(visiblePane());
}

ProgramInfoWindow::Pane ProgramInfoWindow::visiblePane() const
{
    return Pane(m_panes->currentIndex());
}

QStringList ProgramInfoWindow::paneLines(Pane pane) const
{
    switch (pane) {
    case Help:
        return Reports::helpLines();
    case TimerReport:
        return m_timerReport.lines();
    case MotionReport:
        return m_motionReport.lines();
    }
    return {};
}

void ProgramInfoWindow::showPane(Pane pane)
{
    m_panes->setCurrentIndex(pane);
}

void ProgramInfoWindow::refresh(Pane pane)
{
    QPlainTextEdit *text = m_texts[pane];
    // Keep the reader's place: the panes are read while new lines arrive.
    const int scrolled = text->verticalScrollBar()->value();
    text->setPlainText(paneLines(pane).join(QLatin1Char('\n')));
    text->verticalScrollBar()->setValue(scrolled);
}

void ProgramInfoWindow::writeTimerStart()
{
    m_timerReport.writeStart(m_state);
    refresh(TimerReport);
}

void ProgramInfoWindow::writeTimerStop(const QString &stopTime)
{
    m_timerReport.writeStop(m_state, stopTime);
    refresh(TimerReport);
}

void ProgramInfoWindow::writeMotionLine(const QDateTime &now)
{
    m_state.setClock(now.time());
    m_state.refreshMonthDay(now.date());
    const bool wrapped = m_motionReport.write(m_state);
    refresh(MotionReport);
    if (wrapped)
        closeWindow();
}

void ProgramInfoWindow::writeLightChangeLine(const QDateTime &now)
{
    m_state.setClock(now.time());
    m_state.refreshMonthDay(now.date());
    const bool wrapped = m_motionReport.writeLightChange(m_state);
    refresh(MotionReport);
    if (wrapped)
        closeWindow();
}

void ProgramInfoWindow::closeWindow()
{
    hide();
    emit viewLocked(false);
}

void ProgramInfoWindow::closeEvent(QCloseEvent *event)
{
    // The close box and Escape act as the "close" tab.
    event->ignore();
    closeWindow();
    const QSignalBlocker blocker(m_tabs);
    m_tabs->setCurrentIndex(visiblePane());
}
