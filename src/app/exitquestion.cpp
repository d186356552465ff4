#include "exitquestion.h"

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
    QPushButton *yes = box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    if (box.clickedButton() == yes)
        return ExitAnswer::Yes;
    if (box.clickedButton() == no)
        return ExitAnswer::No;
    return ExitAnswer::Closed;
}
