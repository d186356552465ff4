#pragma once

#include <QString>

class QObject;

// The caption of a label, check box, button, tab page, group box or menu
// item, the way the language switch and its export see it. A menu item whose
// caption is "-" is a separator.
bool hasCaption(const QObject *component);
QString captionOf(const QObject *component);
void setCaptionOf(QObject *component, const QString &caption);
