#include "store/deletedialog.h"

#include "shell/applicationstate.h"
#include "shell/sound.h"
#include "shell/storeview.h"
#include "shell/toolwindows.h"
#include "store/storeclearer.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString ProgressPrefix = QStringLiteral("          processing dir");
}

DeleteDialog::DeleteDialog(QWidget *parent, StoreView &view, ApplicationState &state, Sound &click,
                           PauseCapture pauseCapture, ToolWindows &tools)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), m_view(view), m_state(state),
      m_click(click), m_pauseCapture(std::move(pauseCapture)), m_tools(tools),
      m_firstLine(new QLabel("This will delete pictures from disk", this)),
      m_limitLabel(new QLabel("userlimit set on:", this)),
      m_limitLine(new QLabel(" picture 0  - max. frms", this)),
      m_progressLine(new QLabel(ProgressPrefix + ":", this)), m_ok(new QPushButton("OK", this)),
      m_cancel(new QPushButton("Cancel", this))
{
    setObjectName("deleteDialog");
    setWindowTitle("Delete !");
    resize(320, 150); // a default; the layout keeps the texts whole
    buildLayout();

    connect(m_ok, &QPushButton::clicked, this, &DeleteDialog::okClicked);
    connect(m_cancel, &QPushButton::clicked, this, &DeleteDialog::cancelClicked);
    tools.add(ToolWindows::Role::Delete, this, [this] { showOverMainWindow(); });
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
    m_ok->setObjectName("ok");
    m_ok->setDefault(true);
    m_cancel->setObjectName("cancel");

    auto *limit = new QHBoxLayout;
    limit->addWidget(m_limitLabel);
    limit->addWidget(m_limitLine, 1);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(m_ok, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_cancel, QDialogButtonBox::RejectRole);
    buttons->setCenterButtons(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(m_firstLine);
    layout->addLayout(limit);
    layout->addWidget(m_progressLine);
    // Lines that hide leave their room empty rather than move the others.
    layout->addStretch(1);
    layout->addWidget(buttons);
}

void DeleteDialog::clearClicked()
{
    m_tools.open(ToolWindows::Role::Delete);
    m_view.setStartAndAboutEnabled(false);
    // Ticks store nothing from now on; the toggle stays, so Start/stop first completes the stop.
    if (m_state.CaptureRunning() && m_pauseCapture)
        m_pauseCapture();
    m_limitLine->setText("max. " + QString::number(m_state.UserMaxFrames()) + " frms");
}

void DeleteDialog::showOverMainWindow()
{
    // Opened again while open, it stays where the user moved it.
    if (!isVisible()) {
        QRect r = frameGeometry();
        r.moveCenter(m_view.centre());
        move(r.topLeft());
    }
    show();
    raise();
}

void DeleteDialog::okClicked()
{
    m_click.play();
    m_confirmation = true;
    m_state.setClearConfirmed(true);
    m_ok->setEnabled(false);
    m_cancel->setEnabled(false);
    m_view.setPanelEnabled(false);
    m_limitLine->show();
    ClearStore();
    finishClear();
}

void DeleteDialog::finishClear()
{
    m_view.setPanelEnabled(true);
    m_view.setStartAndAboutEnabled(true);
    hide();
    m_ok->setEnabled(true);
    m_cancel->setEnabled(true);
    emit storeCleared();

    ApplicationState &state = m_state;
    state.setPictureCounter(0);
    state.setCurrentDirectory(1);
    // Kept in step with the directory at once rather than at the next capture tick.
    state.setDirectoryBase(0);
    state.setMaxFrames(state.UserMaxFrames());
    if (m_view.isOverlayChecked())
        m_view.setPreviewChecked(true);
}

void DeleteDialog::ClearStore()
{
    m_limitLine->show();
    const ClearReport report = StoreClearer::ClearStore(
        m_state, m_confirmation, [this](int directory) { showProgress(directory); });
    if (report.ran) {
        if (report.lastDirectory == 64)
            m_progressLine->repaint();
        // Setting the box again sets the live picture up anew after the long pause.
        m_view.setOverlayChecked(false);
        m_view.setOverlayChecked(true);
    }
    m_limitLine->show();
    m_progressLine->hide();
    m_state.setClearConfirmed(false);
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
    if (!m_state.ClearConfirmed())
        return;
    const bool confirmed = m_confirmation;
    ClearStore();
    if (confirmed)
        finishClear();
}

void DeleteDialog::cancelClicked()
{
    m_click.play();
    enableStartAndAbout();
    m_confirmation = false;
    m_state.setClearConfirmed(false);
    hide();
    m_state.setMaxFrames(m_state.UserMaxFrames());
    m_view.redrawVideoArea();
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
    m_view.setStartAndAboutEnabled(true);
}
