#pragma once
// The texts of the main window's display boxes that show the interval and the frame counts.

#include <QLocale>
#include <QString>

namespace ControlTexts {

/// "interval  5,00 sec.": two decimals with the locale's decimal separator, no grouping.
QString intervalBox(double seconds, const QLocale &locale);
/// "Max.250  frms" for the maximum frame count in Max mode.
QString maxBox(int userMaxFrames);
/// "Stepsize  250": the step shown is ten times the Max arrows' increment.
QString stepBox(int increment);
/// "12 frms captured", after a picture was stored.
QString framesBox(int pictureCounter);
/// "0  frms captured", before any capture.
QString initialFramesBox();

} // namespace ControlTexts
