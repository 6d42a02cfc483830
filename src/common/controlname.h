#pragma once

// Names a control of a window: its design name as object name (tests find controls by it) and, for a
// control a person can reach, the French name a screen reader says.

#include <QString>

template <typename Widget> Widget *named(Widget *widget, const char *name, const QString &accessibleName = {})
{
    widget->setObjectName(QString::fromLatin1(name));
    if (!accessibleName.isEmpty())
        widget->setAccessibleName(accessibleName);
    return widget;
}
