#pragma once
// What the full-screen stepping logic sees of its view: the picture scroller, the two number
// boxes, the caption line and the picture. The view implements it; tests record it.

#include <QImage>
#include <QSize>
#include <QString>

class FullScreenDisplay
{
public:
    virtual ~FullScreenDisplay() = default;

    virtual int scrollerPosition() const = 0;
    /// Moves the scroller; when the position differs, the position change runs at once, nested
    /// in this call, as it does for the user's moves.
    virtual void setScrollerPosition(int position) = 0;
    virtual void setScrollerMinimum(int minimum) = 0;

    /// "scaling   n" and "Scroll picture  n".
    virtual void showPictureNumber(int picture) = 0;
    virtual void showCaptionText(const QString &text) = 0;
    /// Puts the picture box back to the centre for its scale.
    virtual void recentrePicture() = 0;
    virtual void showPicture(const QImage &picture) = 0;
    /// The size, in device pixels, the picture is drawn at; invalid for its full size.
    virtual QSize pictureBox() const { return {}; }
    /// "Picture not present !": a held arrow stops before the message shows.
    virtual void pictureNotPresent() = 0;
};
