#pragma once

#include <QWidget>

// TabSheet3 "Programmation Répétitive": where the user composes a new entry.
// The first run opens the program on this page.
class NewEntryPage : public QWidget
{
    Q_OBJECT
public:
    explicit NewEntryPage(QWidget *parent = nullptr);
};
