#include "web/webstatus.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {
QString cameraText(WebStatus::Camera camera)
{
    switch (camera) {
    case WebStatus::Camera::None:
        return QStringLiteral("none");
    case WebStatus::Camera::Ready:
        return QStringLiteral("ready");
    case WebStatus::Camera::Lost:
        return QStringLiteral("lost");
    }
    return {};
}
} // namespace

QString WebStatus::stateText() const
{
    if (camera == Camera::Lost)
        return QStringLiteral("camera lost");
    if (running)
        return QStringLiteral("running");
    if (motionArmed)
        return QStringLiteral("waiting for motion");
    if (timerProgramWaiting)
        return QStringLiteral("waiting for the timer program");
    return QStringLiteral("stopped");
}

QByteArray WebStatus::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("running"), running);
    o.insert(QStringLiteral("state"), stateText());
    o.insert(QStringLiteral("counter"), counter);
    o.insert(QStringLiteral("directory"), directory);
    o.insert(QStringLiteral("interval"), intervalSeconds);
    if (lastNumber >= 0) {
        const QDateTime t = lastTime.toOffsetFromUtc(lastTime.offsetFromUtc());
        o.insert(QStringLiteral("last_picture"),
                 QJsonObject{{QStringLiteral("path"), lastPath},
                             {QStringLiteral("number"), lastNumber},
                             {QStringLiteral("time"), t.toString(Qt::ISODateWithMs)}});
    } else {
        o.insert(QStringLiteral("last_picture"), QJsonValue::Null);
    }
    if (nextDue.isValid())
        o.insert(QStringLiteral("next_due"),
                 nextDue.toOffsetFromUtc(nextDue.offsetFromUtc()).toString(Qt::ISODateWithMs));
    else
        o.insert(QStringLiteral("next_due"), QJsonValue::Null);
    o.insert(QStringLiteral("motion_armed"), motionArmed);
    o.insert(QStringLiteral("camera"), cameraText(camera));
    if (diskFreeBytes)
        o.insert(QStringLiteral("disk_free"), QJsonValue(*diskFreeBytes));
    else
        o.insert(QStringLiteral("disk_free"), QJsonValue::Null);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}
