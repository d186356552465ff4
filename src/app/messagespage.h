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
};
