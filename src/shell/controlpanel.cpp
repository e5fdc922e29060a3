#include "shell/controlpanel.h"

#include "shell/boxfit.h"
#include "shell/controltexts.h"
#include "shell/flowlayout.h"
#include "shell/motionindicator.h"
#include "shell/picturenames.h"
#include "shell/updowncontrol.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStyleOption>
#include <QVBoxLayout>

#include <algorithm>

namespace {
const QColor Green(0, 128, 0);
// Gaps between the groups and inside them: the panel is dense by design.
constexpr int GroupGap = 2;
constexpr int InnerGap = 2;
// At the default font each group is 81 px high and the panel 84; a larger font makes them taller.
constexpr int LeastGroupHeight = 81;

// A panel button as wide as its caption. Some styles ask 80 px for any caption, which would
// not let three of them share a group.
class CaptionButton : public QPushButton
{
public:
    using QPushButton::QPushButton;

    QSize sizeHint() const override
    {
        QSize hint = QPushButton::sizeHint();
        QStyleOptionButton option;
        initStyleOption(&option);
        option.rect = QRect(QPoint(), hint);
        const QRect label = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
        const QFontMetrics metrics = fontMetrics();
        hint.setWidth(hint.width() - label.width() + metrics.horizontalAdvance(text()) +
                      metrics.averageCharWidth() / 2);
        return hint;
    }
    QSize minimumSizeHint() const override { return sizeHint(); }
};

// A read-only line of the panel, wide enough for the longest texts it can show, so that none
// is cut and the panel does not shift while the numbers in it grow; a text longer still
// widens it.
class DisplayBox : public QLineEdit
{
public:
    DisplayBox(const QString &text, const QStringList &longestTexts, QWidget *parent)
        : QLineEdit(text, parent), m_longestTexts(longestTexts)
    {
        connect(this, &QLineEdit::textChanged, this, [this] { updateGeometry(); });
    }

