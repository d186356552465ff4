#pragma once

#include "engine/schedulingengine.h"
#include "exitquestion.h"
#include "journal/failurenotice.h"
#include "runner/nextrun.h"
#include "schedule/entrysentence.h"

#include <QMainWindow>
#include <QTimer>

#include <functional>

class EventsPage;
class MessagesPage;
class NewEntryPage;
class QAction;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;
class QTreeWidgetItem;
class TForm2;
class TForm3;
class TSvgEditIni;
class TrayIcon;
class ViewPage;

// Form1, the main window. Its handlers keep their historical names and stay
// thin: they read controls, call the scheduling engine, write controls. The
// engine is built beside it and outlives it.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    struct Options
    {
        QString programDirectory;
        QString executableFileName = {};
        // Where the language file and the help are: the program directory when empty.
        QString dataDirectory = {};
        ExitAsker exitAsker = askExitQuestion;
        // Chooses the target of a new entry: the chosen file, or an empty
        // text when the user cancels. Tests answer without a dialog.
        std::function<QString(QWidget *parent, const QStringList &nameFilters,
                              const QString &initialDirectory)>
            chooseFile = {};
        // Shows a notification with an action that shows the window; the
        // tray icon's, through the desktop's notification service, when
        // empty. Tests record instead.
        std::function<void(const QString &summary, const QString &body, const QString &showAction)> notify = {};
    };

    TForm1(SchedulingEngine &engine, Options options, QWidget *parent = nullptr);
    ~TForm1() override;

    // The saved values into the controls, once the window is built and
    // connected to the engine, before its start-up code runs.
    void restoreSettings();

    void setAboutWindow(TForm3 *form3) { m_form3 = form3; }
    void setJournalViewer(TForm2 *form2) { m_form2 = form2; }
    bool showMainWindowSetting() const { return m_showMainWindow; }
    const QString &dataDirectory() const
    {
        return m_options.dataDirectory.isEmpty() ? m_options.programDirectory : m_options.dataDirectory;
    }

    void FormCreate();

    // Shell.
    void Button5Click();
    void Affiche1Click();
    void Rduire1Click();
    void Button9Click();
    void Timer2Timer();
    void RxTrayIcon1Click();
    void Button7Click();
    void propos1Click();
    // Saves, then asks whether to end; "Non" reduces the window.
    void FormClose();
    // The session is ending: close without asking, save nothing more.
    void sessionEnds();
    // The same, then quit (SIGTERM, SIGHUP).
    void endSession();

    // Schedule.
    void lirefiche(bool load);
    void Button4Click();
    void Button1Click();
    void Button3Click();
    void TabSheet4Enter();
    void ListView2Click();
    void ListBox1Click();
    void Button8Click();
    void Button16Click();
    // "Modifier": the selected entry onto the new-entry page, to be saved in place.
    void Button17Click();
    // "Annuler": the edit left unsaved, the page as it was before.
    void Button18Click();
    // "Suspendre" / "Reprendre" on the selected entries.
    void Button19Click();
    // Stops what the selected entries started and still runs.
    void Button20Click();
    // Button19 says what pressing it would do to the first selected entry.
    void showPauseCaption();
    // The words of the next run, from the page of composed texts.
    NextRunWords nextRunWords() const;
    // The two minutes the scheduler keeps, which the next runs are foreseen from.
    SchedulerMinutes schedulerMinutes() const;
    // The next-run column again, in the current language and at the current
    // time, with the past columns.
    void refreshNextRuns();
    // Only the past columns: what each start changes, without foreseeing
    // the next run of every entry again.
    void refreshPastColumns();
    void forEachEntryRow(const std::function<void(QTreeWidgetItem *, int)> &visit);
    // How many runs go, and "Arrêter" offered when a selected entry runs.
    void showRunsGoing();
    // The words of an entry's sentence, from the page of composed texts.
    SentenceWords sentenceWords() const;
    // How an entry runs, said in those words: "une seule à la fois ; arrêtée après 5 min".
    static QString optionsInWords(const SentenceWords &words, const EntryOptions &options);
    // A hidden label's caption, by its component name.
    QString labelCaption(const QString &name) const;
    // The tray's tooltip: the title, and how many entries are suspended.
    void showTrayToolTip();
    QString trayToolTip() const;

    // Scheduler.
    void Timer1Timer();
    void Timer3Timer();
    void TrimWorkingSet(const QString &executableName);
    SchedulingEngine &engine() { return m_engine; }

    // What the engine reports.
    void showRecorded(const RecordedEvent &event);
    void showScheduleRows();
    void showNewEntryPage();

    // New-entry page.
    void Button6Click();
    void TabSheet3Show();
    void Button14Click();
    void Button15Click();

    // Settings and languages.
    void Sauvegarde();
    QString IniLang(const QString &key) const;
    // The current language name, Edit_4.
    QString languageName() const;
    void SetLangStrings();
    void Button13Click();
    void Francais1Click();
    void English1Click();
    void Button12Click();
    // The components whose captions follow the language, in creation order.
    QList<QObject *> languageComponents() const;
    // The controls whose hints follow it.
    QList<QWidget *> hintedControls() const;
    TSvgEditIni *SvgEditIni1 = nullptr;

    // Journal purge and viewer.
    void d();
    void ScruteDossier1Fichier(const QString &Nom);
    void Voirlesfichiersjuornaux1Click();
    // A program's output in the journal viewer.
    void showOutput(const QString &path);

    // History and journal.
    void Button10Click();
    void ApplicationEvents1Exception(const QString &message);
    void errorSignal();
    // Start with the session, or no longer, as the box says.
    void CheckBox_13Click();
    // A failure while the window is hidden or minimized, with "Notifier les
    // erreurs au bureau" ticked, is told in a notice of the desktop.
    void notifyFailure(const QString &status, const QString &subject);
    void tellFailures();
    void ecrirejournal(const QString &line);
    void ecrire(const QString &line);

    // The engine's lines, which the scheduler reads.
    ScheduleLines &ListBox1;

    QTabWidget *PageControl1;
    EventsPage *TabSheet1;
    NewEntryPage *TabSheet3;
    ViewPage *TabSheet4;
    MessagesPage *TabSheet2;
    QPushButton *Button5;
    QPushButton *Button9;
    QPushButton *Button7;
    QMenu *PopupMenu1;
    // The engine's minute timer: the pass and the reload check share its wake-up.
    QTimer *Timer1;
    QTimer *Timer2;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildMenus();
    // Page switching and Escape, wherever the focus is.
    void buildKeys();
    void connectNewEntryPage();
    void buildTimers();
    // The events page's switches, as the engine works with them.
    void pushSettings();
    QAction *addItem(QMenu *menu, const char *name, const QString &caption,
                     std::function<void()> handler);

    SchedulingEngine &m_engine;
    Options m_options;
    TrayIcon *RxTrayIcon1 = nullptr;
    // The selected rows' lines, to select them again once the rows are rebuilt.
    void keepSelection();
    QList<int> keptRowsNow() const;
    QList<std::pair<int, QString>> m_keptSelection;
    bool m_rebuildingRows = false;
    // Foreseen while the page was off screen: told again when it shows.
    bool m_nextRunsStale = false;
    int m_pausedEntries = 0;
    QTimer m_pastRefresh;
    QList<FailureToTell> m_failuresToTell;
    bool m_pastStale = false;
    TForm2 *m_form2 = nullptr;
    TForm3 *m_form3 = nullptr;
    bool m_showMainWindow = true;
    bool m_sessionEnding = false;
    // The exit question: open, answered "Oui" (or the close may go on), and asked from within closeEvent.
    bool m_exitAsked = false;
    bool m_exitConfirmed = false;
    bool m_closing = false;
};
