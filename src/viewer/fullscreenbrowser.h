#pragma once
// Stepping through the store picture by picture in the full-screen view, across directory
// boundaries. The picture scroller runs from 0 (or -1) to 5001 within one directory; -1, 5000
// and 5001 are crossings to the previous directory, the next one and the start of this one.
// A position change only moves the numbers and the caption; a scroll notification (the user's
// step, or the end of a scroll action) also loads the picture.

#include <QString>

class FullScreenDisplay;
class PictureSource;
class ViewerPage;
struct ApplicationState;

class FullScreenBrowser
{
public:
    static constexpr int LastIndex = 4999;
    static constexpr int NextDirectoryIndex = 5000;
    static constexpr int RestartIndex = 5001;

    FullScreenBrowser(ViewerPage &page, PictureSource &pictures, FullScreenDisplay &display);

    /// Enter from thumbnail k (1 to 10) of the viewer's page, whose picture the view already
    /// shows. Fails with the reason when its time stamp cannot be read and k is not 1 (for
    /// k = 1 the not-present handling applies).
    QString enter(int k);
    /// Leave: the directory in use at enter() is back.
    void leave();

    /// The scroller's position changed (by the user or by the program).
    void positionChanged();
    /// A user's scroll step, or the end of a scroll action.
    void scrolled();

    /// The viewer selected a page in a directory: the scroller may go to -1 outside "1".
    void pageDirectorySelected(int directory);

    int currentPicture() const { return m_currentPicture; }
    QString pictureTimeText() const { return m_pictureTimeText; }

private:
    /// Direction, re-centring and the directory crossings that both changes begin with.
    void prelude();
    void showNumbersOf(int index);
    QString captionText() const;
    void notPresent();
    /// Asks for the picture after the one on show, in the direction of travel.
    void readAheadNext();

    ViewerPage &m_page;
    PictureSource &m_pictures;
    FullScreenDisplay &m_display;
    int m_currentPicture = 0;
    int m_previousIndex = 0;
    bool m_scrollForward = true;
    int m_lastShownPicture = 0;
    bool m_notPresentShown = false;
    QString m_pictureTimeText = QStringLiteral("0");
    int m_entryDirectory = 1;
    int m_entryDirectoryBase = 0;
};
