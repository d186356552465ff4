#include "runrecord.h"

#include "platform/platform.h"

#include <QList>

namespace {

// A value is one line: what would end it cannot be in it.
QByteArray oneLine(const QString &text)
{
    QByteArray bytes = Platform::encodeText(text);
    bytes.replace('\n', ' ').replace('\r', ' ');
    return bytes;
}

} // namespace

QByteArray RunRecord::text() const
{
    return "start " + QByteArray::number(start.toSecsSinceEpoch()) + "\nline " + oneLine(line) + "\nsubject " +
           oneLine(subject) + "\noutput " + oneLine(output) + "\nmax " + QByteArray::number(stopAfterMinutes) +
           '\n';
}

RunRecord RunRecord::parse(const QByteArray &text)
{
    RunRecord record;
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype space = line.indexOf(' ');
        const QByteArray word = line.left(space);
        const QByteArray value = space < 0 ? QByteArray() : line.mid(space + 1);
        if (word == "start" && !value.isEmpty())
            record.start = QDateTime::fromSecsSinceEpoch(value.toLongLong());
        else if (word == "line")
            record.line = Platform::decodeText(value);
        else if (word == "subject")
            record.subject = Platform::decodeText(value);
        else if (word == "output")
            record.output = Platform::decodeText(value);
        else if (word == "max")
            record.stopAfterMinutes = value.toInt();
    }
    return record;
}
