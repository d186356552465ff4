#pragma once

#include <QWidget>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TSpinEdit;

// What the page's boxes hold, as typed.
struct NewEntryFields
{
    QString source;
    QString parameters;
    int minute = 0;
    int hour = 0;
    std::array<bool, 7> days = {}; // Monday first
    QString name;
    QString monthDays;
    QString months;
    bool paused = false;
    bool alone = false;
    bool stopAfter = false;
    int stopAfterMinutes = 60;
    bool catchUp = false;
};

// TabSheet3 "Programmation Répétitive": the user composes a new entry, reads
// it described in words, and saves it.
class NewEntryPage : public QWidget
{
    Q_OBJECT
public:
    explicit NewEntryPage(QWidget *parent = nullptr);

    // The seven day boxes, Monday first.
    QList<QCheckBox *> dayBoxes() const;

    NewEntryFields fields() const;
    void setFields(const NewEntryFields &fields);
    // The name, the days of the month, the months and the option boxes as
    // for a new entry; the target, the time and the days stay.
    void clearOptions();

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

    // The entry's options: its name, days of the month, months, suspended;
    // each box named by the label before it.
    QLabel *LabelNom;
    QLineEdit *EditNom;
    QLabel *LabelJours;
    QLineEdit *EditJours;
    QLabel *LabelMois;
    QLineEdit *EditMois;
    QCheckBox *CheckPause;
    // How a start is run: one at a time, a time limit, a missed start caught up.
    QCheckBox *CheckSeul;
    QCheckBox *CheckMax;
    QSpinBox *SpinMax;
    QLabel *LabelMax;
    QCheckBox *CheckRattrapage;
    // Why the options were not saved: ';' or '|' in a value.
    QLabel *Label71;
    // Why an edit was not saved: the line changed in the file meanwhile.
    QLabel *Label72;

    // Editing a line in place: which one, and "Annuler" to leave it unsaved.
    QLabel *LabelEdition;
    QPushButton *Button18;
    // The line being edited as it was read, and its index; -1 for a new entry.
    int editedIndex() const { return m_editedIndex; }
    const QString &editedLine() const { return m_editedLine; }
    // `title`: "Modification de la ligne 003" in the current language. What
    // the boxes held is given back when the editing ends.
    void beginEditing(int index, const QString &line, const QString &title);
    void endEditing();
    bool editing() const { return m_editedIndex >= 0; }
    // The minute and hour fields to save: while editing, the line's own text
    // when the box still shows what it was given, so that a value the box
    // cannot show (59, an interval of 48 hours) is not saved clamped.
    void keepFieldTexts(const QString &minute, const QString &hour);
    QString minuteText() const;
    QString hourText() const;
    // The refusals shown until the user changes what they are about.
    void hideRefusals();
    // The time limit's box, named for a screen reader after the check box
    // and the label around it; again after a change of language.
    void nameTheLimit();
    // Hidden: the sentence's own button and the language controls.
    QPushButton *Button6;
    QPushButton *Button12;
    QLineEdit *Edit_4;
    QPushButton *Button13;

private:
    int m_editedIndex = -1;
    QString m_editedLine;
    NewEntryFields m_before;
    QString m_minuteText, m_hourText;
    int m_shownMinute = -1, m_shownHour = -1;
};
