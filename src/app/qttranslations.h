#pragma once

#include <QString>

// Qt's own texts (the file dialog, standard buttons, context menus of edit
// boxes) in the language of the interface: French from Qt's translations,
// English as Qt writes them. Follows every language switch.
void useQtTranslationsFor(const QString &languageName);

// The language last given above; French until then.
QString qtTranslationsLanguage();
