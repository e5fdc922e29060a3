#include "shell/mainwindow.h"

#include "shell/applicationstate.h"
#include "shell/controlpanel.h"
#include "shell/flowlayout.h"
#include "shell/motionindicator.h"
#include "shell/sound.h"

#include "vardella_version.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWindow>

namespace {
const std::array<const char *, 4> StatusPanelTexts{
    " Videodriver :", " Resolution :", " Compressionquality :", " Colorscale :"};

const char *const FirstRunHint =
    "Choose a camera with \"Driver\", then confirm its picture size with \"Format\". "
    "Without a camera, choose \"Vardella test scene\".";

// The smallest window in which the control panel and the status panels keep every control and
// text, each wrapped into two rows at most, with a strip of video area between them.
QSize minimumWindowSize(QMainWindow *window, QWidget *panel, QWidget *statusPanels)
{
    const QSize own = window->layout()->totalMinimumSize();
    const int width = std::max(
        {own.width(), panel->minimumSizeHint().width(), statusPanels->minimumSizeHint().width()});
    // Room for the first-run hint in two lines, with its margins.
    const int videoStrip = 4 * window->fontMetrics().lineSpacing();
    const int height =
        panel->heightForWidth(width) + videoStrip + window->statusBar()->heightForWidth(width);
    return QSize(width, std::max(own.height(), height));
}

// Qt's own minimum counts the status bar as one row, so that the panel would be squeezed when
// the status panels wrap; this keeps the minimum above as the texts and the skin change.
class MinimumSizeKeeper : public QObject
{
public:
    MinimumSizeKeeper(QMainWindow *window, QWidget *panel, QWidget *statusPanels)
        : QObject(window), m_window(window), m_panel(panel), m_statusPanels(statusPanels)
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::LayoutRequest)
            m_window->setMinimumSize(minimumWindowSize(m_window, m_panel, m_statusPanels));
        return false;
    }

private:
    QMainWindow *m_window;
    QWidget *m_panel;
    QWidget *m_statusPanels;
};
} // namespace

MainWindow::MainWindow(ApplicationState &state, Sound &click) : m_state(state), m_click(click)
{
    setObjectName("mainWindow");
    setWindowTitle(QString::fromLatin1(Product::caption));
    resize(OuterWidth, OuterHeight);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_panel = new ControlPanel(central);
    layout->addWidget(m_panel);
    buildVideoArea(central);
    layout->addWidget(m_videoArea, 1);
    setCentralWidget(central);
    central->installEventFilter(this);
    m_panel->installEventFilter(this);
    buildStatusBar();
    buildLoadingPanel(central);

    connect(m_panel, &ControlPanel::doubleClicked, m_panel, &QWidget::hide);
    connectIntents();
}

void MainWindow::connectIntents()
{
    ControlPanel *p = m_panel;
    connect(p->preview, &QCheckBox::toggled, this, &MainWindow::previewToggled);
    connect(p->overlay, &QCheckBox::toggled, this, &MainWindow::overlayToggled);
    connect(p->fit, &QCheckBox::toggled, this, &MainWindow::fitToggled);
    const std::pair<QPushButton *, void (MainWindow::*)()> buttons[] = {
        {p->input, &MainWindow::inputPressed},         {p->format, &MainWindow::formatPressed},
        {p->driver, &MainWindow::driverPressed},       {p->finePlus, &MainWindow::finePlusPressed},
        {p->fineMinus, &MainWindow::fineMinusPressed}, {p->start, &MainWindow::startPressed},
        {p->step, &MainWindow::stepPressed},           {p->clear, &MainWindow::clearPressed},
        {p->reset, &MainWindow::resetPressed},         {p->about, &MainWindow::aboutPressed},
        {p->info, &MainWindow::infoPressed},           {p->prog, &MainWindow::progPressed},
        {p->pref, &MainWindow::prefPressed},           {p->view, &MainWindow::viewPressed}};
    for (const auto &[button, intent] : buttons)
        connect(button, &QPushButton::clicked, this, intent);
    connect(p->exit, &QPushButton::clicked, this, &MainWindow::exitRoutine);
    connect(p->intervalArrows, &UpDownControl::clicked, this,
            [this](int position) { emit intervalArrowsClicked(position); });
    connect(p->maxArrows, &UpDownControl::changing, this,
            [this](int position) { emit maxArrowsChanging(position); });
    connect(p->maxArrows, &UpDownControl::clicked, this,
            [this](int position) { emit maxArrowsClicked(position); });
    connect(p->stepArrows, &UpDownControl::changing, this,
            [this](int position) { emit stepArrowsChanging(position); });
    connect(p->stepArrows, &UpDownControl::clicked, this,
            [this](int position) { emit stepArrowsClicked(position); });
}

