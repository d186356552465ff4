#include "celltext.h"

#include "platform/platform.h"

QString cellText(const QString &text)
{
    return Platform::displayText(text.size() > kLongestCell ? text.left(kLongestCell) : text);
}
