#include "Unit1.h"

#include "Unit3.h"
#include "journal/errorboundary.h"
#include "journal/textfile.h"
#include "journal/eventspage.h"
#include "messagespage.h"
#include "platform/platform.h"
#include "programicon.h"
#include "programtitle.h"
#include "runner/targetsplit.h"
#include "runner/urltask.h"
#include "schedule/newentrypage.h"
#include "schedule/spinedit.h"
#include "schedule/viewpage.h"
#include "settings/SvgEditIni.h"
#include "trayicon.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

using ErrorBoundary::guarded;

TForm1::TForm1(Options options, QWidget *parent)
    : QMainWindow(parent), m_options(std::move(options)), m_schedule(m_options.programDirectory),
      m_events(m_options.programDirectory,
               {[this](const QString &time, const QString &subject) {
                    TabSheet1->appendHistoryRow(time, subject);
                },
                [this] { return TabSheet1->CheckBox_9->isChecked(); }, [this] { errorSignal(); },
                m_options.clock, {},
                [this](const QString &status, const QString &subject) {
                    notifyFailure(status, subject);
                }}),
      m_launcher(m_events, {[this](const QString &path, const QString &parameters,
                                   Launcher::Report report) {
                                // The bytes of the schedule file, as they stand.
                                Platform::startTarget(Platform::nativePath(path),
                                                      Platform::encodeText(parameters), this,
                                                      std::move(report));
                            },
                            [this](const QString &url) { http(m_events, url, this); }}),
      m_scheduler(ListBox1, {[this](const QString &target) { startTarget(target); },
                             [this](const QString &message) { ApplicationEvents1Exception(message); },
                             [this] { TrimWorkingSet(Platform::fixedExecutableName()); }})
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Pendulix"));
    setWindowIcon(programIcon());
    resize(699, 447);
    // Where the window was designed; a window manager may place it elsewhere.
    move(220, 152);

    auto *central = new QWidget(this);
    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = new EventsPage;
    TabSheet3 = new NewEntryPage;
    TabSheet4 = new ViewPage;
    TabSheet2 = new MessagesPage;
    PageControl1->addTab(TabSheet1, QStringLiteral("Evénements"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Programmation Répétitive"));
    PageControl1->addTab(TabSheet4, QStringLiteral("Visualisation des programmations"));
    PageControl1->addTab(TabSheet2, QStringLiteral("TabSheet2"));
    PageControl1->setTabVisible(3, false);
    PageControl1->setCurrentIndex(0);

    Button5 = new QPushButton(QStringLiteral("Réduire"), central);
    Button5->setObjectName(QStringLiteral("Button5"));
    Button5->setToolTip(QStringLiteral("Réduire dans le systray"));
    Button5->setMinimumWidth(129);
    Button9 = new QPushButton(QStringLiteral("Quitter"), central);
    Button9->setObjectName(QStringLiteral("Button9"));
    Button9->setMinimumWidth(129);
    Button7 = new QPushButton(QStringLiteral("Aide"), central);
    Button7->setObjectName(QStringLiteral("Button7"));
    Button7->setMinimumWidth(97);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Button5);
    buttons->addWidget(Button9);
    buttons->addWidget(Button7);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(central);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);
    setCentralWidget(central);

    connect(Button5, &QPushButton::clicked, this, guarded([this] { Button5Click(); }));
    connect(Button9, &QPushButton::clicked, this, guarded([this] { Button9Click(); }));
    connect(Button7, &QPushButton::clicked, this, guarded([this] { Button7Click(); }));
    connect(TabSheet1->Button10, &QPushButton::clicked, this,
            guarded([this] { Button10Click(); }));
    connect(TabSheet4->Button8, &QPushButton::clicked, this, guarded([this] { Button8Click(); }));
    connect(TabSheet4->Button16, &QPushButton::clicked, this, guarded([this] { Button16Click(); }));
    connect(TabSheet4->Button4, &QPushButton::clicked, this, guarded([this] { Button4Click(); }));
    connect(TabSheet4->Button3, &QPushButton::clicked, this, guarded([this] { Button3Click(); }));
    connect(TabSheet4->Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(TabSheet4, &ViewPage::entered, this, guarded([this] { TabSheet4Enter(); }));
    connect(TabSheet4->ListView2, &QTreeWidget::itemSelectionChanged, this,
            guarded([this] { ListView2Click(); }));

    buildMenus();

    // The tray icon is there before the window first shows.
    RxTrayIcon1 = new TrayIcon(PopupMenu1, this);
    connect(RxTrayIcon1, &TrayIcon::clicked, this, guarded([this] { RxTrayIcon1Click(); }));

    buildTimers();
    connectNewEntryPage();

    ScruteDossier1.OnFichier = [this](TScruteDossier &, const QString &Nom) {
        ScruteDossier1Fichier(Nom);
    };
    // No message pump during a walk: a scheduler tick delivered inside it would
    // run a pass in the middle of a purge. A walk over our own folder is short.
    connect(TabSheet1->Button11, &QPushButton::clicked, this, guarded([this] { d(); }));
    connect(TabSheet1->CheckBox_13, &QCheckBox::toggled, this,
            guarded([this] { CheckBox_13Click(); }));

    ErrorBoundary::setHandler([this](const QString &message) {
        ApplicationEvents1Exception(message);
    });

    // The saved values go back into the controls once the window is built,
    // before its start-up code runs.
    SvgEditIni1 = new TSvgEditIni(this, m_options.programDirectory + QStringLiteral("serie.ini"));
    ErrorBoundary::run([this] { SvgEditIni1->Restaure(); });
}

