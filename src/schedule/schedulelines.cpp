#include "schedulelines.h"

void ScheduleLines::clear()
{
    m_items.clear();
    m_itemIndex = -1;
    ++m_revision;
}

void ScheduleLines::setItemIndex(int index)
{
    m_itemIndex = (index >= 0 && index < count()) ? index : -1;
}

void ScheduleLines::DeleteAt(int index)
{
    if (index <= 0 || index >= count())
        return;
    m_items.removeAt(index);
    m_itemIndex = -1;
    ++m_revision;
}
