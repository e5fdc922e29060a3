#include "video/makevideowindow.h"

#include "shell/messages.h"
#include "shell/picturenames.h"
#include "shell/toolwindows.h"
#include "video/videodefaults.h"
#include "video/videotexts.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QSpinBox *numberBox(QWidget *parent, const char *name, int minimum, int maximum, int value)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(minimum, maximum);
    box->setValue(value);
    return box;
}
} // namespace

MakeVideoWindow::MakeVideoWindow(QWidget *parent, CaptureView &view, ToolWindows &tools,
                                 Messages &messages)
    : CaptureToolWindow(parent, view, QStringLiteral("Make video"), QSize(460, 300)),
      m_tools(tools), m_messages(messages)
{
    setObjectName("makeVideoWindow");
    buildForm();
    connect(&m_worker, &VideoWorker::progressed, this, &MakeVideoWindow::showProgress);
    connect(&m_worker, &VideoWorker::finished, this, &MakeVideoWindow::showFinished);
    tools.add(ToolWindows::Role::MakeVideo, this, [this] { showCentred(); });
}

void MakeVideoWindow::buildForm()
{
    const int lastPicture = PictureStore::StoreCapacity - 1;
    m_first = numberBox(this, "firstPicture", 0, lastPicture, 0);
    m_last = numberBox(this, "lastPicture", 0, lastPicture, 0);
    m_fps = numberBox(this, "framesPerSecond", VideoSettings::MinFramesPerSecond,
                      VideoSettings::MaxFramesPerSecond, VideoSettings::DefaultFramesPerSecond);
    m_crf = numberBox(this, "quality", VideoSettings::MinCrf, VideoSettings::MaxCrf,
                      VideoSettings::DefaultCrf);
    m_crf->setToolTip("Constant rate factor: 0 is lossless, 23 the usual choice, 51 the "
                      "smallest file");
    // Off unless checked; the average's length only counts when it is on.
    m_deflickerOn = new QCheckBox("&Deflicker", this);
    m_deflickerOn->setObjectName("deflicker");
    m_deflickerOn->setToolTip("Even out the brightness between pictures");
    m_deflicker = numberBox(this, "deflickerPictures", VideoSettings::MinDeflicker,
                            VideoSettings::MaxDeflicker, VideoSettings::DefaultDeflicker);
    m_deflicker->setSuffix(" pictures");
    m_deflicker->setAccessibleName("Deflicker over pictures");
    m_deflicker->setToolTip("The moving average of the brightness runs over this many pictures");
    m_deflicker->setEnabled(false);
    connect(m_deflickerOn, &QCheckBox::toggled, m_deflicker, &QSpinBox::setEnabled);
    m_length = new QLabel(this);
    m_length->setObjectName("videoLength");
    for (QSpinBox *box : {m_first, m_last, m_fps})
        connect(box, &QSpinBox::valueChanged, this, &MakeVideoWindow::showLength);

    m_output = new QLineEdit(this);
    m_output->setObjectName("videoFile");
    m_output->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    m_browse = new QToolButton(this);
    m_browse->setObjectName("browseVideoFile");
    m_browse->setText(QStringLiteral("…"));
    m_browse->setAccessibleName("Choose the video file");
    m_browse->setToolTip("Choose the video file");
    connect(m_browse, &QToolButton::clicked, this, &MakeVideoWindow::browse);
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(m_output, 1);
    fileRow->addWidget(m_browse);

    auto *form = new QFormLayout;
    form->addRow("&First picture:", m_first);
    form->addRow("&Last picture:", m_last);
    form->addRow("Frames per &second:", m_fps);
    form->addRow("&Quality (CRF, lower is better):", m_crf);
    form->addRow(m_deflickerOn, m_deflicker);
    form->addRow("Length:", m_length);
    auto *fileLabel = new QLabel("&Video file:", this);
    fileLabel->setBuddy(m_output);
    form->addRow(fileLabel, fileRow);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName("videoProgress");
    m_progress->setAccessibleName("Progress");
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setFormat(QString());

    auto *buttons = new QDialogButtonBox(this);
    m_make = buttons->addButton("Make", QDialogButtonBox::AcceptRole);
    m_make->setObjectName("makeButton");
    m_make->setDefault(true);
    m_cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    m_cancel->setObjectName("cancelButton");
    connect(m_make, &QPushButton::clicked, this, &MakeVideoWindow::make);
    connect(m_cancel, &QPushButton::clicked, this, &MakeVideoWindow::cancel);

    // A status line that wraps, so that a long file name is shown whole.
    m_status = new QLabel(this);
    m_status->setObjectName("videoStatus");
    m_status->setWordWrap(true);
    m_status->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setMinimumHeight(m_status->fontMetrics().height() + 4 * m_status->frameWidth());

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch(1);
    layout->addWidget(m_progress);
    layout->addWidget(buttons);
    layout->addWidget(m_status);
}

