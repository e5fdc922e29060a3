#include "programs/timermotionmenu.h"

#include "capture/captureruncontrol.h"
#include "motion/motioncapture.h"
#include "shell/applicationstate.h"
#include "shell/boxfit.h"
#include "shell/motionhost.h"
#include "shell/sound.h"
#include "shell/toolwindows.h"
#include "shell/updowncontrol.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {
const char *const RefusalHint = "choose a video driver and/or format first!";
constexpr int MinFrames = 10;
constexpr int MaxFrames = 30000;
constexpr int MinGrid = 1;
constexpr int MaxGrid = 100;
constexpr int DefaultLightPercent = 50;

QString framesText(int frames)
{
    return QString::number(frames) + QStringLiteral("  frames");
}

QLineEdit *readOnlyBox(QWidget *parent, const QString &text, const QString &widest,
                       const char *name, const QString &hint)
{
    auto *box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setAccessibleName(hint);
    box->setFixedWidth(BoxFit::lineEditWidth(box, widest));
    return box;
}

UpDownControl *arrows(QWidget *parent, int minimum, int maximum, int increment, int position,
                      const char *name)
{
    auto *control = new UpDownControl(minimum, maximum, increment, position, parent);
    control->setObjectName(name);
    control->setAccessibleName(QString::fromLatin1(name));
    BoxFit::arrowsBesideBox(control);
    return control;
}
} // namespace

TimerMotionMenu::TimerMotionMenu(QWidget *parent, CaptureView &view, MotionHost &host,
                                 ApplicationState &state, Sound &click, CaptureRunControl &run,
                                 MotionCapture &motion, TimerProgramRunner &runner,
                                 ToolWindows &tools)
    : CaptureToolWindow(parent, view, " Timer-motion detection menu", QSize(330, 320)),
      m_host(host), m_state(state), m_click(click), m_run(run), m_motion(motion), m_tools(tools),
      m_runner(runner)
{
    setObjectName("timerMotionMenu");
    auto *ok = new QPushButton("OK", this);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    auto *cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("cancelButton");
    connect(ok, &QPushButton::clicked, this, &TimerMotionMenu::ok);
    connect(cancel, &QPushButton::clicked, this, &TimerMotionMenu::cancel);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(ok, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel, QDialogButtonBox::RejectRole);

    auto *layout = new QVBoxLayout(this);
    // The sun choice sits beside the timer group and leaves it as it is.
    auto *timerRow = new QHBoxLayout;
    timerRow->addWidget(buildTimerGroup(), 1);
    timerRow->addWidget(buildSunGroup());
    layout->addLayout(timerRow);
    // Today's times of a program that follows the sun, across the menu's width.
    m_sunDay = new QLabel(this);
    m_sunDay->setObjectName("sunDay");
    m_sunDay->setWordWrap(true);
    m_sunDay->hide();
    layout->addWidget(m_sunDay);
    layout->addWidget(buildMotionGroup());
    layout->addStretch(1);
    layout->addWidget(buttons);
    tools.add(ToolWindows::Role::TimerMotionMenu, this, [this] { showCentred(); });
}

