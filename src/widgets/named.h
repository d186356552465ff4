#pragma once

#include <QLatin1String>

// Gives a control its component name, the key of its saved value and of its
// caption in the language file.
template <typename T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}