MainWindow::~MainWindow() = default;

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
    // Light text, whatever the skin: it tells a first-time user where to begin.
    m_videoCover->setStyleSheet("background-color: black; color: #e0e0e0; border: none;");
    m_videoCover->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_videoCover->setPlainText(FirstRunHint);
    m_videoCover->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_videoCover->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_videoCover->document()->setDocumentMargin(m_videoCover->fontMetrics().height());

    // On the client area rather than the video area, which hides under the full-screen view.
    m_pictureCaption = new QLabel("picture", central);
    m_pictureCaption->setObjectName("pictureCaption");
    QFont plain; // a number and a time, new at each step: no shaping engine needed for them
    plain.setStyleStrategy(QFont::PreferNoShaping);
    m_pictureCaption->setFont(plain);
    // Over the picture, outside any layout: 225 x 12, or taller for a larger font.
    m_pictureCaption->setFixedSize(QSize(225, 12).expandedTo(m_pictureCaption->sizeHint()));
    m_pictureCaption->hide();
}

void MainWindow::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName("statusBar");
    bar->setSizeGripEnabled(false);
    bar->setToolTip("A click shows or hides the main menu ");
    bar->installEventFilter(this);
    // The panels take a second row rather than cut their values when the window is narrow. The
    // status bar's own minimum is one line; the rows come from the height for its width, which
    // a fixed vertical size policy would cap at one line.
    bar->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *panels = new QWidget(bar);
    panels->setObjectName("statusPanels");
    panels->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    auto *rows = new FlowLayout(2, panels);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(2);
    rows->setLeastWidths({385, 130, 140, 50});
    for (std::size_t i = 0; i < m_statusPanels.size(); ++i) {
        auto *panel = new QLabel(StatusPanelTexts[i], panels);
        panel->setObjectName(QStringLiteral("statusPanel%1").arg(i));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->installEventFilter(this);
        rows->addWidget(panel);
        m_statusPanels[i] = panel;
    }
    bar->addWidget(panels, 1);
    new MinimumSizeKeeper(this, m_panel, panels);
    m_statusNote = new QLabel(bar);
    m_statusNote->setObjectName("statusNote");
    m_statusNote->setAccessibleName("status note");
    m_statusNote->installEventFilter(this);
    bar->addPermanentWidget(m_statusNote);
    m_statusNote->hide();
}

void MainWindow::showStatusNote(const QString &text)
{
    m_statusNote->setText(text);
    // The name stays "status note"; a screen reader reads the words from the description,
    // which announces each change.
    m_statusNote->setAccessibleDescription(text);
    m_statusNote->setVisible(!text.isEmpty());
}

QString MainWindow::statusNote() const
{
    return m_statusNote->text();
}

void MainWindow::buildLoadingPanel(QWidget *central)
{
    auto *frame = new QFrame(central);
    m_loadingPanel = frame;
    frame->setObjectName("loadingPanel");
    frame->setAutoFillBackground(true);
    frame->setFrameShape(QFrame::Panel);
    auto *label = new QLabel("Loading videodriver ...", frame);
    auto *progress = new QProgressBar(frame);
    progress->setRange(0, 100);
    progress->setValue(50);
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(10, 6, 10, 6);
    layout->setSpacing(4);
    layout->addWidget(label);
    layout->addWidget(progress);
    // It floats over the video area, outside any layout: 217 x 57, or larger for a larger font.
    frame->resize(frame->sizeHint().expandedTo(QSize(217, 57)));
    frame->hide();
}

QString MainWindow::statusPanel(int index) const
{
    return m_statusPanels.at(static_cast<std::size_t>(index))->text();
}

void MainWindow::showStatusPanel(int index, const QString &text)
{
    m_statusPanels.at(static_cast<std::size_t>(index))->setText(text);
    // Longer values than the first texts: a window at the program's own width grows, within
    // the screen, so that the panels keep their widths in one row.
    if (!m_placed || width() != m_placedWidth || isMaximized() || isFullScreen())
        return;
    const QWidget *panels = m_statusPanels[0]->parentWidget();
    // The status bar's own hint lags behind the new text; its panels' layout does not.
    const int wanted = panels->sizeHint().width() + width() - panels->width();
    const QScreen *s = screen();
    const int room =
        s ? s->availableGeometry().width() - (frameGeometry().width() - width()) : wanted;
    if (wanted > width() && wanted <= room) {
        resize(wanted, height());
        m_placedWidth = wanted;
    }
}

void MainWindow::showStartCaption(const QString &caption, int colourValue)
{
    m_panel->start->setText(caption);
    setFontColour(m_panel->start, ::colourValue(colourValue));
}

void MainWindow::showPicturePath(const QString &text)
{
    m_panel->picturePathBox->setText(text);
}

void MainWindow::showFramesText(const QString &text)
{
    m_panel->framesBox->setText(text);
}