QWidget *TimerMotionMenu::buildTimerGroup()
{
    auto *group = new QGroupBox("Timer", this);
    auto *grid = new QGridLayout(group);
    struct Row
    {
        const char *caption;
        QLineEdit **hours;
        QLineEdit **minutes;
        const char *name;
    };
    const Row rows[] = {{"Starttime", &m_startHours, &m_startMinutes, "start"},
                        {"Endtime", &m_endHours, &m_endMinutes, "end"}};
    int row = 0;
    auto arrowSlot = m_timeArrows.begin();
    for (const Row &r : rows) {
        const QString name = QString::fromLatin1(r.name);
        auto *hours = readOnlyBox(group, "12", "23", qPrintable(name + "Hours"),
                                  QString::fromLatin1(r.caption) + QStringLiteral(" hours"));
        auto *minutes = readOnlyBox(group, "00", "59", qPrintable(name + "Minutes"),
                                    QString::fromLatin1(r.caption) + QStringLiteral(" minutes"));
        // One step past either end wraps round: the arrows' own range reaches one further.
        auto *hourArrows = arrows(group, -1, 25, 1, 12, qPrintable(name + "HoursArrows"));
        auto *minuteArrows = arrows(group, -1, 60, 1, 0, qPrintable(name + "MinutesArrows"));
        connect(hourArrows, &UpDownControl::clicked, this, [this, hours, hourArrows](int position) {
            const int hour = position > 23 ? 0 : position < 0 ? 23 : position;
            hourArrows->setPosition(hour);
            hours->setText(QString::number(hour));
            updateTimes();
        });
        connect(minuteArrows, &UpDownControl::clicked, this,
                [this, minutes, minuteArrows](int position) {
                    const int minute = position >= 60 ? 0 : position < 0 ? 59 : position;
                    minuteArrows->setPosition(minute);
                    minutes->setText(QString::number(minute).rightJustified(2, QLatin1Char('0')));
                    updateTimes();
                });
        *r.hours = hours;
        *r.minutes = minutes;
        *arrowSlot++ = hourArrows;
        *arrowSlot++ = minuteArrows;
        grid->addWidget(new QLabel(r.caption, group), row, 0);
        grid->addWidget(hours, row, 1);
        grid->addWidget(hourArrows, row, 2);
        grid->addWidget(new QLabel("Hrs", group), row, 3);
        grid->addWidget(minutes, row, 4);
        grid->addWidget(minuteArrows, row, 5);
        grid->addWidget(new QLabel("min", group), row, 6);
        ++row;
    }
    grid->setColumnStretch(7, 1);
    m_activateTimer = new QCheckBox("Activate timer", group);
    m_activateTimer->setObjectName("activateTimer");
    m_activateTimer->setToolTip("Choose a videodriver and/or format first !");
    m_activateTimer->installEventFilter(this);
    connect(m_activateTimer, &QCheckBox::toggled, this, &TimerMotionMenu::timerToggled);
    grid->addWidget(m_activateTimer, row, 0, 1, 7);
    return group;
}

QWidget *TimerMotionMenu::buildSunGroup()
{
    auto *group = new QGroupBox("Sun", this);
    group->setObjectName("sunGroup");
    auto *grid = new QGridLayout(group);
    const char *const captions[] = {"Start at", "End at"};
    const char *const names[] = {"start", "end"};
    for (int row = 0; row < 2; ++row) {
        const QString name = QString::fromLatin1(names[row]);
        auto *follows = new QComboBox(group);
        follows->setObjectName(name + "Follows");
        follows->setAccessibleName(QString::fromLatin1(captions[row]));
        follows->addItems({"clock", "sunrise", "sunset"});
        auto *offset = new QSpinBox(group);
        offset->setObjectName(name + "SunOffset");
        offset->setAccessibleName(QString::fromLatin1(captions[row]) +
                                  QStringLiteral(" minutes from the sun"));
        offset->setRange(-DayTime::MaxOffsetMinutes, DayTime::MaxOffsetMinutes);
        offset->setSuffix(" min");
        offset->setEnabled(false);
        connect(follows, &QComboBox::currentIndexChanged, this, [this, offset](int index) {
            offset->setEnabled(index > 0);
            m_place->setEnabled(m_follows[0]->currentIndex() > 0 ||
                                m_follows[1]->currentIndex() > 0);
            updateTimes();
        });
        connect(offset, &QSpinBox::valueChanged, this, [this] { updateTimes(); });
        m_follows[row] = follows;
        m_sunOffsets[row] = offset;
        grid->addWidget(new QLabel(captions[row], group), row, 0);
        grid->addWidget(follows, row, 1);
        grid->addWidget(offset, row, 2);
    }
    m_place = new QLineEdit(group);
    m_place->setObjectName("sunPlace");
    m_place->setAccessibleName("Latitude, longitude");
    m_place->setPlaceholderText("52.52,13.40");
    m_place->setEnabled(false);
    connect(m_place, &QLineEdit::textEdited, this, [this] { updateTimes(); });
    grid->addWidget(new QLabel("Place", group), 2, 0);
    grid->addWidget(m_place, 2, 1, 1, 2);
    grid->setRowStretch(3, 1);
    return group;
}

