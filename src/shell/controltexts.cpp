#include "shell/controltexts.h"

namespace ControlTexts {

QString intervalBox(double seconds, const QLocale &locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    return QStringLiteral("interval  ") + plain.toString(seconds, 'f', 2) + QStringLiteral(" sec.");
}

QString maxBox(int userMaxFrames)
{
    return QStringLiteral("Max.") + QString::number(userMaxFrames) + QStringLiteral("  frms");
}

QString stepBox(int increment)
{
    return QStringLiteral("Stepsize  ") + QString::number(increment) + QLatin1Char('0');
}

QString framesBox(int pictureCounter)
{
    return QString::number(pictureCounter) + QStringLiteral(" frms captured");
}

QString initialFramesBox()
{
    return QStringLiteral("0  frms captured");
}

} // namespace ControlTexts
