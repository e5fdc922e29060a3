#pragma once
// Messages the program would have shown, kept for the test to read.

#include "shell/messages.h"

#include <QStringList>

#include <cstdio>

struct RecordedMessages : Messages
{
    QStringList informations;
    QStringList errors;
    bool echo = false; // also printed on stderr as they come: a benchmark has no test log
    void information(const QString &text) override
    {
        informations << text;
        print(text);
    }
    void error(const QString &text) override
    {
        errors << text;
        print(text);
    }

private:
    void print(const QString &text) const
    {
        if (echo)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    }
};