    QSize sizeHint() const override
    {
        ensurePolished();
        int width = BoxFit::lineEditWidth(this, text());
        for (const QString &longest : m_longestTexts)
            width = std::max(width, BoxFit::lineEditWidth(this, longest));
        return QSize(width, QLineEdit::sizeHint().height());
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

private:
    QStringList m_longestTexts;
};

QPushButton *button(QGroupBox *group, const QString &caption, const QString &hint, const char *name,
                    QKeyCombination shortcut, const QColor &colour = Green)
{
    auto *b = new CaptionButton(caption, group);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setFocusPolicy(Qt::TabFocus);
    // Alt+letter, as a mnemonic would give, without an '&' in the caption.
    b->setShortcut(QKeySequence(shortcut));
    setFontColour(b, colour);
    return b;
}

QLineEdit *displayBox(QGroupBox *group, const QString &text, const QStringList &longestTexts,
                      const QString &hint, const char *name)
{
    auto *box = new DisplayBox(text, longestTexts, group);
    box->setObjectName(name);
    box->setToolTip(hint);
    box->setAccessibleName(hint);
    box->setReadOnly(true);
    box->setTextMargins(0, 0, 0, 0);
    return box;
}

QCheckBox *checkBox(QGroupBox *group, const QString &caption, const QString &hint, const char *name,
                    bool checked)
{
    auto *box = new QCheckBox(caption, group);
    box->setObjectName(name);
    box->setToolTip(hint);
    box->setChecked(checked);
    return box;
}

// The usual shape of a group: three buttons over a display box and its arrows, if any.
void placeButtonsAndBox(QGroupBox *group, std::initializer_list<QPushButton *> buttons,
                        QLineEdit *box, std::initializer_list<UpDownControl *> arrows = {})
{
    auto *column = new QVBoxLayout(group);
    column->setContentsMargins(InnerGap + 1, InnerGap, InnerGap + 1, InnerGap + 1);
    column->setSpacing(InnerGap + 1);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->setSpacing(InnerGap);
    for (QPushButton *b : buttons)
        buttonRow->addWidget(b, 1);
    column->addLayout(buttonRow);
    auto *boxRow = new QHBoxLayout;
    boxRow->setSpacing(0);
    boxRow->addWidget(box, 1);
    for (UpDownControl *a : arrows) {
        BoxFit::arrowsBesideBox(a);
        boxRow->addWidget(a);
    }
    column->addLayout(boxRow);
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

    // At the default size the six groups stand in one row; a narrower window wraps them.
    auto *groups = new FlowLayout(2, this);
    // With the panel's border the row of groups makes the panel 84 px high.
    groups->setContentsMargins(GroupGap, 0, GroupGap, GroupGap / 2);
    groups->setSpacing(GroupGap);
    buildTvVideo(addGroup("Tv-video"));
    buildConfiguration(addGroup("Configuration"));
    buildTimer(addGroup("Timer "));
    buildHarddisk(addGroup("Harddisk"));
    buildProgram(addGroup("Program "));
    buildOptions(addGroup("Options"));
}

QGroupBox *ControlPanel::addGroup(const QString &caption)
{
    auto *group = new QGroupBox(caption, this);
    group->setMinimumHeight(LeastGroupHeight);
    group->installEventFilter(this);
    layout()->addWidget(group);
    m_groups << group;
    return group;
}

void ControlPanel::buildTvVideo(QGroupBox *group)
{
    preview = checkBox(group, "Preview", "Preview image of video", "preview", true);
    overlay = checkBox(group, "Overlay", "Overlay image of video", "overlay", false);
    fit = checkBox(group, "Fit ", "Fit videoimage to screensize", "fit", true);

    motionIndicator = new MotionIndicator(group);
    auto *label = new QLabel("M.I.", group);

    auto *grid = new QGridLayout(group);
    grid->setContentsMargins(InnerGap + 1, 0, InnerGap + 1, InnerGap);
    grid->setHorizontalSpacing(InnerGap * 2);
    grid->setVerticalSpacing(0);
    grid->addWidget(preview, 0, 0);
    grid->addWidget(overlay, 1, 0);
    grid->addWidget(fit, 2, 0);
    grid->addWidget(motionIndicator, 0, 1, 2, 1, Qt::AlignCenter);
    grid->addWidget(label, 2, 1, Qt::AlignHCenter | Qt::AlignTop);
}

void ControlPanel::buildConfiguration(QGroupBox *group)
{
    input = button(group, "Input ", "Video input dialog", "input", Qt::ALT | Qt::Key_I, Qt::black);
    format = button(group, "Format", "Capture format settings", "format", Qt::ALT | Qt::Key_F,
                    Qt::black);
    driver = button(group, "Driver", "Video Capture Driver dialog", "driver", Qt::ALT | Qt::Key_D);
    using namespace PictureStore;
    const QString lastPicture =
        PicturePath(DirectoryCount, DirectoryCount * PicturesPerDirectory - 1);
    picturePathBox = displayBox(group, "1/capture.jpg", {lastPicture},
                                "Shows the current dir of picture", "picturePathBox");
    placeButtonsAndBox(group, {input, format, driver}, picturePathBox);
}

void ControlPanel::buildTimer(QGroupBox *group)
{
    finePlus =
        button(group, "Fine +", "Finetuning + interval timer", "finePlus", Qt::ALT | Qt::Key_Plus);
    fineMinus = button(group, "Fine -", "Finetuning - interval timer", "fineMinus",
                       Qt::ALT | Qt::Key_Minus);
    start = button(group, "Start", "Start or stop capture", "start", Qt::ALT | Qt::Key_S,
                   colourValue(1));
    intervalBox = displayBox(group, ControlTexts::intervalBox(5, QLocale()),
                             {ControlTexts::intervalBox(999.99, QLocale())},
                             "Shows the intervaltime between each videoframe", "intervalBox");
    intervalArrows = new UpDownControl(1, 999, 1, 5, group);
    intervalArrows->setObjectName("intervalArrows");
    intervalArrows->setAccessibleName("interval arrows");
    placeButtonsAndBox(group, {finePlus, fineMinus, start}, intervalBox, {intervalArrows});
}

void ControlPanel::buildHarddisk(QGroupBox *group)
{
    step = button(group, "Step", "Stepsize frames", "step", Qt::ALT | Qt::Key_T);
    clear = button(group, "Clear", "Delete pictures from disk", "clear", Qt::ALT | Qt::Key_C);
    reset = button(group, "Reset", "Restart capture on picture no.", "reset", Qt::ALT | Qt::Key_R);
    maxStepBox = displayBox(group, ControlTexts::maxBox(250),
                            {ControlTexts::maxBox(320000), ControlTexts::stepBox(10000)},
                            "Shows stepsize or max. frames to capture", "maxStepBox");
    maxArrows = new UpDownControl(1, 32000, 25, 25, group);
    maxArrows->setObjectName("maxArrows");
    maxArrows->setAccessibleName("max. frames arrows");
    stepArrows = new UpDownControl(1, 10000, 10, 25, group);
    stepArrows->setObjectName("stepArrows");
    stepArrows->setAccessibleName("stepsize arrows");
    stepArrows->hide();
    // The two pairs of arrows share one place; only one of them is shown at a time.
    placeButtonsAndBox(group, {step, clear, reset}, maxStepBox, {maxArrows, stepArrows});
}

void ControlPanel::buildProgram(QGroupBox *group)
{
    about = button(group, "About", "Displays about box Tessaly", "about", Qt::ALT | Qt::Key_A);
    info = button(group, "Info", "Program info and timer-motiondetection report", "info",
                  Qt::ALT | Qt::Key_N);
    prog = button(group, "Prog.", "Timer - motiondetection settings", "prog", Qt::ALT | Qt::Key_G,
                  Qt::black);
    framesBox = displayBox(group, ControlTexts::initialFramesBox(),
                           {ControlTexts::framesBox(320000)}, "Total frames captured", "framesBox");
    placeButtonsAndBox(group, {about, info, prog}, framesBox);
}

void ControlPanel::buildOptions(QGroupBox *group)
{
    pref = button(group, "Pref.", "Preferences menu", "pref", Qt::ALT | Qt::Key_P);
    view = button(group, "View", "Pictureviewer", "view", Qt::ALT | Qt::Key_V);
    exit = button(group, "Exit", "Shutdown program", "exit", Qt::ALT | Qt::Key_E);
    timeBox = displayBox(group, "    ", {"Systemtime = 00:00:00", "Start time =  00:00:00"},
                         "System time or start time capture", "timeBox");
    placeButtonsAndBox(group, {pref, view, exit}, timeBox);
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
