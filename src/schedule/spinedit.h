#pragma once

#include <QSpinBox>

// A spin box that takes only digits, signs and the decimal separator as
// typed keys (others are refused with a beep), reads any text that is no
// integer as its minimum, and clamps to its limits when it loses the focus.
class TSpinEdit : public QSpinBox
{
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget *parent = nullptr);

    // Whether a typed character is one the box takes.
    static bool acceptsCharacter(QChar c);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    QValidator::State validate(QString &input, int &pos) const override;
    int valueFromText(const QString &text) const override;
    void fixup(QString &input) const override;
};