void MakeVideoWindow::open(int first, int last)
{
    if (!isMaking()) {
        m_first->setValue(first);
        m_last->setValue(last);
        m_output->setText(VideoDefaults::outputPath(first));
        showWholePath();
        m_cancel->setText("Cancel");
        m_progress->setRange(0, 1);
        m_progress->setValue(0);
        m_progress->setFormat(QString());
        m_status->clear();
        showLength();
    }
    m_tools.open(ToolWindows::Role::MakeVideo);
}

void MakeVideoWindow::showLength()
{
    const int pictures = std::max(0, m_last->value() - m_first->value() + 1);
    m_length->setText(QStringLiteral("%1 pictures, %2")
                          .arg(pictures)
                          .arg(VideoTexts::duration(pictures / m_fps->value())));
}

// The field is as wide as its path, within what the screen leaves beside the form's labels.
void MakeVideoWindow::showWholePath()
{
    const QFontMetrics metrics = m_output->fontMetrics();
    const int least = metrics.averageCharWidth() * 40;
    const int wanted = metrics.horizontalAdvance(m_output->text()) + 4 * metrics.averageCharWidth();
    const QScreen *shownOn = screen() ? screen() : QGuiApplication::primaryScreen();
    const int most = shownOn ? shownOn->availableGeometry().width() * 2 / 3 : wanted;
    m_output->setMinimumWidth(std::max(least, std::min(wanted, most)));
}

void MakeVideoWindow::browse()
{
    const QString chosen = QFileDialog::getSaveFileName(this, "Save the video as", m_output->text(),
                                                        "MP4 videos (*.mp4)");
    if (chosen.isEmpty())
        return;
    m_output->setText(chosen);
    showWholePath();
    // The dialog has asked before letting an existing file be chosen.
    if (QFileInfo::exists(chosen))
        m_replaceAgreed = chosen;
}

void MakeVideoWindow::make()
{
    if (isMaking())
        return;
    VideoSettings settings;
    settings.first = m_first->value();
    settings.last = m_last->value();
    settings.framesPerSecond = m_fps->value();
    settings.crf = m_crf->value();
    settings.deflicker = m_deflickerOn->isChecked() ? m_deflicker->value() : 0;
    settings.output = m_output->text().trimmed();
    settings.replace = !settings.output.isEmpty() && settings.output == m_replaceAgreed;
    if (const Result<> checked = settings.check(); !checked) {
        m_messages.information(checked.error());
        return;
    }
    if (!m_worker.start(settings))
        return;
    m_clock.start();
    m_progress->setRange(0, settings.pictureCount());
    showProgress(0, settings.pictureCount());
    m_status->setText("Making the video …");
    m_cancel->setText("Cancel");
    setMaking(true);
}

void MakeVideoWindow::cancel()
{
    if (isMaking()) {
        m_worker.cancel();
        m_status->setText("Cancelling …");
        return;
    }
    close();
}

void MakeVideoWindow::closeEvent(QCloseEvent *event)
{
    // Closing is cancelling: no video goes on being made behind a closed window.
    if (isMaking())
        m_worker.cancel();
    CaptureToolWindow::closeEvent(event);
}

void MakeVideoWindow::setMaking(bool making)
{
    m_making = making;
    for (QWidget *w : std::initializer_list<QWidget *>{m_first, m_last, m_fps, m_crf, m_deflickerOn,
                                                       m_output, m_browse, m_make})
        w->setEnabled(!making);
    m_deflicker->setEnabled(!making && m_deflickerOn->isChecked());
}

void MakeVideoWindow::showProgress(int done, int total)
{
    m_progress->setValue(done);
    m_progress->setFormat(VideoTexts::progress(done, total, m_clock.elapsed()));
}

void MakeVideoWindow::showFinished(const VideoSummary &summary, const QString &error)
{
    setMaking(false);
    if (!error.isEmpty()) {
        m_status->setText("No video was made.");
        m_messages.error(error);
        return;
    }
    if (summary.cancelled) {
        m_status->setText("Cancelled; no video was made.");
        return;
    }
    m_replaceAgreed.clear();
    const QString text = VideoTexts::summary(summary);
    m_status->setText(text);
    m_cancel->setText("Close"); // nothing is left to cancel
    emit videoMade(text);
}

QString MakeVideoWindow::statusText() const
{
    return m_status->text();
}
