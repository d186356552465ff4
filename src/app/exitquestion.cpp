#include "exitquestion.h"

#include "qttranslations.h"

#include <QMessageBox>
#include <QPushButton>

QString composeExitQuestion(const QString &exitMsg, const QString &caption,
                            const QString &exitMsg2)
{
    return exitMsg + QLatin1Char(' ') + caption + QLatin1Char('\r') + exitMsg2;
}

void askExitQuestion(const QString &title, const QString &text, ExitAnswered answered)
{
    // Without a parent the box is centred on the screen. The lone CR breaks
    // the line in a native box; Qt's text layout wants LF.
    auto *box = new QMessageBox(QMessageBox::NoIcon, title, QString(text).replace(QLatin1Char('\r'), '\n'));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    // The answers follow the language of the interface, as the question does.
    const bool french = qtTranslationsLanguage() == QLatin1String("French");
    QPushButton *yes = box->addButton(french ? QStringLiteral("&Oui") : QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton *no = box->addButton(french ? QStringLiteral("&Non") : QStringLiteral("&No"), QMessageBox::NoRole);
    box->setDefaultButton(yes);
    box->setEscapeButton(no);
    QObject::connect(box, &QMessageBox::finished, box, [box, yes, no, answered = std::move(answered)] {
        QAbstractButton *clicked = box->clickedButton();
        answered(clicked == yes ? ExitAnswer::Yes : clicked == no ? ExitAnswer::No : ExitAnswer::Closed);
    });
    box->show();
}
