#pragma once

#include <QWidget>

class QLabel;

// TabSheet2, whose tab is never shown: the texts that code composes, held as
// captions so that the language file reaches them.
class MessagesPage : public QWidget
{
    Q_OBJECT
public:
    explicit MessagesPage(QWidget *parent = nullptr);

    QLabel *ExitMsg;
    QLabel *ExitMsg2;
    // The words of the entry description, Label32 to Label42.
    QLabel *Label32, *Label33, *Label34, *Label35, *Label36, *Label37, *Label38, *Label39,
        *Label40, *Label41, *Label42;
    // The words of the next run on the view page, Label44 to Label56: today,
    // tomorrow, never, the two reasons of a never, the seven days, the header.
    QLabel *Label44, *Label45, *Label46, *Label47, *Label48, *Label49, *Label50, *Label51,
        *Label52, *Label53, *Label54, *Label55, *Label56;
    // A suspended entry's next run, and why days of the month and months
    // that never meet never run.
    QLabel *Label58, *Label59;
    // The tray's tooltip words before the number of suspended entries.
    QLabel *Label60;
    // When an entry last ran ("hier 03:00"), and the headers of its last run and result.
    QLabel *Label61, *Label62, *Label63;
    // Button19's two captions: the selected entry runs, or it is suspended.
    QLabel *Label64, *Label65;
    // The new-entry page editing a line: "Modification de la ligne" 003.
    QLabel *Label66;
    // The sentence of an entry with options: days of the month, months, the last day.
    QLabel *Label67, *Label68, *Label69;
    // The sentence of how it runs: one at a time, the time limit, caught up.
    QLabel *Label73, *Label74, *Label75;
    // Before the number of runs going, on the view page.
    QLabel *Label76;
    // The file dialog's words for this platform's scripts and programs.
    QLabel *Label77, *Label78;
    // "Aide" found neither a viewer for the compiled help nor a browser.
    QLabel *Label79;
    // The texts above, in the order of their numbers.
    QList<QLabel *> entryLabels() const;
    QList<QLabel *> nextRunLabels() const;
};
