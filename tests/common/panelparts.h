#pragma once
// The main window's controls, found by their object names as a user's tools find them by
// their names: tests press and read them without the window handing them out.

#include "shell/updowncontrol.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

template <class W = QWidget> W *part(const QWidget *window, const char *name)
{
    W *widget = window->findChild<W *>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no control \"%s\" in the window", name);
    return widget;
}

struct PanelParts
{
    explicit PanelParts(const QWidget *main)
        : panel(part<QFrame>(main, "controlPanel")), preview(part<QCheckBox>(main, "preview")),
          overlay(part<QCheckBox>(main, "overlay")), fit(part<QCheckBox>(main, "fit")),
          motionIndicatorBox(part<QCheckBox>(main, "motionIndicatorBox")),
          input(part<QPushButton>(main, "input")), format(part<QPushButton>(main, "format")),
          driver(part<QPushButton>(main, "driver")),
          picturePathBox(part<QLineEdit>(main, "picturePathBox")),
          finePlus(part<QPushButton>(main, "finePlus")),
          fineMinus(part<QPushButton>(main, "fineMinus")), start(part<QPushButton>(main, "start")),
          intervalBox(part<QLineEdit>(main, "intervalBox")),
          intervalArrows(part<UpDownControl>(main, "intervalArrows")),
          step(part<QPushButton>(main, "step")), clear(part<QPushButton>(main, "clear")),
          reset(part<QPushButton>(main, "reset")), maxStepBox(part<QLineEdit>(main, "maxStepBox")),
          maxArrows(part<UpDownControl>(main, "maxArrows")),
          stepArrows(part<UpDownControl>(main, "stepArrows")),
          about(part<QPushButton>(main, "about")), info(part<QPushButton>(main, "info")),
          prog(part<QPushButton>(main, "prog")), framesBox(part<QLineEdit>(main, "framesBox")),
          pref(part<QPushButton>(main, "pref")), view(part<QPushButton>(main, "view")),
          exit(part<QPushButton>(main, "exit")), timeBox(part<QLineEdit>(main, "timeBox")),
          videoArea(part<QWidget>(main, "videoArea")),
          videoCover(part<QPlainTextEdit>(main, "videoCover")),
          loadingPanel(part<QWidget>(main, "loadingPanel")),
          pictureCaption(part<QWidget>(main, "pictureCaption"))
    {}

    bool isVisible() const { return panel->isVisible(); }
    QList<QGroupBox *> groups() const { return panel->findChildren<QGroupBox *>(); }

    QFrame *panel;
    QCheckBox *preview, *overlay, *fit, *motionIndicatorBox;
    QPushButton *input, *format, *driver;
    QLineEdit *picturePathBox;
    QPushButton *finePlus, *fineMinus, *start;
    QLineEdit *intervalBox;
    UpDownControl *intervalArrows;
    QPushButton *step, *clear, *reset;
    QLineEdit *maxStepBox;
    UpDownControl *maxArrows, *stepArrows;
    QPushButton *about, *info, *prog;
    QLineEdit *framesBox;
    QPushButton *pref, *view, *exit;
    QLineEdit *timeBox;
    QWidget *videoArea;
    QPlainTextEdit *videoCover;
    QWidget *loadingPanel;
    QWidget *pictureCaption;
};
