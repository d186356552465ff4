#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TSpinEdit;

// TabSheet3 "Programmation Répétitive": the user composes a new entry, reads
// it described in words, and saves it.
class NewEntryPage : public QWidget
{
    Q_OBJECT
public:
    explicit NewEntryPage(QWidget *parent = nullptr);

    // The seven day boxes, Monday first.
    QList<QCheckBox *> dayBoxes() const;

    QGroupBox *GroupBox2;
    QLineEdit *Editsource;
    QPushButton *Button14;
    QGroupBox *GroupBox1;
    QLineEdit *Edit3;
    QGroupBox *GroupBox8;
    TSpinEdit *SpinMinutes;
    QGroupBox *GroupBox7;
    TSpinEdit *Spinheures;
    QGroupBox *GroupBox6;
    QCheckBox *CheckLundi, *CheckMardi, *CheckMercredi, *CheckJeudi, *CheckVendredi,
        *CheckSamedi, *CheckDimanche;
    QLabel *Label6;
    // Why the entry was not saved; shown until the target or parameters change.
    QLabel *Label43;
    // Why an interval of 0 minutes is not saved: it never runs.
    QLabel *Label57;
    QPushButton *Button15;
    // Hidden: the sentence's own button and the language controls.
    QPushButton *Button6;
    QPushButton *Button12;
    QLineEdit *Edit_4;
    QPushButton *Button13;
};