void TForm1::connectNewEntryPage()
{
    const auto compose = guarded([this] { Button6Click(); });
    for (QCheckBox *box : TabSheet3->dayBoxes())
        connect(box, &QCheckBox::toggled, this, compose);
    for (QCheckBox *box : {TabSheet4->CheckBox2, TabSheet4->CheckBox3, TabSheet4->CheckBox4,
                           TabSheet4->CheckBox5, TabSheet4->CheckBox6, TabSheet4->CheckBox7,
                           TabSheet4->CheckBox8})
        connect(box, &QCheckBox::toggled, this, compose);
    connect(TabSheet3->SpinMinutes, &QSpinBox::valueChanged, this, compose);
    connect(TabSheet3->Spinheures, &QSpinBox::valueChanged, this, compose);
    connect(TabSheet3->Button6, &QPushButton::clicked, this, compose);
    connect(TabSheet3->Button14, &QPushButton::clicked, this, guarded([this] { Button14Click(); }));
    connect(TabSheet3->Button15, &QPushButton::clicked, this, guarded([this] { Button15Click(); }));
    connect(TabSheet3->Button12, &QPushButton::clicked, this, guarded([this] { Button12Click(); }));
    connect(TabSheet3->Button13, &QPushButton::clicked, this, guarded([this] { Button13Click(); }));
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (PageControl1->widget(index) == TabSheet3)
            ErrorBoundary::run([this] { TabSheet3Show(); });
    });
}

TForm1::~TForm1()
{
    ErrorBoundary::setHandler({});
}

QAction *TForm1::addItem(QMenu *menu, const char *name, const QString &caption,
                         std::function<void()> handler)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    if (handler)
        connect(action, &QAction::triggered, this, guarded(std::move(handler)));
    return action;
}

void TForm1::buildMenus()
{
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    QMenu *file = menuBar()->addMenu(QStringLiteral("Fichier"));
    file->setObjectName(QStringLiteral("Fichier1"));
    addItem(file, "Voirlesfichiersjuornaux1", QStringLiteral("Voir les fichiers journaux"),
            [this] { Voirlesfichiersjuornaux1Click(); });
    addItem(file, "Viderlhistorique1", QStringLiteral("Vider l'historique"),
            [this] { Button10Click(); });
    file->addSeparator()->setObjectName(QStringLiteral("N5"));
    addItem(file, "Supprimerlesfichiersjournaux1", QStringLiteral("Supprimer les fichiers journaux"),
            [this] { d(); });
    file->addSeparator()->setObjectName(QStringLiteral("N4"));
    addItem(file, "Rduire2", QStringLiteral("Réduire"), [this] { Button5Click(); });
    addItem(file, "Quitter1", QStringLiteral("Quitter"), [this] { Button9Click(); });

    QMenu *help = menuBar()->addMenu(QStringLiteral("?"));
    help->setObjectName(QStringLiteral("N3"));
    addItem(help, "Aide1", QStringLiteral("Aide"), [this] { Button7Click(); });
    addItem(help, "propos1", QStringLiteral("à propos"), [this] { propos1Click(); });

    QMenu *language = menuBar()->addMenu(QStringLiteral("Langue"));
    language->setObjectName(QStringLiteral("Language1"));
    addItem(language, "Francais1", QStringLiteral("Francais"), [this] { Francais1Click(); });
    addItem(language, "English1", QStringLiteral("English"), [this] { English1Click(); });

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    addItem(PopupMenu1, "Affiche1", QStringLiteral("Afficher"), [this] { Affiche1Click(); });
    addItem(PopupMenu1, "Rduire1", QStringLiteral("Réduire"), [this] { Rduire1Click(); });
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N2"));
    addItem(PopupMenu1, "N1", QStringLiteral("Quitter"), [this] { Button9Click(); });
}

