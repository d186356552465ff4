#pragma once

#include "journal/eventrecorder.h"

#include <QObject>
#include <QStringList>

#include <functional>

// The time text of the tests, whatever the user's format.
inline QString testTimeText(const QTime &time)
{
    return time.toString(QStringLiteral("HH:mm:ss"));
}

// What a recorder (or the engine around one) reports, in order, as the
// history shows it: "row <time column>|<subject>", then "signal" after a
// failure's row, where the Error signal comes.
class RecordLog
{
public:
    template <typename Source>
    explicit RecordLog(Source *source, std::function<void()> afterEachRow = {})
    {
        QObject::connect(source, &Source::recorded, &m_context,
                         [this, afterEachRow](const RecordedEvent &event) {
                             lines << QStringLiteral("row ") + event.historyTime() +
                                          QLatin1Char('|') + event.subject;
                             if (event.kind == RecordedEvent::Failure)
                                 lines << QStringLiteral("signal");
                             if (afterEachRow)
                                 afterEachRow();
                         });
    }

    // The rows alone, "<time column>|<subject>".
    QStringList rows() const
    {
        QStringList rows;
        for (const QString &line : lines) {
            if (line.startsWith(QLatin1String("row ")))
                rows << line.mid(4);
        }
        return rows;
    }
    int signalCount() const { return int(lines.count(QStringLiteral("signal"))); }

    QStringList lines;

private:
    QObject m_context;
};