void MainWindow::showTimeText(const QString &text)
{
    m_panel->timeBox->setText(text);
}

void MainWindow::showIntervalText(const QString &text)
{
    m_panel->intervalBox->setText(text);
}

void MainWindow::showMaxStepText(const QString &text)
{
    m_panel->maxStepBox->setText(text);
}

bool MainWindow::isPreviewChecked() const
{
    return m_panel->preview->isChecked();
}

void MainWindow::setPreviewChecked(bool checked)
{
    m_panel->preview->setChecked(checked);
}

bool MainWindow::isOverlayChecked() const
{
    return m_panel->overlay->isChecked();
}

void MainWindow::setOverlayChecked(bool checked)
{
    m_panel->overlay->setChecked(checked);
}

void MainWindow::setOverlayEnabled(bool enabled)
{
    m_panel->overlay->setEnabled(enabled);
}

bool MainWindow::isFitChecked() const
{
    return m_panel->fit->isChecked();
}

void MainWindow::setFitEnabled(bool enabled)
{
    m_panel->fit->setEnabled(enabled);
}

void MainWindow::setIntervalArrowsPosition(int position)
{
    m_panel->intervalArrows->setPosition(position);
}

void MainWindow::showStepMode(const QString &stepCaption, bool stepArrowsShown)
{
    m_panel->step->setText(stepCaption);
    m_panel->stepArrows->setVisible(stepArrowsShown);
    m_panel->maxArrows->setVisible(!stepArrowsShown);
}

int MainWindow::maxArrowsIncrement() const
{
    return m_panel->maxArrows->increment();
}

int MainWindow::maxArrowsPosition() const
{
    return m_panel->maxArrows->position();
}

void MainWindow::setMaxArrowsPosition(int position)
{
    m_panel->maxArrows->setPosition(position);
}

void MainWindow::setMaxArrowsIncrement(int increment)
{
    m_panel->maxArrows->setIncrement(increment);
    m_panel->stepArrows->setPosition(increment);
}

void MainWindow::setStartAndAboutEnabled(bool enabled)
{
    m_panel->start->setEnabled(enabled);
    m_panel->about->setEnabled(enabled);
}

void MainWindow::showMotionIndicator(Indicator state)
{
    m_panel->motionIndicator->setState(state);
}

void MainWindow::setMotionIndicatorBoxShown(bool shown)
{
    m_panel->motionIndicator->setBoxShown(shown);
}

void MainWindow::setMotionIndicatorBoxChecked(bool checked)
{
    m_panel->motionIndicator->setBoxChecked(checked);
}

void MainWindow::setStartEnabled(bool enabled)
{
    m_panel->start->setEnabled(enabled);
}

void MainWindow::setViewEnabled(bool enabled)
{
    m_panel->view->setEnabled(enabled);
}

void MainWindow::setStatusBarHint(const QString &hint)
{
    statusBar()->setToolTip(hint);
}

void MainWindow::setPanelEnabled(bool enabled)
{
    for (QWidget *w :
         {static_cast<QWidget *>(m_panel), static_cast<QWidget *>(m_panel->input),
          static_cast<QWidget *>(m_panel->driver), static_cast<QWidget *>(m_panel->format)})
        w->setEnabled(enabled);
}

void MainWindow::setVideoAreaVisible(bool visible)
{
    m_videoArea->setVisible(visible);
}

void MainWindow::repaintVideoArea()
{
    m_videoArea->repaint();
    update();
}

void MainWindow::redrawVideoArea()
{
    m_videoArea->hide();
    m_videoArea->show();
    m_videoArea->repaint();
}

void MainWindow::blackVideoArea()
{
    QPalette black = m_videoArea->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_videoArea->setPalette(black);
    repaintVideoArea();
}

void MainWindow::uncoverVideoArea()
{
    m_videoCover->hide();
}

void MainWindow::setLoadingShown(bool shown)
{
    m_loadingPanel->setVisible(shown);
    if (shown) {
        m_loadingPanel->raise();
        repaint();
    }
}

void MainWindow::setDriverEnabled(bool enabled)
{
    m_panel->driver->setEnabled(enabled);
}

void MainWindow::setProgCaptionColour(int colourValue)
{
    setFontColour(m_panel->prog, ::colourValue(colourValue));
}

QPoint MainWindow::centre() const
{
    return frameGeometry().center();
}

void MainWindow::embedCaptureWindow(QWidget *window)
{
    m_captureWindow = window;
    window->setParent(m_videoArea);
    window->setGeometry(m_videoArea->rect());
    // Below the cover and the caption line, which show over the live picture.
    window->lower();
    window->show();
}

QSize MainWindow::captureWindowSize() const
{
    return frameGeometry().size();
}

