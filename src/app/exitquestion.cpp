#include "exitquestion.h"

#include "qttranslations.h"

#include <QMessageBox>
#include <QPushButton>

QString composeExitQuestion(const QString &exitMsg, const QString &caption,
                            const QString &exitMsg2)
{
    return exitMsg + QLatin1Char(' ') + caption + QLatin1Char('\r') + exitMsg2;
}

ExitAnswer askExitQuestion(const QString &title, const QString &text)
{
    // Without a parent the box is centred on the screen. The lone CR breaks
    // the line in a native box; Qt's text layout wants LF.
    QMessageBox box(QMessageBox::NoIcon, title, QString(text).replace(QLatin1Char('\r'), '\n'));
    // The answers follow the language of the interface, as the question does.
    const bool french = qtTranslationsLanguage() == QLatin1String("French");
    QPushButton *yes = box.addButton(french ? QStringLiteral("&Oui") : QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(french ? QStringLiteral("&Non") : QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    if (box.clickedButton() == yes)
        return ExitAnswer::Yes;
    if (box.clickedButton() == no)
        return ExitAnswer::No;
    return ExitAnswer::Closed;
}
