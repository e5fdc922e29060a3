#include "capture/capturestatustexts.h"

namespace CaptureStatusTexts {

QString resolution(int width, int height)
{
    return QStringLiteral(" Resolution :  %1 x %2").arg(width).arg(height);
}

QString quality(const QString &qualityText)
{
    return QStringLiteral(" Compression Quality : ") + qualityText;
}

QString colourScale(bool greyscale)
{
    return greyscale ? QStringLiteral(" Colorscale : Greyscale")
                     : QStringLiteral(" Colorscale : 24Bit color");
}

} // namespace CaptureStatusTexts
