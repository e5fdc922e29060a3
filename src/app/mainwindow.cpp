#include "app/mainwindow.h"

#include "app/applicationstate.h"
#include "app/controlpanel.h"
#include "app/toolwindows.h"
#include "settings/sound.h"
#include "store/picturestore.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWindow>

namespace {
constexpr std::array<int, 4> StatusPanelWidths{385, 130, 140, 50};
const std::array<const char *, 4> StatusPanelTexts{
    " Videodriver :", " Resolution :", " Compressionquality :", " Colorscale :"};
} // namespace

MainWindow::MainWindow(ApplicationState &state, Sound &click, ToolWindows &tools)
    : m_state(state), m_click(click), m_tools(tools)
{
    setObjectName("mainWindow");
    setWindowTitle("Vardella 1.3");
    resize(OuterWidth, OuterHeight);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_panel = new ControlPanel(central);
    m_panel->setFixedHeight(ControlPanel::Height);
    layout->addWidget(m_panel);
    buildVideoArea(central);
    layout->addWidget(m_videoArea, 1);
    setCentralWidget(central);
    buildStatusBar();
    buildLoadingPanel(central);

    connect(m_panel, &ControlPanel::doubleClicked, m_panel, &QWidget::hide);
    connect(m_panel->exit, &QPushButton::clicked, this, &MainWindow::exitRoutine);

    // The picture store starts with its first directory.
    PictureStore::CreateDirectory(1);
    m_state.CurrentDirectory = 1;

    m_clockTimer.setInterval(1000);
    connect(&m_clockTimer, &QTimer::timeout, this, [this] { clockTick(QTime::currentTime()); });
    m_clockTimer.start();

    // The capture timer runs from start; its ticks do nothing until capture is started.
    m_captureTimer.setEnabled(true);
    m_captureTimer.setInterval(5000);
    m_captureTimer.setOnTimer([this] { emit captureTick(); });
    m_captureTimer.setThreadPriority(ThreadPriority::Higher);
}

MainWindow::~MainWindow()
{
    // Every end of the program leaves no empty picture directories behind.
    PictureStore::RemoveEmptyDirectories();
}

void MainWindow::buildVideoArea(QWidget *central)
{
    m_videoArea = new QWidget(central);
    m_videoArea->setObjectName("videoArea");
    m_videoArea->setAutoFillBackground(true);
    m_videoArea->installEventFilter(this);

    // Until a driver is confirmed a black, inert text area covers the video area.
    m_videoCover = new QPlainTextEdit(m_videoArea);
    m_videoCover->setObjectName("videoCover");
    m_videoCover->setAccessibleName("video area cover");
    m_videoCover->setReadOnly(true);
    m_videoCover->setEnabled(false);
    m_videoCover->setFrameShape(QFrame::NoFrame);
    m_videoCover->setStyleSheet("background-color: black; border: none;");
    m_videoCover->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_pictureCaption = new QLabel("picture", m_videoArea);
    m_pictureCaption->setObjectName("pictureCaption");
    m_pictureCaption->setGeometry(0, 0, 225, 12);
    m_pictureCaption->hide();
}

void MainWindow::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName("statusBar");
    bar->setFixedHeight(19);
    bar->setSizeGripEnabled(false);
    bar->setToolTip("A click shows or hides the main menu ");
    bar->installEventFilter(this);
    for (std::size_t i = 0; i < m_statusPanels.size(); ++i) {
        auto *panel = new QLabel(StatusPanelTexts[i], bar);
        panel->setObjectName(QStringLiteral("statusPanel%1").arg(i));
        panel->setFixedWidth(StatusPanelWidths[i]);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->installEventFilter(this);
        bar->addWidget(panel);
        m_statusPanels[i] = panel;
    }
    m_statusNote = new QLabel(bar);
    m_statusNote->setObjectName("statusNote");
    m_statusNote->setAccessibleName("status note");
    m_statusNote->installEventFilter(this);
    bar->addPermanentWidget(m_statusNote);
    m_statusNote->hide();
}

void MainWindow::setStatusNote(const QString &text)
{
    m_statusNote->setText(text);
    m_statusNote->setVisible(!text.isEmpty());
}

QString MainWindow::statusNote() const
{
    return m_statusNote->text();
}

