#pragma once
// What the picture viewer and the full-screen picture view see of the main window: where it
// stands, its input switch, the place the full-screen view takes in it and the caption line
// over the picture. Implemented by the main window.

#include <QPoint>
#include <QString>

class QWidget;

class ViewerHost
{
public:
    virtual ~ViewerHost() = default;

    /// The top-left corner of the window's frame on the screen.
    virtual QPoint topLeft() const = 0;
    /// The window's width, frame included.
    virtual int outerWidth() const = 0;
    virtual bool isMaximized() const = 0;
    virtual bool isOverlayChecked() const = 0;
    /// The window and its control panel take input or not; they keep painting either way.
    virtual void setInputEnabled(bool enabled) = 0;

    /// Takes the full-screen view's picture area (the whole client area) and its toolbar
    /// (across the top, over the picture) as its own children, hidden.
    virtual void embedFullScreenView(QWidget *pictureArea, QWidget *toolbar) = 0;
    /// Shows the full-screen view in place of the control panel and the video area with its
    /// cover, or hides it and gives them back (the cover only while no driver is chosen).
    virtual void showFullScreenView(bool shown) = 0;
    /// The caption line over the picture, with its top-left corner in the client area.
    virtual void setPictureCaption(const QString &text, QPoint topLeft) = 0;
    virtual void setPictureCaptionShown(bool shown) = 0;
};