QWidget *TimerMotionMenu::buildMotionGroup()
{
    auto *group = new QGroupBox("Motion detection", this);
    auto *grid = new QGridLayout(group);
    m_activateMD = new QCheckBox("Activate MD", group);
    m_activateMD->setObjectName("activateMD");
    m_activateMD->setToolTip("Choose a video driver and/or format first !");
    m_activateMD->installEventFilter(this);
    connect(m_activateMD, &QCheckBox::toggled, this, &TimerMotionMenu::motionToggled);

    m_framesLabel = new QLabel("Frames to capture after MD", group);
    m_frames = readOnlyBox(group, framesText(MinFrames), framesText(MaxFrames), "framesAfterMotion",
                           "Frames to capture after MD");
    m_framesArrows = arrows(group, MinFrames, MaxFrames, 10, MinFrames, "framesArrows");
    m_framesArrows->setToolTip("Stepsize adjustable in main menu");
    connect(m_framesArrows, &UpDownControl::clicked, this, [this](int position) {
        m_frames->setText(framesText(position));
        m_motion.setFramesAfterMotion(position);
    });

    m_sensitivityLabel = new QLabel("Sensitivity Motion Detection", group);
    m_sensitivity = new QSlider(Qt::Horizontal, group);
    m_sensitivity->setObjectName("sensitivity");
    m_sensitivity->setAccessibleName("Sensitivity Motion Detection");
    m_sensitivity->setRange(MinGrid, MaxGrid);
    m_sensitivity->setValue(MotionCapture::DefaultGrid);
    m_sensitivityValue = new QLabel(QString::number(MotionCapture::DefaultGrid), group);
    m_sensitivityValue->setObjectName("sensitivityValue");
    m_sensitivityValue->setMinimumWidth(m_sensitivityValue->fontMetrics().horizontalAdvance("100"));
    connect(m_sensitivity, &QSlider::valueChanged, this, [this](int position) {
        m_sensitivityValue->setText(QString::number(position));
        m_motion.setGrid(position);
    });

    grid->addWidget(m_activateMD, 0, 0, 1, 4);
    grid->addWidget(m_framesLabel, 1, 0, 1, 4);
    auto *frames = new QHBoxLayout;
    frames->setSpacing(0);
    frames->addWidget(m_frames);
    frames->addWidget(m_framesArrows);
    frames->addStretch(1);
    grid->addLayout(frames, 2, 0, 1, 4);
    grid->addWidget(m_sensitivityLabel, 3, 0, 1, 4);
    grid->addWidget(new QLabel("1", group), 4, 0);
    grid->addWidget(m_sensitivity, 4, 1, 1, 2);
    grid->addWidget(m_sensitivityValue, 4, 3);
    grid->setColumnStretch(1, 1);
    buildRefinements(grid, group);
    setMotionControlsEnabled(false);
    return group;
}

