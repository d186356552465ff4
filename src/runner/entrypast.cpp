#include "entrypast.h"

#include "nextrun.h"

#include "files/runtimeerror.h"
#include "files/textfile.h"
#include "platform/platform.h"

#include <QFileInfo>
#include <QSet>

namespace {

const QChar kBar = QLatin1Char('|');
const QString kTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");
// Thousands of starts in a minute make one write, not thousands.
constexpr int kWriteDelayMs = 2000;

// A result is one piece of a line: what would end it is replaced.
QString oneLine(QString text)
{
    for (QChar &c : text) {
        if (c == kBar || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace

EntryPast::EntryPast(QString programDirectory, std::function<QStringList()> currentLines,
                     QObject *parent)
    : QObject(parent), m_programDirectory(std::move(programDirectory)),
      m_currentLines(std::move(currentLines))
{
    m_writeTimer.setSingleShot(true);
    m_writeTimer.setInterval(kWriteDelayMs);
    connect(&m_writeTimer, &QTimer::timeout, this, [this] {
        try {
            write();
            m_failing = false;
        } catch (const RuntimeError &error) {
            if (!m_failing)
                emit writeFailed(error.message());
            m_failing = true;
        }
    });
}

EntryPast::~EntryPast()
{
    if (!m_writeTimer.isActive())
        return;
    try {
        write();
    } catch (const RuntimeError &) {
        // Leaving: nobody is left to tell, and the schedule itself is safe.
    }
}

QHash<QString, PastRun> EntryPast::read(const QString &path, const QSet<QString> &lines, bool *whole)
{
    *whole = true;
    QHash<QString, PastRun> runs;
    // Anything but a regular file is no record, as is a file we cannot read.
    if (!Platform::isRegularFile(path))
        return runs;
    QByteArray bytes;
    try {
        bytes = TextFile::readLinesUpTo(path, kMostBytes, whole);
    } catch (const RuntimeError &) {
        *whole = true;
        return runs;
    }
    for (const QString &line : TextFile::splitLines(bytes)) {
        const qsizetype first = line.indexOf(kBar);
        const qsizetype second = first < 0 ? -1 : line.indexOf(kBar, first + 1);
        if (second < 0 || !lines.contains(line.mid(second + 1)))
            continue;
        const QDateTime at = QDateTime::fromString(line.left(first), kTimeFormat);
        if (at.isValid())
            runs.insert(line.mid(second + 1), {at, line.mid(first + 1, second - first - 1)});
    }
    return runs;
}

std::optional<QString> EntryPast::load()
{
    m_entries.clear();
    m_open.clear();
    m_running.clear();
    // Memory holds one past an entry, whatever the file holds.
    const QStringList current = m_currentLines();
    bool whole = true;
    const QHash<QString, PastRun> runs = read(path(), QSet<QString>(current.cbegin(), current.cend()), &whole);
    for (auto run = runs.cbegin(); run != runs.cend(); ++run) {
        PastRun past = run.value();
        if (past.result == running())
            past.result = started();
        m_entries.insert(run.key(), {past, 0});
    }
    emit changed();
    if (whole)
        return std::nullopt;
    // Written again from what was read: the file shrinks back to what the schedule has.
    m_writeTimer.start();
    return QStringLiteral("Fichier trop grand : seul le premier Mo est lu");
}

std::optional<PastRun> EntryPast::of(const QString &line) const
{
    const auto found = m_entries.constFind(line);
    if (found == m_entries.cend())
        return std::nullopt;
    return found->run;
}

quint64 EntryPast::begin(const QString &line, const QDateTime &at, const QString &output)
{
    const quint64 run = m_nextRun++;
    m_entries.insert(line, {{at, running(), output}, run});
    m_open.insert(run, line);
    ++m_running[line];
    changedNow();
    return run;
}

void EntryPast::tell(quint64 run, const QString &result, bool over)
{
    const auto open = m_open.constFind(run);
    if (open == m_open.cend())
        return;
    const auto entry = m_entries.find(*open);
    if (over) {
        const auto count = m_running.find(*open);
        if (count != m_running.end() && --*count <= 0)
            m_running.erase(count);
        m_open.erase(open);
    }
    if (entry == m_entries.end() || entry->latest != run)
        return;
    entry->run.result = oneLine(result);
    changedNow();
}

void EntryPast::carry(const QString &from, const QString &to)
{
    if (from == to)
        return;
    const auto found = m_entries.constFind(from);
    if (found == m_entries.cend())
        return;
    const Entry entry = *found;
    m_entries.erase(found);
    m_entries.insert(to, entry);
    for (QString &line : m_open) {
        if (line == from)
            line = to;
    }
    if (const int running = m_running.take(from))
        m_running[to] += running;
    changedNow();
}

void EntryPast::changedNow()
{
    if (!m_writeTimer.isActive())
        m_writeTimer.start();
    emit changed();
}

void EntryPast::write()
{
    m_writeTimer.stop();
    // Only the entries the schedule still has: the file never outgrows it.
    const QStringList current = m_currentLines();
    const QSet<QString> listed(current.cbegin(), current.cend());
    m_entries.removeIf([&listed](const auto &entry) { return !listed.contains(entry.key()); });
    QStringList lines;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it)
        lines << it->run.at.toString(kTimeFormat) + kBar + it->run.result + kBar + it.key();
    if (lines.isEmpty() && !QFileInfo::exists(path()))
        return;
    lines.sort();
    TextFile::replaceAll(path(), lines);
}

QString pastRunText(const QDateTime &at, const QDate &today, const NextRunWords &words)
{
    const qint64 days = at.date().daysTo(today);
    const QString day = days == 0             ? words.today
                        : days == 1           ? words.yesterday
                        : days > 1 && days < 7 ? words.days[at.date().dayOfWeek() - 1]
                                              : at.date().toString(words.dateFormat);
    return day + QLatin1Char(' ') + at.time().toString(QStringLiteral("HH:mm"));
}
