#pragma once

#include "schedulerow.h"

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QAction;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// TabSheet4 "Visualisation des programmations": one row per entry, the days
// of the selected entry, and "Suppimer".
class ViewPage : public QWidget
{
    Q_OBJECT
public:
    explicit ViewPage(QWidget *parent = nullptr);

    void clearRows();
    void repaintRows();
    void addRow(const ScheduleRow &row);
    // The "N°" of the first selected row in list order, -1 when none is selected.
    int firstSelectedNumber() const;
    // Fills the hidden fields and the day boxes from the selected line.
    void showEntry(int index, const ScheduleEntry &entry);
    // Splits Edit7 as it now stands into Label4 and Edit2.
    void splitEdit7();

    QTreeWidget *ListView2;
    QGroupBox *GroupBox3;
    QCheckBox *CheckBox2, *CheckBox3, *CheckBox4, *CheckBox5, *CheckBox6, *CheckBox7, *CheckBox8;
    QPushButton *Button8;
    // "Lancer maintenant": starts the selected entry at once.
    QPushButton *Button16;
    // "Modifier": the selected entry on the new-entry page, to be saved in place.
    QPushButton *Button17;
    // "Suspendre" or "Reprendre" the selected entries.
    QPushButton *Button19;
    // "Arrêter": stops the selected entries' runs that still go.
    QPushButton *Button20;
    QMenu *PopupMenu2;
    QAction *Lancermaintenant1;
    QAction *Modifier1;
    QAction *Suspendre1;
    QAction *Arreter1;
    // The selected row's output, from the menu or with F3.
    QAction *Voirlasortie2;
    // How many runs are going, all entries together.
    QLabel *LabelEnCours;
    // Delete, edit, pause and run now go with a selected entry; stop only
    // with one that runs, "Voir la sortie" with a row whose output is there.
    void setEntryActionsEnabled(bool enabled);
    void setStopEnabled(bool enabled);
    // "Exécutions en cours : 2", `words` in the interface's language.
    void showRunsGoing(const QString &words, int count);
    // The output file of the first selected row, empty when it has none on disk.
    QString selectedOutput() const;
    // Every column as wide as its caption and what it must show at the
    // window's designed size; source and target share what is left.
    void fitColumns();
    // Button19 and its menu item (with its mnemonic) read `caption`.
    void setPauseCaption(const QString &caption);
    // The "N°" of every selected row, in list order.
    QList<int> selectedNumbers() const;
    // Only these rows selected, the first one current; one selection change.
    void selectNumbers(const QList<int> &numbers);
    // The row of line `number`, none when it is not shown.
    QTreeWidgetItem *rowOf(int number) const;

    enum Column {
        NumberColumn,
        TimeColumn,
        SourceColumn,
        TargetColumn,
        // After the designed ones.
        NextRunColumn,
        LastRunColumn,
        ResultColumn,
        NameColumn,
        ColumnCount
    };

    // Hidden controls that carry the selection and the file operations.
    QLineEdit *Edit10, *Edit5, *Edit6, *Edit7, *Edit2, *Edit1;
    QLabel *Label1, *Label2, *Label3, *Label4;
    QPushButton *Button4, *Button3, *Button1;

    // The row's output file, set on its "Résultat" cell.
    static void setOutputOf(QTreeWidgetItem *row, const QString &output);

signals:
    // The keyboard focus moved into the page from outside it.
    void entered();
    // A double click on a "Résultat" cell whose start left an output, or
    // "Voir la sortie".
    void outputWanted(const QString &path);
    // The page came on screen: its tab chosen, or the window shown on it.
    void shown();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QCheckBox *dayBox(int day) const;
    void popUpMenu(const QPoint &at);
    void showSelectedOutput();
};