void TimerMotionMenu::buildRefinements(QGridLayout *grid, QWidget *group)
{
    m_beforeMotionLabel = new QLabel("Pictures before motion", group);
    m_beforeMotion = new QSpinBox(group);
    m_beforeMotion->setObjectName("picturesBeforeMotion");
    m_beforeMotion->setAccessibleName("Pictures before motion");
    m_beforeMotion->setRange(0, PreCaptureRing::MaxFrames);
    m_beforeMotionCost = new QLabel(group);
    m_beforeMotionCost->setObjectName("picturesBeforeMotionCost");
    connect(m_beforeMotion, &QSpinBox::valueChanged, this, [this](int frames) {
        m_motion.setPicturesBeforeMotion(frames);
        showBeforeMotionCost();
    });
    showBeforeMotionCost();

    m_ignoreLight = new QCheckBox("Ignore light changes above", group);
    m_ignoreLight->setObjectName("ignoreLightChanges");
    m_lightPercent = new QSpinBox(group);
    m_lightPercent->setObjectName("lightChangePercent");
    m_lightPercent->setAccessibleName("Ignore light changes above");
    m_lightPercent->setRange(1, 100);
    m_lightPercent->setValue(DefaultLightPercent);
    m_lightPercent->setSuffix(" %");
    connect(m_ignoreLight, &QCheckBox::toggled, this, &TimerMotionMenu::applyLightChange);
    connect(m_lightPercent, &QSpinBox::valueChanged, this, &TimerMotionMenu::applyLightChange);

    m_maskButton = new QPushButton("Cells to ignore", group);
    m_maskButton->setObjectName("maskButton");
    connect(m_maskButton, &QPushButton::clicked, this, &TimerMotionMenu::maskEditorRequested);

    grid->addWidget(m_beforeMotionLabel, 5, 0, 1, 4);
    auto *before = new QHBoxLayout;
    before->addWidget(m_beforeMotion);
    before->addWidget(m_beforeMotionCost);
    before->addStretch(1);
    grid->addLayout(before, 6, 0, 1, 4);
    auto *light = new QHBoxLayout;
    light->addWidget(m_ignoreLight);
    light->addWidget(m_lightPercent);
    light->addStretch(1);
    grid->addLayout(light, 7, 0, 1, 4);
    grid->addWidget(m_maskButton, 8, 0, 1, 4, Qt::AlignLeft);
}

// The frames are kept whole, at the chosen picture size.
void TimerMotionMenu::showBeforeMotionCost()
{
    const double megabytes = m_motion.megabytesBeforeMotion(m_beforeMotion->value());
    m_beforeMotionCost->setText(QLocale::system().toString(megabytes, 'f', 1) +
                                QStringLiteral(" MB"));
}

void TimerMotionMenu::applyLightChange()
{
    m_motion.setLightChangePercent(m_ignoreLight->isChecked() ? m_lightPercent->value() : 0);
}

void TimerMotionMenu::setMotionControlsEnabled(bool enabled)
{
    for (QWidget *w : std::initializer_list<QWidget *>{
             m_frames, m_framesArrows, m_framesLabel, m_sensitivityLabel, m_beforeMotionLabel,
             m_beforeMotion, m_beforeMotionCost, m_ignoreLight, m_lightPercent, m_maskButton})
        w->setEnabled(enabled);
}

void TimerMotionMenu::open()
{
    // Today's sun times, which change from day to day.
    showSunDay();
    showBeforeMotionCost(); // the picture size may have changed
    m_tools.open(ToolWindows::Role::TimerMotionMenu);
}

bool TimerMotionMenu::captureReady() const
{
    return m_state.DriverChosen() && m_state.FormatChosen();
}

void TimerMotionMenu::refuse(QCheckBox *box)
{
    box->setToolTip(RefusalHint);
    box->setCursor(Qt::WhatsThisCursor);
    box->setChecked(false);
}

void TimerMotionMenu::motionToggled(bool checked)
{
    m_motion.setActivated(checked);
    if (m_state.CaptureRunning())
        m_run.startStop();
    if (!captureReady()) {
        refuse(m_activateMD);
        return;
    }
    m_activateMD->setToolTip(QString());
    if (checked) {
        m_activateTimer->setChecked(false);
        m_host.setMotionIndicatorBoxShown(false);
        m_host.showMotionIndicator(MotionHost::Indicator::Armed);
        m_activateMD->setCursor(Qt::ArrowCursor);
        setMotionControlsEnabled(true);
    } else {
        m_host.setMotionIndicatorBoxShown(true);
        m_host.setMotionIndicatorBoxChecked(false);
    }
}

