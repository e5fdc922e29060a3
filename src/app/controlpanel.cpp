#include "app/controlpanel.h"

#include "app/updowncontrol.h"
#include "store/controltexts.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

namespace {
constexpr int GroupHeight = 81;
constexpr int ButtonTop = 16;
constexpr int ButtonWidth = 39;
constexpr int ButtonHeight = 25;
constexpr int BoxTop = 49;
constexpr int BoxHeight = 22;
const QColor Green(0, 128, 0);

QPushButton *button(QGroupBox *group, int index, const QString &caption, const QString &hint,
                    const char *name, const QColor &colour = Green)
{
    auto *b = new QPushButton(caption, group);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setGeometry(6 + index * (ButtonWidth + 2), ButtonTop, ButtonWidth, ButtonHeight);
    b->setFocusPolicy(Qt::TabFocus);
    QFont font = b->font();
    font.setPixelSize(10);
    b->setFont(font);
    setFontColour(b, colour);
    return b;
}

QLineEdit *displayBox(QGroupBox *group, const QString &text, const QString &hint, const char *name,
                      int width)
{
    auto *box = new QLineEdit(text, group);
    box->setObjectName(name);
    box->setToolTip(hint);
    box->setAccessibleName(hint);
    box->setReadOnly(true);
    box->setGeometry(6, BoxTop, width, BoxHeight);
    box->setTextMargins(0, 0, 0, 0);
    QFont font = box->font();
    font.setPixelSize(10);
    box->setFont(font);
    return box;
}

QCheckBox *checkBox(QGroupBox *group, const QString &caption, const QString &hint, const char *name,
                    int y, bool checked)
{
    auto *box = new QCheckBox(caption, group);
    box->setObjectName(name);
    box->setToolTip(hint);
    box->setGeometry(6, y, 74, 19);
    box->setChecked(checked);
    return box;
}
} // namespace

void setFontColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

QColor colourValue(int red)
{
    return QColor(red, 0, 0);
}

ControlPanel::ControlPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName("controlPanel");
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    QPalette silver = palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(silver);
    // Small type, so that the captions and the longest box texts fit the fixed group sizes.
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);

    buildTvVideo(addGroup("Tv-video", 2, 122));
    buildConfiguration(addGroup("Configuration", 126, 134));
    buildTimer(addGroup("Timer ", 262, 134));
    buildHarddisk(addGroup("Harddisk", 398, 134));
    buildProgram(addGroup("Program ", 534, 128));
    buildOptions(addGroup("Options", 664, 130));
}

QGroupBox *ControlPanel::addGroup(const QString &caption, int x, int width)
{
    auto *group = new QGroupBox(caption, this);
    group->setGeometry(x, 1, width, GroupHeight);
    group->installEventFilter(this);
    m_groups << group;
    return group;
}

void ControlPanel::buildTvVideo(QGroupBox *group)
{
    preview = checkBox(group, "Preview", "Preview image of video", "preview", 14, true);
    overlay = checkBox(group, "Overlay", "Overlay image of video", "overlay", 35, false);
    fit = checkBox(group, "Fit ", "Fit videoimage to screensize", "fit", 56, true);

    motionIndicator = new QFrame(group);
    motionIndicator->setObjectName("motionIndicator");
    motionIndicator->setToolTip("Motion detection indicator");
    motionIndicator->setAccessibleName("Motion detection indicator");
    motionIndicator->setFrameShape(QFrame::Box);
    motionIndicator->setAutoFillBackground(true);
    motionIndicator->setGeometry(84, 20, 26, 26);
    motionIndicatorBox = new QCheckBox(group);
    motionIndicatorBox->setObjectName("motionIndicatorBox");
    motionIndicatorBox->setToolTip("Motion indicator");
    motionIndicatorBox->setAccessibleName("Motion indicator");
    motionIndicatorBox->setEnabled(false);
    motionIndicatorBox->setGeometry(89, 24, 17, 17);
    auto *label = new QLabel("M.I.", group);
    label->setGeometry(86, 50, 26, 14);
}

void ControlPanel::buildConfiguration(QGroupBox *group)
{
    input = button(group, 0, "Input ", "Video input dialog", "input", Qt::black);
    format = button(group, 1, "Format", "Capture format settings", "format", Qt::black);
    driver = button(group, 2, "Driver", "Video Capture Driver dialog", "driver");
    picturePathBox = displayBox(group, "1/capture.jpg", "Shows the current dir of picture",
                                "picturePathBox", 122);
}

void ControlPanel::buildTimer(QGroupBox *group)
{
    finePlus = button(group, 0, "Fine +", "Finetuning + interval timer", "finePlus");
    fineMinus = button(group, 1, "Fine -", "Finetuning - interval timer", "fineMinus");
    start = button(group, 2, "Start", "Start or stop capture", "start", colourValue(1));
    intervalBox = displayBox(group, ControlTexts::intervalBox(5, QLocale()),
                             "Shows the intervaltime between each videoframe", "intervalBox", 106);
    intervalArrows = new UpDownControl(1, 999, 1, 5, group);
    intervalArrows->setObjectName("intervalArrows");
    intervalArrows->setAccessibleName("interval arrows");
    intervalArrows->setGeometry(112, BoxTop, 16, BoxHeight);
}

void ControlPanel::buildHarddisk(QGroupBox *group)
{
    step = button(group, 0, "Step", "Stepsize frames", "step");
    clear = button(group, 1, "Clear", "Delete pictures from disk", "clear");
    reset = button(group, 2, "Reset", "Restart capture on picture no.", "reset");
    maxStepBox = displayBox(group, ControlTexts::maxBox(250),
                            "Shows stepsize or max. frames to capture", "maxStepBox", 106);
    maxArrows = new UpDownControl(1, 32000, 25, 25, group);
    maxArrows->setObjectName("maxArrows");
    maxArrows->setAccessibleName("max. frames arrows");
    maxArrows->setGeometry(112, BoxTop, 16, BoxHeight);
    stepArrows = new UpDownControl(1, 10000, 10, 25, group);
    stepArrows->setObjectName("stepArrows");
    stepArrows->setAccessibleName("stepsize arrows");
    stepArrows->setGeometry(112, BoxTop, 16, BoxHeight);
    stepArrows->hide();
}

void ControlPanel::buildProgram(QGroupBox *group)
{
    about = button(group, 0, "About", "Displays about box Tessaly", "about");
    info = button(group, 1, "Info", "Program info and timer-motiondetection report", "info");
    prog = button(group, 2, "Prog.", "Timer - motiondetection settings", "prog", Qt::black);
    framesBox = displayBox(group, ControlTexts::initialFramesBox(), "Total frames captured",
                           "framesBox", 116);
}

void ControlPanel::buildOptions(QGroupBox *group)
{
    pref = button(group, 0, "Pref.", "Preferences menu", "pref");
    view = button(group, 1, "View", "Pictureviewer", "view");
    exit = button(group, 2, "Exit", "Shutdown program", "exit");
    timeBox = displayBox(group, "    ", "System time or start time capture", "timeBox", 118);
}

void ControlPanel::mouseDoubleClickEvent(QMouseEvent *)
{
    emit doubleClicked();
}

bool ControlPanel::eventFilter(QObject *watched, QEvent *event)
{
    // A double click on a group does nothing; it must not reach the panel and hide it.
    if (event->type() == QEvent::MouseButtonDblClick && m_groups.contains(watched))
        return true;
    return QFrame::eventFilter(watched, event);
}
