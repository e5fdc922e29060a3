#pragma once
// Messages the program would have shown, kept for the test to read.

#include "shell/messages.h"

#include <QStringList>

struct RecordedMessages : Messages
{
    QStringList informations;
    QStringList errors;
    void information(const QString &text) override { informations << text; }
    void error(const QString &text) override { errors << text; }
};
