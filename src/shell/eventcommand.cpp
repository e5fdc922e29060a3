#include "shell/eventcommand.h"

#include <QProcess>

QString runEventName(RunEvent event)
{
    switch (event) {
    case RunEvent::Picture:
        return QStringLiteral("picture");
    case RunEvent::Motion:
        return QStringLiteral("motion");
    case RunEvent::MotionEnd:
        return QStringLiteral("motion-end");
    case RunEvent::Start:
        return QStringLiteral("start");
    case RunEvent::Stop:
        return QStringLiteral("stop");
    case RunEvent::CameraLost:
        return QStringLiteral("camera-lost");
    case RunEvent::CameraBack:
        return QStringLiteral("camera-back");
    case RunEvent::Failure:
        return QStringLiteral("failure");
    }
    return {};
}

namespace {
// splitCommand takes a line with an open quote to its end without a word; we refuse it. A run
// of double quotes opens or closes a quote when its length leaves 1 after its threes (each
// three is one literal quote, and two are an empty pair).
bool quoteLeftOpen(const QString &line)
{
    bool open = false;
    for (qsizetype i = 0; i < line.size();) {
        if (line[i] != u'"') {
            ++i;
            continue;
        }
        qsizetype run = 0;
        for (; i < line.size() && line[i] == u'"'; ++i)
            ++run;
        if (run % 3 == 1)
            open = !open;
    }
    return open;
}
} // namespace

Result<EventCommand> EventCommand::parse(const QString &line)
{
    if (quoteLeftOpen(line))
        return failure(QStringLiteral("a double quote (\") is not closed"));
    const QStringList words = QProcess::splitCommand(line);
    if (words.isEmpty())
        return failure(QStringLiteral("it names no program"));
    EventCommand command;
    command.m_line = line;
    command.m_program = words.first();
    command.m_arguments = words.mid(1);
    return command;
}

namespace {
// The value a placeholder letter stands for, or nullptr when "%" and the letter are no
// placeholder.
const QString *placeholder(QChar letter, const EventValues &values)
{
    switch (letter.unicode()) {
    case 'f':
        return &values.picture;
    case 'n':
        return &values.number;
    case 't':
        return &values.time;
    case 'e':
        return &values.event;
    default:
        return nullptr;
    }
}

QString expanded(const QString &argument, const EventValues &values)
{
    QString out;
    out.reserve(argument.size());
    for (qsizetype i = 0; i < argument.size(); ++i) {
        const QChar next = i + 1 < argument.size() ? argument[i + 1] : QChar();
        if (argument[i] != u'%') {
            out += argument[i];
        } else if (next == u'%') {
            out += u'%';
            ++i;
        } else if (const QString *value = placeholder(next, values)) {
            out += *value;
            ++i;
        } else {
            out += u'%';
        }
    }
    return out;
}
} // namespace

QStringList EventCommand::arguments(const EventValues &values) const
{
    QStringList out;
    out.reserve(m_arguments.size());
    for (const QString &argument : m_arguments)
        out << expanded(argument, values);
    return out;
}
