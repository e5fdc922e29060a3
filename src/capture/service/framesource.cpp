#include "capture/service/framesource.h"

bool FrameSource::prepareFrame(QImage &frame, QSize size)
{
    if (frame.size() != size || frame.format() != QImage::Format_BGR888 || !frame.isDetached())
        frame = QImage(size, QImage::Format_BGR888);
    return !frame.isNull();
}

FrameSource::ReadResult FrameSource::outOfMemory(QSize size)
{
    return {Read::Lost, QStringLiteral("There is not enough memory for a frame of %1 x %2 pixels")
                            .arg(size.width())
                            .arg(size.height())};
}
