#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QAction;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

// TabSheet1 "Evénements": the history list and the journal options.
class EventsPage : public QWidget
{
    Q_OBJECT
public:
    explicit EventsPage(QWidget *parent = nullptr);

    // The rows the history keeps on screen, the newest.
    static constexpr int kHistoryRows = 10000;

    // Appends a History row at the end of ListView1. The oldest rows beyond
    // kHistoryRows go, and the newest comes into view, once the event loop
    // turns: a minute may bring thousands of rows.
    // A failure's row shows under "Erreurs seulement".
    void appendHistoryRow(const QString &time, const QString &subject, const QString &output = QString(),
                          bool failure = false);
    // The subject the history is narrowed to under "Programmation choisie
    // seulement": the entry selected on the view page, empty when none is.
    void setChosenEntry(const QString &subject);
    // The output file of the row, empty when it has none.
    static QString outputOf(const QTreeWidgetItem *row);
    // "Voir la sortie": the context menu of a row with an output.
    QMenu *PopupMenu3;
    QAction *Voirlasortie1;

    QLabel *Label5;
    // The history narrowed to failures, and to the entry chosen on the view.
    QCheckBox *CheckErreurs;
    QCheckBox *CheckChoisie;
    QTreeWidget *ListView1;
    QPushButton *Button10;
    QGroupBox *GroupBox4;
    QCheckBox *CheckBox_1;
    QSpinBox *SpinEdit_1;
    QLabel *Label7;
    QCheckBox *CheckBox_12;
    // "Démarrer avec la session".
    QCheckBox *CheckBox_13;
    // "Notifier les erreurs au bureau": a notice of each failure while the window is away.
    QCheckBox *CheckBox_14;
    QCheckBox *CheckBox_11;
    QCheckBox *CheckBox_9;
    QPushButton *Button11;

signals:
    // "Voir la sortie" on a row, or a double click on it: the file to show.
    void outputWanted(const QString &path);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void settleHistory();
    bool filteredOut(const QTreeWidgetItem *row) const;
    void applyFilters();
    void scrollToNewest();

    bool m_settlePending = false;
    bool m_followNewest = true;
    bool m_scrollPending = false;
    QString m_chosenEntry;
};
