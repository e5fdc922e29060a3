#pragma once
// The outcome of writing one file: which file, and why it failed (empty when it did not).

#include <QString>

struct WriteResult
{
    QString fileName; ///< as given, with "/" separators, e.g. "1/capture0.jpg"
    QString reason;   ///< empty on success, else a short text such as "Permission denied"

    bool ok() const { return reason.isEmpty(); }
    /// "1/capture0.jpg: No space left on device", for a message to the user.
    QString message() const { return fileName + QStringLiteral(": ") + reason; }
};
