#include "qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

QString &chosenLanguage()
{
    static QString language = QStringLiteral("French");
    return language;
}

} // namespace

QString qtTranslationsLanguage()
{
    return chosenLanguage();
}

void useQtTranslationsFor(const QString &languageName)
{
    chosenLanguage() = languageName;
    static QTranslator *installed = nullptr;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    if (languageName != QLatin1String("French"))
        return;
    auto *translator = new QTranslator;
    // "qt_fr" gathers qtbase_fr and the other modules' files where present.
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (translator->load(QStringLiteral("qt_fr"), folder) ||
        translator->load(QStringLiteral("qtbase_fr"), folder)) {
        QCoreApplication::installTranslator(translator);
        installed = translator;
    } else {
        delete translator;
    }
}