DayTime TimerMotionMenu::sunTime(int row) const
{
    switch (m_follows[row]->currentIndex()) {
    case 1:
        return DayTime(DayTime::Anchor::Sunrise, m_sunOffsets[row]->value());
    case 2:
        return DayTime(DayTime::Anchor::Sunset, m_sunOffsets[row]->value());
    default:
        return DayTime(
            QTime(m_timeArrows[2 * row]->position(), m_timeArrows[2 * row + 1]->position()));
    }
}

bool TimerMotionMenu::updateTimes()
{
    const DayTime start = sunTime(0);
    const DayTime end = sunTime(1);
    TimerProgram &program = m_runner.program();
    if (!start.followsSun() && !end.followsSun()) {
        program.setTimes(start.clock(), end.clock());
        m_sunDay->clear();
        m_sunDay->hide();
        return true;
    }
    const Result<SunPlace> place = SunPlace::parse(m_place->text());
    if (!place) {
        // Until the place is one, the program keeps to the clock times beside.
        program.setTimes(QTime(m_timeArrows[0]->position(), m_timeArrows[1]->position()),
                         QTime(m_timeArrows[2]->position(), m_timeArrows[3]->position()));
        m_sunDay->setText(m_place->text().trimmed().isEmpty()
                              ? QStringLiteral("Give the place as latitude,longitude.")
                              : place.error());
        m_sunDay->show();
        return false;
    }
    program.setTimes(start, end, *place);
    m_sunDay->setText(m_runner.todayText());
    m_sunDay->show();
    return true;
}

void TimerMotionMenu::showSunDay()
{
    if (m_runner.program().followsSun())
        m_sunDay->setText(m_runner.todayText());
}

void TimerMotionMenu::timerToggled(bool checked)
{
    if (!captureReady()) {
        m_runner.program().setActive(false);
        refuse(m_activateTimer);
        return;
    }
    m_runner.program().setActive(checked);
    if (checked) {
        m_activateMD->setChecked(false);
        if (m_state.CaptureRunning())
            m_run.startStop();
    }
}

void TimerMotionMenu::ok()
{
    m_click.play();
    confirm();
}

void TimerMotionMenu::confirm()
{
    // A sun time without a place stays open to be mended; the reason is shown.
    if (!updateTimes()) {
        m_place->setFocus();
        return;
    }
    // The motion part.
    m_motion.renewBatchEnd();
    hide();
    m_host.setStartEnabled(true);
    if (m_activateTimer->isChecked()) {
        // The program starts capture at its start time.
        if (m_state.CaptureRunning())
            m_run.startStop();
    } else if (m_activateMD->isChecked()) {
        m_motion.setArmed(true);
        m_host.setMotionIndicatorBoxShown(false);
    } else {
        m_host.setMotionIndicatorBoxShown(true);
        m_motion.setArmed(false);
    }
    emit confirmed();
}

TimerMotionMenu::Values TimerMotionMenu::values() const
{
    Values v;
    v.from = QTime(m_timeArrows[0]->position(), m_timeArrows[1]->position());
    v.to = QTime(m_timeArrows[2]->position(), m_timeArrows[3]->position());
    v.timerOn = m_activateTimer->isChecked();
    const DayTime start = sunTime(0);
    const DayTime end = sunTime(1);
    if (start.followsSun())
        v.startSun = start;
    if (end.followsSun())
        v.endSun = end;
    if (const Result<SunPlace> place = SunPlace::parse(m_place->text());
        place && (v.startSun || v.endSun))
        v.place = *place;
    v.framesAfterMotion = m_framesArrows->position();
    v.grid = m_sensitivity->value();
    v.motionOn = m_activateMD->isChecked();
    v.picturesBeforeMotion = m_beforeMotion->value();
    v.ignoreLightAbove = m_ignoreLight->isChecked() ? m_lightPercent->value() : 0;
    return v;
}