void MainWindow::setInputEnabled(bool enabled)
{
    // Not the window itself: that would disable the tool windows it owns, the viewer among them.
    centralWidget()->setEnabled(enabled);
    statusBar()->setEnabled(enabled);
}

void MainWindow::embedFullScreenView(QWidget *pictureArea, QWidget *toolbar)
{
    m_fullScreenArea = pictureArea;
    m_fullScreenToolbar = toolbar;
    for (QWidget *w : {pictureArea, toolbar}) {
        w->setParent(centralWidget());
        w->hide();
    }
    placeFullScreenView();
}

void MainWindow::placeFullScreenView()
{
    if (!m_fullScreenArea || !m_fullScreenToolbar)
        return;
    const QRect client = centralWidget()->rect();
    m_fullScreenArea->setGeometry(client);
    // Below the control panel when the user shows it over the full-screen view.
    int top = 0;
    if (m_panel->isVisible())
        top = m_panel->hasHeightForWidth() ? m_panel->heightForWidth(client.width())
                                           : m_panel->sizeHint().height();
    m_fullScreenToolbar->setGeometry(0, top, client.width(),
                                     m_fullScreenToolbar->sizeHint().height());
}

void MainWindow::showFullScreenView(bool shown)
{
    m_fullScreenPictureVisible = shown;
    if (!m_fullScreenArea || !m_fullScreenToolbar)
        return;
    if (shown) {
        m_videoCover->hide();
        m_videoArea->hide();
        m_panel->hide();
        placeFullScreenView();
        m_fullScreenArea->show();
        m_fullScreenToolbar->show();
        m_fullScreenToolbar->raise();
        m_pictureCaption->raise();
    } else {
        m_pictureCaption->hide();
        m_fullScreenArea->hide();
        if (!m_state.DriverChosen())
            m_videoCover->show();
        m_panel->show();
        m_fullScreenToolbar->hide();
        m_videoArea->show();
    }
}

void MainWindow::setPictureCaption(const QString &text, QPoint topLeft)
{
    // A size of its own, set only when it changes: a new text then does not ask the whole
    // window to be laid out again, as it would at every step through the pictures.
    m_pictureCaption->setText(text);
    m_pictureCaption->setFixedSize(QSize(225, 12).expandedTo(m_pictureCaption->sizeHint()));
    m_pictureCaption->move(topLeft);
}

void MainWindow::setPictureCaptionShown(bool shown)
{
    m_pictureCaption->setVisible(shown);
    if (shown)
        m_pictureCaption->raise();
}

void MainWindow::hidePictureCaption()
{
    m_pictureCaption->hide();
}

void MainWindow::hideControlPanel()
{
    m_panel->hide();
    if (m_fullScreenToolbar)
        m_fullScreenToolbar->hide();
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
    m_state.setMaxFrames(10 * m_panel->maxArrows->position());
}

void MainWindow::exitRoutine()
{
    m_click.play();
    close();
}

void MainWindow::placeOnScreen()
{
    // The stated outer size, frame included, or wider when the panel needs it for one row or
    // the status panels for their stated widths; within the screen, never below the minimum;
    // then centred.
    setMinimumSize(
        minimumWindowSize(this, m_panel, statusBar()->findChild<QWidget *>("statusPanels")));
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QSize frameSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    const int content = std::max(m_panel->sizeHint().width(), statusBar()->sizeHint().width());
    QSize outer(std::max(OuterWidth, content + frameSize.width()), OuterHeight);
    QScreen *s = screen();
    if (s)
        outer = outer.boundedTo(s->availableGeometry().size());
    const QSize client = (outer - frameSize).expandedTo(minimumSize());
    resize(client);
    m_placedWidth = client.width();
    if (s) {
        QRect placed(QPoint(), client + frameSize);
        placed.moveCenter(s->availableGeometry().center());
        move(placed.topLeft());
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
    emit resized();
    if (m_panel->overlay->isChecked()) {
        fillVideoArea();
        if (m_panel->isVisible())
            emit overlayReactionNeeded();
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    emit closing();
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
    if (event->type() == QEvent::Resize && watched == centralWidget())
        placeFullScreenView();
    if ((event->type() == QEvent::Show || event->type() == QEvent::Hide) && watched == m_panel) {
        // The caption line never shows with the panel, which covers its place.
        if (event->type() == QEvent::Show)
            m_pictureCaption->hide();
        placeFullScreenView();
    }
    if (event->type() == QEvent::Resize && watched == m_videoArea) {
        m_videoCover->setGeometry(m_videoArea->rect());
        // The live picture follows the video area as the window grows or shrinks.
        if (m_captureWindow)
            m_captureWindow->resize(m_videoArea->size());
        if (m_loadingPanel) {
            QRect r = m_loadingPanel->geometry();
            r.moveCenter(centralWidget()->rect().center());
            m_loadingPanel->setGeometry(r);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
