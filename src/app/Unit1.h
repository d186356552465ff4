#pragma once

#include "exitquestion.h"
#include "journal/Scrute.h"
#include "journal/eventrecorder.h"
#include "runner/launcher.h"
#include "runner/minutescheduler.h"
#include "runner/nextrun.h"
#include "schedule/schedulefile.h"
#include "schedule/schedulelines.h"

#include <QMainWindow>

#include <functional>

class EventsPage;
class MessagesPage;
class NewEntryPage;
class QAction;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;
class TForm2;
class TForm3;
class TSvgEditIni;
class TrayIcon;
class ViewPage;

// Form1, the main window. Its handlers keep their historical names and stay
// thin: they read controls, call the schedule and journal code, write controls.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    struct Options
    {
        QString programDirectory;
        QString executableFileName;
        ExitAsker exitAsker = askExitQuestion;
        std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
        // Chooses the target of a new entry: the chosen file, or an empty
        // text when the user cancels. Tests answer without a dialog.
        std::function<QString(QWidget *parent, const QStringList &nameFilters,
                              const QString &initialDirectory)>
            chooseFile;
        // Shows a notification; the tray icon's, through the desktop's
        // notification service, when empty. Tests record instead.
        std::function<void(const QString &title, const QString &text)> notify;
    };

    explicit TForm1(Options options, QWidget *parent = nullptr);
    ~TForm1() override;

    void setAboutWindow(TForm3 *form3) { m_form3 = form3; }
    void setJournalViewer(TForm2 *form2) { m_form2 = form2; }
    bool showMainWindowSetting() const { return m_showMainWindow; }

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
    // Returns whether the window may close.
    bool FormClose();
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
    // The words of the next run, from the page of composed texts.
    NextRunWords nextRunWords() const;
    // The next-run column again, in the current language and at the current time.
    void refreshNextRuns();

    // Scheduler.
    void Timer1Timer();
    void Timer3Timer();
    void TrimWorkingSet(const QString &executableName);
    // Starts a due entry's target, split as the scheduler splits it.
    void startTarget(const QString &target);
    Launcher &launcher() { return m_launcher; }
    MinuteScheduler &scheduler() { return m_scheduler; }

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
    TSvgEditIni *SvgEditIni1 = nullptr;

    // Journal purge and viewer.
    void d();
    void ScruteDossier1Fichier(const QString &Nom);
    void Voirlesfichiersjuornaux1Click();
    TScruteDossier ScruteDossier1;

    // History and journal.
    void Button10Click();
    void ApplicationEvents1Exception(const QString &message);
    void errorSignal();
    // Start with the session, or no longer, as the box says.
    void CheckBox_13Click();
    // A failure while the window is hidden, with "Fenêtre surgissante si
    // erreur" ticked, is also told in a notification from the tray.
    void notifyFailure(const QString &status, const QString &subject);
    void ecrirejournal(const QString &line);
    void ecrire(const QString &line);
    EventRecorder &events() { return m_events; }

    ScheduleLines ListBox1;
    ScheduleFile::Stamp LastScheduleSize;

    QTabWidget *PageControl1;
    EventsPage *TabSheet1;
    NewEntryPage *TabSheet3;
    ViewPage *TabSheet4;
    MessagesPage *TabSheet2;
    QPushButton *Button5;
    QPushButton *Button9;
    QPushButton *Button7;
    QMenu *PopupMenu1;
    QTimer *Timer1;
    QTimer *Timer2;
    QTimer *Timer3;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void connectNewEntryPage();
    void buildTimers();
    void armTimer1();
    QAction *addItem(QMenu *menu, const char *name, const QString &caption,
                     std::function<void()> handler);

    Options m_options;
    ScheduleFile m_schedule;
    EventRecorder m_events;
    Launcher m_launcher;
    MinuteScheduler m_scheduler;
    TrayIcon *RxTrayIcon1 = nullptr;
    TForm2 *m_form2 = nullptr;
    TForm3 *m_form3 = nullptr;
    bool m_showMainWindow = true;
    bool m_sessionEnding = false;
};