void TimerMotionMenu::restore(const Values &values)
{
    const std::array<std::pair<QLineEdit *, int>, 4> times{{
        {m_startHours, values.from.hour()},
        {m_startMinutes, values.from.minute()},
        {m_endHours, values.to.hour()},
        {m_endMinutes, values.to.minute()},
    }};
    for (std::size_t i = 0; i < times.size(); ++i) {
        const auto [box, value] = times[i];
        m_timeArrows[i]->setPosition(value);
        box->setText(i % 2 == 0 ? QString::number(value)
                                : QString::number(value).rightJustified(2, QLatin1Char('0')));
    }
    const std::array<const std::optional<DayTime> *, 2> suns{&values.startSun, &values.endSun};
    for (std::size_t row = 0; row < suns.size(); ++row) {
        const std::optional<DayTime> &sun = *suns[row];
        m_sunOffsets[row]->setValue(sun ? sun->offsetMinutes() : 0);
        m_follows[row]->setCurrentIndex(!sun                                        ? 0
                                        : sun->anchor() == DayTime::Anchor::Sunrise ? 1
                                                                                    : 2);
    }
    m_place->setText(values.place ? values.place->text() : QString());
    const int frames = std::clamp(values.framesAfterMotion, MinFrames, MaxFrames);
    m_framesArrows->setPosition(frames);
    m_frames->setText(framesText(frames));
    m_motion.setFramesAfterMotion(frames);
    m_sensitivity->setValue(std::clamp(values.grid, MinGrid, MaxGrid));
    m_beforeMotion->setValue(std::clamp(values.picturesBeforeMotion, 0, PreCaptureRing::MaxFrames));
    if (values.ignoreLightAbove > 0)
        m_lightPercent->setValue(std::min(values.ignoreLightAbove, 100));
    m_ignoreLight->setChecked(values.ignoreLightAbove > 0);
    if (captureReady()) {
        m_activateTimer->setChecked(values.timerOn);
        m_activateMD->setChecked(values.motionOn && !values.timerOn);
    }
    confirm();
}

void TimerMotionMenu::cancel()
{
    // Nothing is undone: the edits, keys and boxes keep what the user set.
    m_click.play();
    hide();
}

void TimerMotionMenu::setFramesIncrement(int frames)
{
    m_framesArrows->setIncrement(frames);
}

void TimerMotionMenu::framesAfterMotionRenewed()
{
    m_motion.setFramesAfterMotion(m_framesArrows->position());
}

void TimerMotionMenu::uncheckMotionDetection()
{
    m_activateMD->setChecked(false);
}

void TimerMotionMenu::clearRefusalHints()
{
    for (QCheckBox *box : {m_activateMD, m_activateTimer}) {
        box->setToolTip(QString());
        box->setCursor(Qt::ArrowCursor);
    }
}

bool TimerMotionMenu::eventFilter(QObject *watched, QEvent *event)
{
    // The refusal shows as soon as the button goes down, before the click is handled.
    if (event->type() == QEvent::MouseButtonPress &&
        (watched == m_activateMD || watched == m_activateTimer) && !captureReady()) {
        auto *box = static_cast<QCheckBox *>(watched);
        box->setToolTip(RefusalHint);
        box->setCursor(Qt::WhatsThisCursor);
    }
    return CaptureToolWindow::eventFilter(watched, event);
}

void TimerMotionMenu::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cancel();
        return;
    }
    CaptureToolWindow::keyPressEvent(event);
}

void TimerMotionMenu::closeEvent(QCloseEvent *event)
{
    // Only the close box and close() come here; "OK" and "Cancel" hide the menu.
    CaptureToolWindow::closeEvent(event);
    emit closedByBox();
}
