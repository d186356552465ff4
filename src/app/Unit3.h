#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

// Form3, the about window: shown without being modal, hidden by "Fermer".
class TForm3 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);

    void Button9Click();
    // Each time the window becomes active, its buttons take their captions
    // from the language file, whatever the language.
    void FormActivate();
    void setLanguageLookup(std::function<QString(const QString &key)> iniLang)
    {
        m_iniLang = std::move(iniLang);
    }

    QLabel *Image1;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QPushButton *Button9;

protected:
    bool event(QEvent *event) override;

private:
    std::function<QString(const QString &)> m_iniLang;
};
