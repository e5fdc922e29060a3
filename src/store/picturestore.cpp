#include "store/picturestore.h"

#include "shell/applicationstate.h"

#include <QDateTime>
#include <QDir>
#include <QRegularExpression>

#include <algorithm>

namespace PictureStore {

void RestartNumbering(ApplicationState &state)
{
    state.setPictureCounter(0);
    state.setCurrentDirectory(1);
    state.setDirectoryBase(0);
}

Advance AdvanceAfterCapture(ApplicationState &state, const std::function<void()> &grabtimePause)
{
    const int m = state.PictureCounter();
    if (m == state.MaxFrames()) {
        RestartNumbering(state);
        return Advance::Restarted;
    }
    if (m == state.DirectoryBase() + PicturesPerDirectory) {
        if (grabtimePause)
            grabtimePause();
        if (m == StoreCapacity) {
            RestartNumbering(state);
        } else if (m % PicturesPerDirectory == 0 && m < StoreCapacity) {
            const int next = m / PicturesPerDirectory + 1;
            CreateDirectory(next);
            state.setCurrentDirectory(next);
            state.setDirectoryBase(m);
        }
        return Advance::DirectoryFull;
    }
    if (m == 1) {
        CreateDirectory(1);
        state.setCurrentDirectory(1);
        state.setDirectoryBase(0);
        return Advance::FirstPicture;
    }
    return Advance::Continued;
}

int SelectDirectoryForPicture(ApplicationState &state, int n)
{
    if (n >= StoreCapacity || n < PicturesPerDirectory) {
        state.setCurrentDirectory(1);
        state.setDirectoryBase(0);
        return (n >= StoreCapacity || n < 0) ? 0 : n;
    }
    const int d = std::min(DirectoryOfPicture(n), DirectoryCount);
    CreateDirectory(d);
    state.setCurrentDirectory(d);
    state.setDirectoryBase((d - 1) * PicturesPerDirectory);
    return n;
}

std::optional<int> NewestPicture()
{
    static const QRegularExpression name(QStringLiteral("^capture(\\d+)\\.jpg$"));
    std::optional<int> newest;
    QDateTime newestTime;
    for (int d = 1; d <= DirectoryCount; ++d) {
        const QFileInfoList files =
            QDir(QString::number(d))
                .entryInfoList({QStringLiteral("capture*.jpg")}, QDir::Files, QDir::NoSort);
        for (const QFileInfo &file : files) {
            const QRegularExpressionMatch match = name.match(file.fileName());
            if (match.hasMatch() && (!newest || file.lastModified() > newestTime)) {
                newest = match.captured(1).toInt();
                newestTime = file.lastModified();
            }
        }
    }
    return newest;
}

int ContinueAfterNewest(ApplicationState &state)
{
    const std::optional<int> newest = NewestPicture();
    int next = newest ? *newest + 1 : 0;
    if (next >= state.MaxFrames())
        next = 0;
    next = SelectDirectoryForPicture(state, next);
    state.setPictureCounter(next);
    return next;
}

} // namespace PictureStore
