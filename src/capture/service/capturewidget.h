#pragma once
// The capture window: a child of the video area that paints the live picture, stretched to
// its own size when scaling is on, otherwise unscaled at its top left on black.

#include "capture/service/capturedisplay.h"

#include <QImage>
#include <QWidget>

#include <vector>

class CaptureWidget : public QWidget, public CaptureDisplay
{
    Q_OBJECT
public:
    explicit CaptureWidget(QWidget *parent = nullptr);
    /// New capture windows for the capture service.
    static CaptureDisplayFactory factory();

    QObject *displayObject() override { return this; }
    QWidget *displayWidget() override { return this; }
    void repaint() override { update(); }
    void takeFrame(const QImage &frame, const QDateTime &) override { showFrame(frame); }

    /// Shows a frame (any QImage; frames come as Format_BGR888) and repaints. The frame is
    /// converted here, once, to the format painting takes without converting again, and no
    /// larger than the window shows it.
    void showFrame(const QImage &frame);
    void setScaled(bool on) override;
    bool isScaled() const { return m_scaled; }
    /// The picture last shown, in Format_RGB32 (null before the first frame), at the size it
    /// was converted to.
    const QImage &picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QSize shownSize(QSize frame) const;
    void convertScaled(const QImage &frame);

    QImage m_picture;
    bool m_scaled = false;
    std::vector<int> m_columns; // source byte offsets of the picture's columns
    int m_columnsFrom = 0;      // the frame width they were made for
};
