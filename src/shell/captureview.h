#pragma once
// What the capture windows see of the main window: the "Tv-video" boxes, the video area with
// its cover and loading panel, the status bar panels and the few buttons they switch.
// Implemented by the main window; checking a box from here runs its reaction, as a click does.

#include <QString>

class CaptureView
{
public:
    virtual ~CaptureView() = default;

    virtual bool isPreviewChecked() const = 0;
    virtual void setPreviewChecked(bool checked) = 0;
    virtual bool isOverlayChecked() const = 0;
    virtual void setOverlayChecked(bool checked) = 0;
    virtual bool isFitChecked() const = 0;
    virtual void setFitEnabled(bool enabled) = 0;

    virtual void setVideoAreaVisible(bool visible) = 0;
    /// Repaints the video area at once, and the window after it.
    virtual void repaintVideoArea() = 0;
    /// Hide, repaint and show the video area, so that the live picture is drawn again.
    virtual void redrawVideoArea() = 0;
    virtual void blackVideoArea() = 0;
    /// Makes the video area fill the client area below the control panel.
    virtual void fillVideoArea() = 0;
    virtual bool isMaximized() const = 0;
    /// Removes the black cover that hides the video area until a driver is confirmed.
    virtual void uncoverVideoArea() = 0;
    virtual void setLoadingShown(bool shown) = 0;

    virtual void showPicturePath(const QString &text) = 0;
    virtual void showTimeText(const QString &text) = 0;
    virtual void showStatusPanel(int index, const QString &text) = 0;
    virtual void setDriverEnabled(bool enabled) = 0;
    /// The caption colour of "Prog." as a colour value (red only).
    virtual void setProgCaptionColour(int colourValue) = 0;
};
