#pragma once
// The capture window: a child of the video area that paints the live picture, stretched to
// its own size when scaling is on, otherwise unscaled at its top left on black.

#include "capture/videoheader.h"

#include <QImage>
#include <QWidget>

#include <cstdint>

class CaptureWidget : public QWidget
{
    Q_OBJECT
public:
    explicit CaptureWidget(QWidget *parent = nullptr);

    /// Takes a copy of a frame (bottom-up BGR as header describes) and repaints.
    void showFrame(const std::uint8_t *frame, const VideoHeader &header);
    void setScaled(bool on);
    bool isScaled() const { return m_scaled; }
    /// The picture last shown, top row first (null before the first frame).
    const QImage &picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_picture;
    bool m_scaled = false;
};
