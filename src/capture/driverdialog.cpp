#include "capture/driverdialog.h"

#include "capture/capturecontroller.h"
#include "capture/captureruncontrol.h"
#include "shell/applicationstate.h"
#include "shell/captureview.h"
#include "shell/messages.h"
#include "shell/sound.h"
#include "shell/toolwindows.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The platform lists at most this many drivers.
constexpr int MaxDrivers = 10;
} // namespace

DriverDialog::DriverDialog(QWidget *parent, CaptureView &view, ApplicationState &state,
                           Sound &click, CaptureController &controller, CaptureRunControl &run,
                           ToolWindows &tools, Messages &messages)
    : CaptureToolWindow(parent, view, QStringLiteral("  Videocapture driver "), QSize(395, 124)),
      m_state(state), m_click(click), m_controller(controller), m_run(run), m_tools(tools),
      m_messages(messages)
{
    setObjectName("driverDialog");
    buildLayout();
    connect(m_list, &QComboBox::activated, this,
            [this](int index) { m_state.setDriverIndex(index); });
    connect(m_ok, &QPushButton::clicked, this, &DriverDialog::confirm);
    connect(m_cancel, &QPushButton::clicked, this, &DriverDialog::cancel);
    tools.add(ToolWindows::Role::Driver, this, [this] { showCentred(); });
}

void DriverDialog::buildLayout()
{
    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Sunken);
    m_list = new QComboBox(frame);
    m_list->setObjectName("driverList");
    m_list->setAccessibleName("Video Capture Driver");
    // The list is filled anew at every opening; each time it must hold its longest entry.
    m_list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto *framed = new QVBoxLayout(frame);
    framed->setContentsMargins(19, 0, 19, 0);
    framed->addWidget(m_list, 0, Qt::AlignVCenter);

    auto *buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    m_ok->setObjectName("ok");
    m_ok->setDefault(true);
    m_cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    m_cancel->setObjectName("cancel");

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(10);
    layout->addWidget(frame, 1);
    layout->addWidget(buttons);
}

void DriverDialog::listDrivers()
{
    QStringList drivers = m_controller.session().service().driverDescriptions();
    if (drivers.size() > MaxDrivers)
        drivers = drivers.mid(0, MaxDrivers);
    m_list->clear();
    m_list->addItems(drivers);
}

void DriverDialog::open()
{
    m_run.pause(true);
    listDrivers();
    // The list shows the driver that "OK" will connect: the one picked last.
    const int index = m_state.DriverIndex();
    m_list->setCurrentIndex(index >= 0 && index < m_list->count() ? index : 0);
    m_tools.open(ToolWindows::Role::Driver);
}

void DriverDialog::confirm()
{
    m_click.play();
    if (m_list->currentIndex() < 0) {
        m_messages.information(QStringLiteral("No video capture driver found."));
        return;
    }
    connectCurrent();
}

bool DriverDialog::connectByName(const QString &name)
{
    listDrivers();
    const int index = m_list->findText(name);
    if (index < 0)
        return false;
    m_list->setCurrentIndex(index);
    connectCurrent();
    return true;
}

void DriverDialog::connectCurrent()
{
    using Role = ToolWindows::Role;
    ApplicationState &state = m_state;
    if (state.CaptureRunning())
        m_run.startStop();
    m_view.setDriverEnabled(false);
    m_tools.hide({Role::CapturePreferences, Role::ProgramInfo, Role::CustomSettings, Role::About});
    hide();
    m_view.setLoadingShown(true);
    state.setFormatApplied(false);
    state.setDriverChosen(true);
    state.setFormatChosen(false);
    const Result<> connected = connectSelected();
    m_connectedName = m_list->currentText();
    emit driverConfirmed();
    m_view.setProgCaptionColour(1);
    showLivePicture();
    m_view.setDriverEnabled(true);
    m_view.setLoadingShown(false);
    const QString entry = m_list->currentText();
    m_view.showStatusPanel(0, QStringLiteral("Videodriver :") + entry);
    if (!connected) {
        m_messages.error(QStringLiteral("Could not connect to ") + entry + QStringLiteral(": ") +
                         connected.error());
    }
}

// Connects the entry shown; a failed connect leaves no capture window, so that later grabs
// are skipped.
Result<> DriverDialog::connectSelected()
{
    m_state.setDriverIndex(m_list->currentIndex());
    CaptureSession &session = m_controller.session();
    session.DisconnectDriver();
    const Result<> connected = session.ConnectDriver(
        m_view.isOverlayChecked(), m_view.isPreviewChecked(), m_view.isFitChecked());
    session.SetFrameCallback();
    session.ApplyPreviewRate();
    session.ClearFrameCallback();
    return connected;
}

void DriverDialog::showLivePicture()
{
    m_view.setPreviewChecked(true);
    m_view.setOverlayChecked(false);
    m_view.uncoverVideoArea();
    redrawVideoArea();
}

void DriverDialog::cancel()
{
    m_click.play();
    hide();
    redrawVideoArea();
}

void DriverDialog::closeEvent(QCloseEvent *event)
{
    event->ignore();
    cancel();
}