void TForm1::buildTimers()
{
    // The first scheduler tick comes a second after the window is built and
    // examines the current minute; later ones are armed for each minute's start.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, guarded([this] { Timer1Timer(); }));
    Timer1->start(1000);

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setSingleShot(true);
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, guarded([this] { Timer2Timer(); }));
    Timer2->start();

    Timer3 = new QTimer(this);
    Timer3->setObjectName(QStringLiteral("Timer3"));
    Timer3->setTimerType(Qt::PreciseTimer);
    Timer3->setInterval(60000);
    connect(Timer3, &QTimer::timeout, this, guarded([this] { Timer3Timer(); }));
    Timer3->start();
}

void TForm1::FormCreate()
{
    // A write back killed between its temporary and the rename left the
    // temporary behind; nobody else writes ours while this instance runs.
    m_schedule.removeStaleTemporaries();
    TextFile::removeStaleTemporaries(m_options.programDirectory + QStringLiteral("serie.ini"));
    Button13Click();
    lirefiche(true);
    d();
    TabSheet4->setEntryActionsEnabled(false);
    LastScheduleSize = m_schedule.stamp();
}

// ---- Shell -----------------------------------------------------------------

void TForm1::Button5Click()
{
    // Without a tray host a hidden window could never be reached again: there
    // it goes to the task bar instead.
    if (RxTrayIcon1->isAvailable())
        hide();
    else
        showMinimized();
    m_showMainWindow = false;
    Sauvegarde();
    TrimWorkingSet(Platform::fixedExecutableName());
}

void TForm1::Affiche1Click()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    m_showMainWindow = true;
}

void TForm1::Rduire1Click()
{
    Button5Click();
}

void TForm1::Button9Click()
{
    close();
}

void TForm1::Timer2Timer()
{
    Button5Click();
    Timer2->stop();
}

void TForm1::RxTrayIcon1Click()
{
    Affiche1Click();
}

void TForm1::Button7Click()
{
    const QString language =
        languageName() == QLatin1String("English") ? QStringLiteral("en") : QStringLiteral("fr");
    Platform::openHelp(m_options.programDirectory + QStringLiteral("aide.chm"),
                       m_options.programDirectory + QStringLiteral("aide/%1/index.html").arg(language));
}

void TForm1::propos1Click()
{
    if (!m_form3)
        return;
    m_form3->show();
    m_form3->raise();
    m_form3->activateWindow();
}

bool TForm1::FormClose()
{
    Sauvegarde();
    const QString question = composeExitQuestion(
        TabSheet2->ExitMsg->text(), windowTitle(), TabSheet2->ExitMsg2->text());
    const ExitAnswer answer =
        m_options.exitAsker(programTitle(m_options.executableFileName), question);
    if (answer == ExitAnswer::No) {
        Button5Click();
        return false;
    }
    return true;
}

void TForm1::sessionEnds()
{
    m_sessionEnding = true;
    RxTrayIcon1->remove();
}

void TForm1::endSession()
{
    sessionEnds();
    QCoreApplication::quit();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (m_sessionEnding) {
        event->accept();
        return;
    }
    bool mayClose = true;
    ErrorBoundary::run([&] { mayClose = FormClose(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    event->accept();
    // Closing the main window ends the program, whatever other window is open.
    RxTrayIcon1->remove();
    QCoreApplication::quit();
}

// ---- Scheduler -------------------------------------------------------------

void TForm1::armTimer1()
{
    // Just past the boundary, so that the tick reads the new minute. A tick
    // that still comes a little early sees the old minute, does nothing, and
    // arms itself again for the boundary it just missed.
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime next = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute()))
                               .addSecs(60);
    Timer1->start(int(qBound(qint64(1), now.msecsTo(next) + 1, qint64(61000))));
}

void TForm1::Timer1Timer()
{
    // Armed first, so that an error in the pass cannot stop the scheduler.
    armTimer1();
    m_scheduler.tick(m_options.clock());
}

void TForm1::startTarget(const QString &target)
{
    const LaunchCall call = resolveTargetForLaunch(target, Platform::targetSeparators(),
                                                   &Launcher::targetExists);
    if (call.withParameters)
        m_launcher.Exe(call.program, call.parameters);
    else
        m_launcher.ExecuteWait(call.program);
}

void TForm1::Timer3Timer()
{
    Button1Click();
    if (m_options.clock().toString(QStringLiteral("hh:mm")) == QLatin1String("00:00"))
        Button10Click();
}

void TForm1::TrimWorkingSet(const QString &executableName)
{
    Platform::trimWorkingSet(executableName);
}
