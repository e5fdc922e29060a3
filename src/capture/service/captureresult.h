#pragma once
// The outcome of a capture platform operation: success, or failure with a reason for the user.

#include <QString>

struct CaptureResult
{
    bool ok = true;
    QString reason;

    static CaptureResult success() { return {}; }
    static CaptureResult failure(const QString &why) { return {false, why}; }
    explicit operator bool() const { return ok; }
};
