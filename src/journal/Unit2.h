#pragma once

#include <QHash>
#include <QMainWindow>

#include <functional>

class JournalModel;
class QAction;
class QFrame;
class QMenu;
class QPushButton;
class QTableView;

// Form2, the journal viewer: one journal file as a two-column list. Closing
// only hides it; its rows stay until the next load.
class TForm2 : public QMainWindow
{
    Q_OBJECT
public:
    struct Hooks
    {
        QString programDirectory;
        // The file dialog: the chosen file, or an empty text on cancel.
        std::function<QString(QWidget *parent, const QStringList &nameFilters,
                              const QString &initialDirectory)>
            chooseFile = {};
        // The current language name and IniLang of the main window.
        std::function<QString()> languageName;
        std::function<QString(const QString &key)> iniLang;
    };

    explicit TForm2(Hooks hooks, QWidget *parent = nullptr);

    // Asks for a journal file; `chosen` gets it, unless the user cancels.
    void chooseJournalFile(QWidget *parent, std::function<void(const QString &path)> chosen);
    // Replaces the rows with those of the file; raises EInOutError.
    void loadFile(const QString &path);
    // The output a program wrote, one line a row; raises EInOutError.
    void loadOutput(const QString &path);
    // A file picked in the file choice: a program's output from "sorties"
    // as its text, anything else as a journal.
    void loadChosen(const QString &path);

    void Voirlesfichiersjuornaux1Click();
    void Button1Click();
    void Quitter1Click();
    void FormActivate();

    JournalModel *model() const { return m_model; }

    QTableView *ListView1;
    QFrame *Panel1;
    QPushButton *Button1;
    QMenu *Fichier1;
    QAction *Voirlesfichiersjuornaux1;
    QAction *N5;
    QAction *Quitter1;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QObject *> languageComponents() const;
    void showTitleFor(const QString &path);

    Hooks m_hooks;
    JournalModel *m_model;
    // The window's own French texts, which a switch back to French restores.
    QHash<QObject *, QString> m_frenchCaptions;
    QStringList m_frenchHeaders;
};
