#include "store/deletedialog.h"

#include "app/applicationstate.h"
#include "app/controlpanel.h"
#include "app/mainwindow.h"
#include "app/toolwindows.h"
#include "settings/sound.h"
#include "store/captureloop.h"
#include "store/storeclearer.h"
#include "store/thumbnailpage.h"

#include <QCloseEvent>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>

namespace {
const QString ProgressPrefix = QStringLiteral("          processing dir");
}

DeleteDialog::DeleteDialog(MainWindow &main, CaptureLoop &loop, ToolWindows &tools,
                           ThumbnailPage &thumbnails)
    : DeleteDialog(
          main, [&loop] { loop.pause(true); }, tools, thumbnails)
{}

DeleteDialog::DeleteDialog(MainWindow &main, PauseCapture pauseCapture, ToolWindows &tools,
                           ThumbnailPage &thumbnails)
    : QDialog(&main, Qt::Tool | Qt::WindowStaysOnTopHint), m_main(main),
      m_pauseCapture(std::move(pauseCapture)), m_tools(tools), m_thumbnails(thumbnails),
      m_firstLine(new QLabel("This will delete pictures from disk", this)),
      m_limitLabel(new QLabel("userlimit set on:", this)),
      m_limitLine(new QLabel(" picture 0  - max. frms", this)),
      m_progressLine(new QLabel(ProgressPrefix + ":", this)), m_ok(new QPushButton("OK", this)),
      m_cancel(new QPushButton("Cancel", this))
{
    setObjectName("deleteDialog");
    setWindowTitle("Delete !");
    setFixedSize(320, 150);
    buildLayout();

    connect(m_ok, &QPushButton::clicked, this, &DeleteDialog::okClicked);
    connect(m_cancel, &QPushButton::clicked, this, &DeleteDialog::cancelClicked);
    connect(main.panel()->clear, &QPushButton::clicked, this, &DeleteDialog::clearClicked);
    connect(&main, &MainWindow::pendingClearDue, this, &DeleteDialog::runPendingClear);
}

void DeleteDialog::buildLayout()
{
    const std::pair<QLabel *, const char *> labels[] = {{m_firstLine, "firstLine"},
                                                        {m_limitLabel, "limitLabel"},
                                                        {m_limitLine, "limitLine"},
                                                        {m_progressLine, "progressLine"}};
    for (const auto &[label, name] : labels) {
        label->setObjectName(name);
        label->setTextFormat(Qt::PlainText);
    }
    m_firstLine->setGeometry(16, 12, 290, 18);
    m_limitLabel->setGeometry(16, 38, 110, 18);
    m_limitLine->setGeometry(130, 38, 180, 18);
    m_progressLine->setGeometry(16, 64, 290, 18);
    m_ok->setObjectName("ok");
    m_ok->setDefault(true);
    m_ok->setGeometry(76, 108, 75, 25);
    m_cancel->setObjectName("cancel");
    m_cancel->setGeometry(166, 108, 75, 25);
}

void DeleteDialog::clearClicked()
{
    using Role = ToolWindows::Role;
    m_main.clickSound().play();
    m_tools.hide({Role::Driver, Role::CapturePreferences, Role::ProgramInfo, Role::CustomSettings,
                  Role::About, Role::TimerMotionMenu, Role::Reset});
    m_main.panel()->start->setEnabled(false);
    m_main.panel()->about->setEnabled(false);
    if (!isVisible()) {
        QRect r = frameGeometry();
        r.moveCenter(m_main.frameGeometry().center());
        move(r.topLeft());
    }
    show();
    raise();
    // Ticks store nothing from now on; the toggle stays, so Start/stop first completes the stop.
    if (m_main.state().CaptureRunning && m_pauseCapture)
        m_pauseCapture();
    m_limitLine->setText("max. " + QString::number(m_main.state().UserMaxFrames) + " frms");
}

void DeleteDialog::okClicked()
{
    ControlPanel *panel = m_main.panel();
    m_main.clickSound().play();
    m_confirmation = true;
    m_main.state().ClearConfirmed = true;
    using Widgets = std::initializer_list<QWidget *>;
    for (QWidget *w : Widgets{m_ok, m_cancel, panel->input, panel->driver, panel->format, panel})
        w->setEnabled(false);
    m_limitLine->show();
    ClearStore();
    finishClear();
}

void DeleteDialog::finishClear()
{
    ControlPanel *panel = m_main.panel();
    using Widgets = std::initializer_list<QWidget *>;
    for (QWidget *w :
         Widgets{panel, panel->input, panel->driver, panel->format, panel->start, panel->about})
        w->setEnabled(true);
    hide();
    m_ok->setEnabled(true);
    m_cancel->setEnabled(true);
    m_thumbnails.clearThumbnails();

    ApplicationState &state = m_main.state();
    state.PictureCounter = 0;
    state.CurrentDirectory = 1;
    // Kept in step with the directory at once rather than at the next capture tick.
    state.DirectoryBase = 0;
    state.MaxFrames = state.UserMaxFrames;
    if (panel->overlay->isChecked())
        panel->preview->setChecked(true);
}

void DeleteDialog::ClearStore()
{
    m_limitLine->show();
    const ClearReport report = StoreClearer::ClearStore(
        m_main.state(), m_confirmation, [this](int directory) { showProgress(directory); });
    if (report.ran) {
        if (report.lastDirectory == 64)
            m_progressLine->repaint();
        // Setting the box again sets the live picture up anew after the long pause.
        QCheckBox *overlay = m_main.panel()->overlay;
        overlay->setChecked(false);
        overlay->setChecked(true);
    }
    m_limitLine->show();
    m_progressLine->hide();
    m_main.state().ClearConfirmed = false;
}

void DeleteDialog::showProgress(int directory)
{
    // No events are handled while the files are deleted: the line is painted here and now.
    m_progressLine->setText(ProgressPrefix + " " + QString::number(directory));
    m_progressLine->show();
    m_progressLine->repaint();
}

void DeleteDialog::runPendingClear()
{
    if (!m_main.state().ClearConfirmed)
        return;
    const bool confirmed = m_confirmation;
    ClearStore();
    if (confirmed)
        finishClear();
}

void DeleteDialog::cancelClicked()
{
    m_main.clickSound().play();
    enableStartAndAbout();
    m_confirmation = false;
    m_main.state().ClearConfirmed = false;
    hide();
    m_main.state().MaxFrames = m_main.state().UserMaxFrames;
    QWidget *video = m_main.videoArea();
    video->hide();
    video->update();
    video->show();
}

void DeleteDialog::reject()
{
    if (m_cancel->isEnabled())
        cancelClicked();
}

void DeleteDialog::closeEvent(QCloseEvent *event)
{
    // Not QDialog's close handling, which would run "Cancel".
    enableStartAndAbout();
    event->accept();
}

void DeleteDialog::hideEvent(QHideEvent *event)
{
    // Hidden by another tool window opening: the dialog is no longer open, so Start and About
    // must not stay disabled. Hides by the window system (minimising) do not count.
    if (!event->spontaneous())
        enableStartAndAbout();
    QDialog::hideEvent(event);
}

void DeleteDialog::enableStartAndAbout()
{
    m_main.panel()->start->setEnabled(true);
    m_main.panel()->about->setEnabled(true);
}
