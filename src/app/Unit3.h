#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Form3, the about window: shown without being modal, hidden by "Fermer".
class TForm3 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);

    void Button9Click();

    QLabel *Image1;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QPushButton *Button9;
};
