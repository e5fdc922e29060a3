#pragma once
// The main window's status bar texts for the confirmed capture preferences.

#include <QString>

namespace CaptureStatusTexts {

/// Panel 1: " Resolution :  640 x 480".
QString resolution(int width, int height);
/// Panel 2: " Compression Quality : 100", with the quality box's text as it stands.
QString quality(const QString &qualityText);
/// Panel 3: " Colorscale : 24Bit color" or " Colorscale : Greyscale".
QString colourScale(bool greyscale);

} // namespace CaptureStatusTexts
