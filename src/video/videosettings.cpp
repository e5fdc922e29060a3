#include "video/videosettings.h"

#include "shell/picturenames.h"

#include <QFileInfo>

Result<> VideoSettings::check() const
{
    const int lastPicture = PictureStore::StoreCapacity - 1;
    if (first < 0 || first > lastPicture || last < 0 || last > lastPicture)
        return failure(QStringLiteral("Picture numbers run from 0 to %1.").arg(lastPicture));
    if (first > last)
        return failure(QStringLiteral("The first picture (%1) comes after the last one (%2).")
                           .arg(first)
                           .arg(last));
    if (framesPerSecond < MinFramesPerSecond || framesPerSecond > MaxFramesPerSecond)
        return failure(QStringLiteral("Frames per second run from %1 to %2.")
                           .arg(MinFramesPerSecond)
                           .arg(MaxFramesPerSecond));
    if (crf < MinCrf || crf > MaxCrf)
        return failure(
            QStringLiteral("The quality (CRF) runs from %1 to %2.").arg(MinCrf).arg(MaxCrf));
    if (deflicker != 0 && (deflicker < MinDeflicker || deflicker > MaxDeflicker))
        return failure(QStringLiteral("Deflicker averages over %1 to %2 pictures.")
                           .arg(MinDeflicker)
                           .arg(MaxDeflicker));
    if (output.trimmed().isEmpty())
        return failure(QStringLiteral("Name the video file."));
    if (QFileInfo(output).isDir())
        return failure(
            QStringLiteral("\"%1\" is a folder; name the video file in it.").arg(output));
    if (!replace && QFileInfo::exists(output))
        return failure(
            QStringLiteral("\"%1\" exists already; choose another name or remove it first.")
                .arg(output));
    if (!QFileInfo(QFileInfo(output).absolutePath()).isDir())
        return failure(QStringLiteral("The folder of \"%1\" does not exist.").arg(output));
    return {};
}
