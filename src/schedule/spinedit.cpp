#include "spinedit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

TSpinEdit::TSpinEdit(QWidget *parent) : QSpinBox(parent)
{
    lineEdit()->setMaxLength(2);
    setKeyboardTracking(true);
}

bool TSpinEdit::acceptsCharacter(QChar c)
{
    return c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-') ||
           c == QLocale().decimalPoint().at(0);
}

void TSpinEdit::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    if (text.size() == 1 && text.at(0).isPrint() && !acceptsCharacter(text.at(0))) {
        QApplication::beep();
        event->accept();
        return;
    }
    QSpinBox::keyPressEvent(event);
}

QValidator::State TSpinEdit::validate(QString &input, int &) const
{
    for (const QChar c : input) {
        if (!acceptsCharacter(c))
            return QValidator::Invalid;
    }
    bool ok = false;
    const int value = input.toInt(&ok);
    return ok && value >= minimum() && value <= maximum() ? QValidator::Acceptable
                                                          : QValidator::Intermediate;
}

int TSpinEdit::valueFromText(const QString &text) const
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : minimum();
}

void TSpinEdit::fixup(QString &input) const
{
    // Leaving the box: a value outside the limits becomes the nearest limit.
    input = QString::number(qBound(minimum(), valueFromText(input), maximum()));
}
