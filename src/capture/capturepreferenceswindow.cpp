#include "capture/capturepreferenceswindow.h"

#include "capture/capturecontroller.h"
#include "capture/captureformatcontrols.h"
#include "capture/captureruncontrol.h"
#include "capture/captureservice.h"
#include "capture/capturesession.h"
#include "capture/capturesettings.h"
#include "capture/capturestatustexts.h"
#include "capture/picturewriter.h"
#include "shell/applicationstate.h"
#include "shell/captureview.h"
#include "shell/messages.h"
#include "shell/picturenames.h"
#include "shell/sound.h"
#include "shell/toolwindows.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFile>
#include <QGridLayout>
#include <QPushButton>

CapturePreferencesWindow::CapturePreferencesWindow(QWidget *parent, CaptureView &view,
                                                   ApplicationState &state, Sound &click,
                                                   CaptureController &controller,
                                                   CaptureRunControl &run,
                                                   CaptureSettings &settings, ToolWindows &tools,
                                                   Messages &messages)
    : CaptureToolWindow(parent, view, QStringLiteral(" Capture  preferences"), QSize(356, 211)),
      m_state(state), m_click(click), m_controller(controller), m_run(run), m_settings(settings),
      m_tools(tools), m_messages(messages)
{
    setObjectName("capturePreferences");
    m_controls = new CaptureFormatControls(settings, this);
    auto *buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    m_ok->setObjectName("ok");
    m_cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    m_cancel->setObjectName("cancel");
    // Below the controls, in the grid they stand in, after the room left over.
    auto *grid = qobject_cast<QGridLayout *>(layout());
    grid->setRowStretch(grid->rowCount(), 1);
    grid->addWidget(buttons, grid->rowCount(), 0, 1, -1);
    connect(m_ok, &QPushButton::clicked, this, &CapturePreferencesWindow::confirm);
    connect(m_cancel, &QPushButton::clicked, this, &CapturePreferencesWindow::cancel);
    tools.add(ToolWindows::Role::CapturePreferences, this, [this] { showCentred(); });
}

void CapturePreferencesWindow::open()
{
    const ApplicationState &state = m_state;
    if (state.FormatChosen())
        m_controls->showSize(m_settings.FrameWidth, m_settings.FrameHeight);
    if (!state.DriverChosen()) {
        m_click.play();
        m_messages.information(QStringLiteral(" Select a videodriver first ! "));
        return;
    }
    m_controls->setCameraSizes(m_controller.session().service().cameraSizes());
    m_tools.open(ToolWindows::Role::CapturePreferences);
    m_run.pause(true);
}

void CapturePreferencesWindow::confirm()
{
    m_click.play();
    m_controls->settleQuality();
    // Refused here, where it can still be mended, rather than at the next picture.
    const std::optional<int> quality = PictureWriter::parseQuality(m_controls->qualityText());
    if (!quality || *quality < 0 || *quality > 100) {
        m_messages.information(
            QStringLiteral("The Jpeg compression quality must be a whole number from 0 to 100."));
        return;
    }
    hide();
    if (m_state.FormatApplied())
        reapply();
    else
        firstTimeSetUp();
}

// A later "OK": the format is applied again, without a test picture.
void CapturePreferencesWindow::reapply()
{
    CaptureSession &session = m_controller.session();
    emit formatApplied();
    session.ApplyVideoFormat();
    session.ApplyPreviewRate();
    session.ClearFrameCallback();
    m_view.setOverlayChecked(false);
    showStatusTexts();
}

// The first "OK" after a driver choice: the format is applied, a test picture is stored and
// the numbering starts again at 0, so that the first captured picture replaces it.
void CapturePreferencesWindow::firstTimeSetUp()
{
    CaptureSession &session = m_controller.session();
    ApplicationState &state = m_state;
    showStatusTexts();
    emit formatApplied();
    session.ApplyVideoFormat();
    session.ApplyPreviewRate();
    m_view.setOverlayChecked(false);
    state.setFormatChosen(true);
    state.setFormatApplied(true);
    const QString grabError = testGrab();
    session.ApplyPreviewRate();
    session.ApplyVideoFormat();
    session.ClearFrameCallback();
    state.setPictureCounter(0);
    const QString directory = QString::number(state.CurrentDirectory());
    m_view.showPicturePath(directory + QStringLiteral("/capture.jpg"));
    QFile::remove(directory + QStringLiteral("/capture-1.jpg"));
    if (!grabError.isEmpty())
        m_messages.error(grabError);
}

void CapturePreferencesWindow::applyAsLeft()
{
    m_controls->setCameraSizes(m_controller.session().service().cameraSizes());
    m_controls->showSettings();
    m_state.setFormatChosen(true);
    m_state.setFormatApplied(true);
    reapply();
}

// Why the test picture could not be stored, or nothing when it was.
QString CapturePreferencesWindow::testGrab()
{
    CaptureSession &session = m_controller.session();
    const ApplicationState &state = m_state;
    const QString path =
        PictureStore::PicturePath(state.CurrentDirectory(), state.PictureCounter());
    session.SetFrameCallback();
    const CaptureSession::GrabResult grab = session.GrabFrame(state.PictureCounter(), path);
    session.ClearFrameCallback();
    if (grab)
        return {};
    // A store failure names its file already.
    if (grab.error().frameCame)
        return QStringLiteral("Could not store the test picture ") + grab.error().reason;
    return QStringLiteral("Could not store the test picture ") + path + QStringLiteral(": ") +
           grab.error().reason;
}

void CapturePreferencesWindow::showStatusTexts()
{
    m_view.showStatusPanel(
        1, CaptureStatusTexts::resolution(m_settings.FrameWidth, m_settings.FrameHeight));
    m_view.showStatusPanel(2, CaptureStatusTexts::quality(m_controls->qualityText()));
    m_view.showStatusPanel(3, CaptureStatusTexts::colourScale(m_controls->greyscaleSelected()));
}

void CapturePreferencesWindow::cancel()
{
    m_click.play();
    m_view.setDriverEnabled(true);
    if (m_settings.CustomSize)
        m_controls->toggleCustomSize();
    hide();
    redrawVideoArea();
}

void CapturePreferencesWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    cancel();
}