void MainWindow::buildLoadingPanel(QWidget *central)
{
    m_loadingPanel = new QFrame(central);
    m_loadingPanel->setObjectName("loadingPanel");
    m_loadingPanel->setAutoFillBackground(true);
    static_cast<QFrame *>(m_loadingPanel)->setFrameShape(QFrame::Panel);
    m_loadingPanel->resize(217, 57);
    auto *label = new QLabel("Loading videodriver ...", m_loadingPanel);
    label->setGeometry(10, 6, 197, 18);
    auto *progress = new QProgressBar(m_loadingPanel);
    progress->setRange(0, 100);
    progress->setValue(50);
    progress->setGeometry(10, 28, 197, 18);
    m_loadingPanel->hide();
}

QString MainWindow::statusPanel(int index) const
{
    return m_statusPanels.at(static_cast<std::size_t>(index))->text();
}

void MainWindow::setStatusPanel(int index, const QString &text)
{
    m_statusPanels.at(static_cast<std::size_t>(index))->setText(text);
}

void MainWindow::setStartCaption(const QString &caption, int colourValue)
{
    m_panel->start->setText(caption);
    setFontColour(m_panel->start, ::colourValue(colourValue));
}

void MainWindow::clockTick(const QTime &now)
{
    if (m_state.ClearConfirmed)
        emit pendingClearDue();
    m_state.setClock(now);
    m_panel->timeBox->setText(QStringLiteral("Systemtime = ") + m_state.clockText());
    emit timerProgramStartCheck();
}

void MainWindow::hideControlPanel()
{
    m_panel->hide();
    // The full-screen view's toolbar, once built, hides with the panel.
    fillVideoArea();
    if (m_panel->overlay->isChecked())
        emit overlayReactionNeeded();
    if (m_panel->preview->isChecked())
        emit previewReactionNeeded();
}

void MainWindow::statusBarClicked()
{
    if (m_panel->isVisible()) {
        m_pictureCaption->hide();
        hideControlPanel();
    } else {
        m_panel->show();
    }
}

void MainWindow::fillVideoArea()
{
    centralWidget()->layout()->activate();
    m_videoArea->show();
    m_videoArea->update();
    update();
}

void MainWindow::activated()
{
    setFontColour(m_panel->start, colourValue(1));
    m_state.MaxFrames = 10 * m_panel->maxArrows->position();
}

void MainWindow::exitRoutine()
{
    m_click.play();
    PictureStore::RemoveEmptyDirectories();
    close();
}

void MainWindow::placeOnScreen()
{
    // Make the outer size, frame included, the stated one, then centre it.
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    resize(OuterWidth - frame.left() - frame.right(), OuterHeight - frame.top() - frame.bottom());
    if (QScreen *s = screen()) {
        QRect outer(QPoint(), QSize(OuterWidth, OuterHeight));
        outer.moveCenter(s->availableGeometry().center());
        move(outer.topLeft());
    }
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        placeOnScreen();
    }
    setFontColour(m_panel->start, colourValue(1));
    m_panel->intervalBox->update();
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        activated();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (isMaximized())
        emit maximisedResize();
    if (!m_fullScreenPictureVisible || m_panel->isVisible())
        m_pictureCaption->hide();
    if (m_state.CaptureRunning)
        emit startStopRequested();
    if (m_panel->overlay->isChecked()) {
        fillVideoArea();
        if (m_panel->isVisible())
            emit overlayReactionNeeded();
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    QFile::remove(QStringLiteral("1/capture.jpg"));
    event->accept();
}

void MainWindow::mousePressEvent(QMouseEvent *event)
{
    QMainWindow::mousePressEvent(event);
    fillVideoArea();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == statusBar() || watched == m_statusNote ||
            std::find(m_statusPanels.begin(), m_statusPanels.end(), watched) !=
                m_statusPanels.end()) {
            statusBarClicked();
            return true;
        }
        if (watched == m_videoArea)
            m_panel->show();
    }
    if (event->type() == QEvent::Resize && watched == m_videoArea) {
        m_videoCover->setGeometry(m_videoArea->rect());
        if (m_loadingPanel) {
            QRect r = m_loadingPanel->geometry();
            r.moveCenter(centralWidget()->rect().center());
            m_loadingPanel->setGeometry(r);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
