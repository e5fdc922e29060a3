#pragma once
// The one result type for operations that can fail: the value, or the reason it is missing,
// worded for the user ("1/capture0.jpg: No space left on device").

#include <QString>

#include <expected>
#include <utility>

template <class T = void> using Result = std::expected<T, QString>;

/// The failed result with its reason: `return failure(QStringLiteral("..."));`.
inline std::unexpected<QString> failure(QString reason)
{
    return std::unexpected<QString>(std::move(reason));
}
