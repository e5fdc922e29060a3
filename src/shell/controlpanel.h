#pragma once
// The strip of six groups across the top of the main window. Like a designer form, it only
// builds and places the controls; the main window, which owns it, is the only class that
// reaches them, and it never hands them out.

#include "shell/updowncontrol.h"

#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>

class MotionIndicator;
class QGroupBox;

class ControlPanel : public QFrame
{
    Q_OBJECT
public:
    explicit ControlPanel(QWidget *parent);

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class MainWindow;

    // "Tv-video"
    QCheckBox *preview;
    QCheckBox *overlay;
    QCheckBox *fit;
    MotionIndicator *motionIndicator;
    // "Configuration"
    QPushButton *input;
    QPushButton *format;
    QPushButton *driver;
    QLineEdit *picturePathBox;
    // "Timer "
    QPushButton *finePlus;
    QPushButton *fineMinus;
    QPushButton *start;
    QLineEdit *intervalBox;
    UpDownControl *intervalArrows;
    // "Harddisk"
    QPushButton *step;
    QPushButton *clear;
    QPushButton *reset;
    QLineEdit *maxStepBox;
    UpDownControl *maxArrows;
    UpDownControl *stepArrows;
    // "Program "
    QPushButton *about;
    QPushButton *info;
    QPushButton *prog;
    QLineEdit *framesBox;
    // "Options"
    QPushButton *pref;
    QPushButton *view;
    QPushButton *exit;
    QLineEdit *timeBox;

    /// A group of the panel, placed in the flow of groups.
    QGroupBox *addGroup(const QString &caption);
    void buildTvVideo(QGroupBox *group);
    void buildConfiguration(QGroupBox *group);
    void buildTimer(QGroupBox *group);
    void buildHarddisk(QGroupBox *group);
    void buildProgram(QGroupBox *group);
    void buildOptions(QGroupBox *group);

    QList<QGroupBox *> m_groups;
};

/// Sets the colour of a control's caption text.
void setFontColour(QWidget *widget, const QColor &colour);
/// The caption colours the program uses: the colour values 1 (idle "Start") and 235 (running).
QColor colourValue(int red);
