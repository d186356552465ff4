#pragma once

#include "scheduleentry.h"

#include <QStringList>

// ListBox1: the lines of cron-bat.dat in file order, item 0 the header line,
// empty lines included. The scheduler reads only this, by index, checking the
// current count at each step, since a reload may refill it in mid-pass.
class ScheduleLines
{
public:
    int count() const { return int(m_items.size()); }
    QString item(int index) const { return m_items.value(index); }
    const QStringList &items() const { return m_items; }
    // Item `index` read into its fields; an empty entry for an index out of range.
    ScheduleEntry entry(int index) const { return ScheduleEntry::fromLine(item(index)); }

    void clear();
    void add(const QString &line)
    {
        m_items << line;
        ++m_revision;
    }

    // Changes at every change of the lines, so that readers may keep what
    // they made of them until it moves.
    quint64 revision() const { return m_revision; }

    // The selected item, -1 when none.
    int itemIndex() const { return m_itemIndex; }
    void setItemIndex(int index);

    // Removes item `index` when it is above 0; the header line stays.
    void DeleteAt(int index);

private:
    QStringList m_items;
    int m_itemIndex = -1;
    quint64 m_revision = 0;
};
