#pragma once
// One picture the capture run stored: what every consumer of the run is told about it.

#include <QDateTime>
#include <QString>

struct StoredPicture
{
    int number = 0;
    QString path;     // relative to the store directory: "1/capture0.jpg"
    QDateTime time;   // when its frame was grabbed
    qint64 bytes = 0; // the JPEG file's size
};
