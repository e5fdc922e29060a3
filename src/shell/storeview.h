#pragma once
// What the picture store's controls and dialogs see of the main window: the boxes they write,
// the "Start" caption, the "Tv-video" boxes that a run switches, the "Harddisk" arrows and the
// buttons a clear locks. Implemented by the main window; tests use a recording fake.

#include <QPoint>
#include <QString>

class StoreView
{
public:
    virtual ~StoreView() = default;

    virtual void showPicturePath(const QString &text) = 0;
    virtual void showFramesText(const QString &text) = 0;
    virtual void showTimeText(const QString &text) = 0;
    virtual void showIntervalText(const QString &text) = 0;
    virtual void showMaxStepText(const QString &text) = 0;
    /// "Start", "stop!" or "start", in the colour value 1 (idle) or 235 (running).
    virtual void showStartCaption(const QString &caption, int colourValue) = 0;
    /// A note at the right of the status bar, e.g. the time of the last failed grab; empty
    /// hides it.
    virtual void showStatusNote(const QString &text) = 0;

    virtual bool isPreviewChecked() const = 0;
    /// Checking or unchecking a box from here runs its reaction, as a click does.
    virtual void setPreviewChecked(bool checked) = 0;
    virtual bool isOverlayChecked() const = 0;
    virtual void setOverlayChecked(bool checked) = 0;
    virtual void setOverlayEnabled(bool enabled) = 0;

    virtual void setIntervalArrowsPosition(int position) = 0;
    /// "Step"/"Frms" mode: the caption of "Step" and which arrows share the max/step box.
    virtual void showStepMode(const QString &stepCaption, bool stepArrowsShown) = 0;
    virtual int maxArrowsIncrement() const = 0;
    virtual int maxArrowsPosition() const = 0;
    virtual void setMaxArrowsPosition(int position) = 0;
    /// The Max arrows move by increment, which the step arrows show as their position.
    virtual void setMaxArrowsIncrement(int increment) = 0;

    virtual void setStartAndAboutEnabled(bool enabled) = 0;
    /// The control panel with "Input ", "Driver" and "Format", locked while a clear runs.
    virtual void setPanelEnabled(bool enabled) = 0;
    /// Hide, repaint and show the video area, so that the live picture is drawn again.
    virtual void redrawVideoArea() = 0;
    /// The centre of the main window on the screen, where dialogs open.
    virtual QPoint centre() const = 0;
};
