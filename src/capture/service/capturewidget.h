#pragma once
// The capture window: a child of the video area that paints the live picture, stretched to
// its own size when scaling is on, otherwise unscaled at its top left on black.

#include "capture/service/capturedisplay.h"

#include <QImage>
#include <QWidget>

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
    /// converted here, once, to the format painting takes without converting again.
    void showFrame(const QImage &frame);
    void setScaled(bool on) override;
    bool isScaled() const { return m_scaled; }
    /// The picture last shown, in Format_RGB32 (null before the first frame).
    const QImage &picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_picture;
    bool m_scaled = false;
};
