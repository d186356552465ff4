#include "Unit1.h"

#include "Unit3.h"
#include "files/textfile.h"
#include "journal/errorboundary.h"
#include "journal/eventspage.h"
#include "messagespage.h"
#include "platform/platform.h"
#include "widgets/accessiblenames.h"
#include "widgets/tabbaraccessible.h"
#include "widgets/programicon.h"
#include "widgets/screenfit.h"
#include "programtitle.h"
#include "schedule/newentrypage.h"
#include "schedule/spinedit.h"
#include "schedule/viewpage.h"
#include "settings/SvgEditIni.h"
#include "trayicon.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QKeySequence>
#include <QShortcut>
#include <QTabBar>
#include <QHBoxLayout>
#include <QLabel>
#include <QDir>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <utility>

using ErrorBoundary::guarded;

TForm1::TForm1(SchedulingEngine &engine, Options options, QWidget *parent)
    : QMainWindow(parent), ListBox1(engine.lines()), m_engine(engine), m_options(std::move(options))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Pendulix"));
    // What a minimized window is announced by.
    setWindowIconText(windowTitle());
    setWindowIcon(programIcon());
    resize(699, 447);
    // Where the window was designed; a window manager may place it elsewhere.
    move(220, 152);

    auto *central = new QWidget(this);
    // The messages page is a hidden tab: the bus must not announce it.
    installVisibleTabsAccessibility();
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
    const auto showOutputOf = [this](const QString &path) { ErrorBoundary::run([&] { showOutput(path); }); };
    connect(TabSheet1, &EventsPage::outputWanted, this, showOutputOf);
    connect(TabSheet4, &ViewPage::outputWanted, this, showOutputOf);
    connect(TabSheet4->Button8, &QPushButton::clicked, this, guarded([this] { Button8Click(); }));
    connect(TabSheet4->Button16, &QPushButton::clicked, this, guarded([this] { Button16Click(); }));
    connect(TabSheet4->Button17, &QPushButton::clicked, this, guarded([this] { Button17Click(); }));
    connect(TabSheet4->Button19, &QPushButton::clicked, this, guarded([this] { Button19Click(); }));
    connect(TabSheet4->Button20, &QPushButton::clicked, this, guarded([this] { Button20Click(); }));
    // Thousands of starts in a minute redraw the past columns a few times, not at each start.
    m_pastRefresh.setSingleShot(true);
    m_pastRefresh.setInterval(250);
    // Off screen the columns wait until the page shows: each refresh of
    // thousands of rows sizes the columns to their texts again.
    connect(&m_pastRefresh, &QTimer::timeout, this, guarded([this] {
        m_pastStale = !TabSheet4->isVisible();
        if (!m_pastStale)
            refreshPastColumns();
        else
            showRunsGoing();
    }));
    connect(TabSheet4, &ViewPage::shown, this, guarded([this] {
        const bool pastStale = std::exchange(m_pastStale, false);
        if (std::exchange(m_nextRunsStale, false))
            refreshNextRuns();
        else if (pastStale)
            refreshPastColumns();
    }));
    connect(&m_engine, &SchedulingEngine::pastChanged, this, [this] {
        if (!m_pastRefresh.isActive())
            m_pastRefresh.start();
    });
    connect(TabSheet4->Button4, &QPushButton::clicked, this, guarded([this] { Button4Click(); }));
    connect(TabSheet4->Button3, &QPushButton::clicked, this, guarded([this] { Button3Click(); }));
    connect(TabSheet4->Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(TabSheet4, &ViewPage::entered, this, guarded([this] { TabSheet4Enter(); }));
    connect(TabSheet4->ListView2, &QTreeWidget::itemSelectionChanged, this, guarded([this] {
        // Rows being rebuilt are selected again once they are all there.
        if (m_rebuildingRows)
            return;
        keepSelection();
        ListView2Click();
    }));
    // Each pass moves the next runs on; off screen they wait for the page to show.
    connect(&m_engine, &SchedulingEngine::passed, this, guarded([this] {
        m_nextRunsStale = !TabSheet4->isVisible();
        if (!m_nextRunsStale)
            refreshNextRuns();
    }));

    buildMenus();
    buildKeys();

    // The tray icon is there before the window first shows.
    RxTrayIcon1 = new TrayIcon(PopupMenu1, this);
    connect(RxTrayIcon1, &TrayIcon::clicked, this, guarded([this] { RxTrayIcon1Click(); }));

    buildTimers();
    connectNewEntryPage();

    connect(TabSheet1->Button11, &QPushButton::clicked, this, guarded([this] { d(); }));
    connect(TabSheet1->CheckBox_13, &QCheckBox::toggled, this,
            guarded([this] { CheckBox_13Click(); }));
    // The engine journals and purges by these switches, restored ones included.
    const auto push = guarded([this] { pushSettings(); });
    connect(TabSheet1->CheckBox_9, &QCheckBox::toggled, this, push);
    connect(TabSheet1->CheckBox_1, &QCheckBox::toggled, this, push);
    connect(TabSheet1->SpinEdit_1, &QSpinBox::valueChanged, this, push);
    pushSettings();

    SvgEditIni1 = new TSvgEditIni(this, m_options.programDirectory + QStringLiteral("serie.ini"));
}

void TForm1::restoreSettings()
{
    SvgEditIni1->Restaure();
}

void TForm1::pushSettings()
{
    m_engine.setSettings({.journalling = TabSheet1->CheckBox_9->isChecked(),
                          .purge = TabSheet1->CheckBox_1->isChecked(),
                          .purgeAfterDays = TabSheet1->SpinEdit_1->value()});
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
    connect(TabSheet3->Button18, &QPushButton::clicked, this, guarded([this] { Button18Click(); }));
    for (QLineEdit *box : {TabSheet3->EditNom, TabSheet3->EditJours, TabSheet3->EditMois})
        connect(box, &QLineEdit::textChanged, this, compose);
    for (QCheckBox *box : {TabSheet3->CheckPause, TabSheet3->CheckSeul, TabSheet3->CheckMax,
                           TabSheet3->CheckRattrapage})
        connect(box, &QCheckBox::toggled, this, compose);
    connect(TabSheet3->SpinMax, &QSpinBox::valueChanged, this, compose);
    connect(TabSheet3->Button12, &QPushButton::clicked, this, guarded([this] { Button12Click(); }));
    connect(TabSheet3->Button13, &QPushButton::clicked, this, guarded([this] { Button13Click(); }));
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (PageControl1->widget(index) == TabSheet3)
            ErrorBoundary::run([this] { TabSheet3Show(); });
    });
}

TForm1::~TForm1() = default;

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
    // Read out as it is written in both languages.
    menuBar()->setAccessibleName(QStringLiteral("Menu"));
    QMenu *file = menuBar()->addMenu(QStringLiteral("&Fichier"));
    file->setObjectName(QStringLiteral("Fichier1"));
    addItem(file, "Voirlesfichiersjuornaux1", QStringLiteral("&Voir les fichiers journaux"),
            [this] { Voirlesfichiersjuornaux1Click(); });
    addItem(file, "Viderlhistorique1", QStringLiteral("Vider l'&historique"),
            [this] { Button10Click(); });
    file->addSeparator()->setObjectName(QStringLiteral("N5"));
    addItem(file, "Supprimerlesfichiersjournaux1", QStringLiteral("&Supprimer les fichiers journaux"),
            [this] { d(); });
    file->addSeparator()->setObjectName(QStringLiteral("N4"));
    addItem(file, "Rduire2", QStringLiteral("&Réduire"), [this] { Button5Click(); });
    addItem(file, "Quitter1", QStringLiteral("&Quitter"), [this] { Button9Click(); });

    QMenu *help = menuBar()->addMenu(QStringLiteral("?"));
    help->setObjectName(QStringLiteral("N3"));
    addItem(help, "Aide1", QStringLiteral("&Aide"), [this] { Button7Click(); });
    addItem(help, "propos1", QStringLiteral("à &propos"), [this] { propos1Click(); });

    QMenu *language = menuBar()->addMenu(QStringLiteral("&Langue"));
    language->setObjectName(QStringLiteral("Language1"));
    addItem(language, "Francais1", QStringLiteral("&Francais"), [this] { Francais1Click(); });
    addItem(language, "English1", QStringLiteral("&English"), [this] { English1Click(); });

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    addItem(PopupMenu1, "Affiche1", QStringLiteral("&Afficher"), [this] { Affiche1Click(); });
    addItem(PopupMenu1, "Rduire1", QStringLiteral("&Réduire"), [this] { Rduire1Click(); });
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N2"));
    addItem(PopupMenu1, "N1", QStringLiteral("&Quitter"), [this] { Button9Click(); });
}

void TForm1::buildKeys()
{
    // From anywhere in the window, not only from within the pages.
    const auto step = [this](int by) {
        const int count = PageControl1->count();
        int index = PageControl1->currentIndex();
        do
            index = (index + by + count) % count;
        while (!PageControl1->isTabVisible(index));
        PageControl1->setCurrentIndex(index);
        PageControl1->tabBar()->setFocus(Qt::TabFocusReason);
    };
    const std::pair<QKeyCombination, int> keys[] = {
        {Qt::CTRL | Qt::Key_Tab, 1},           {Qt::CTRL | Qt::Key_PageDown, 1},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, -1}, {Qt::CTRL | Qt::Key_PageUp, -1}};
    for (const auto &[key, by] : keys) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, [step, by = by] { step(by); });
    }
    // Escape leaves an edit unsaved, as "Annuler" does.
    auto *cancel = new QShortcut(QKeySequence(Qt::Key_Escape), TabSheet3);
    cancel->setContext(Qt::WidgetWithChildrenShortcut);
    connect(cancel, &QShortcut::activated, this, guarded([this] {
        if (TabSheet3->editing())
            Button18Click();
    }));
}

void TForm1::buildTimers()
{
    // Started by whoever builds the engine and the window.
    Timer1 = m_engine.minuteTimer();

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setSingleShot(true);
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, guarded([this] { Timer2Timer(); }));
    Timer2->start();
}

void TForm1::FormCreate()
{
    // A write back killed between its temporary and the rename left the
    // temporary behind; nobody else writes ours while this instance runs.
    TextFile::removeStaleTemporaries(m_options.programDirectory + QStringLiteral("serie.ini"));
    Button13Click();
    nameFieldsAfterTheirBoxes(this);
    // lirefiche, d, and the file's size remembered.
    m_engine.startUp();
    TabSheet4->setEntryActionsEnabled(false);
}

// ---- Shell -----------------------------------------------------------------

void TForm1::Button5Click()
{
    // Without a tray host a hidden window could never be reached again: there
    // it goes to the task bar instead. A Wayland client cannot bring itself
    // back from minimized, and a compositor without a task list gives the
    // user no way to: there it is unmapped, and shown again as a new window
    // by a second start or a notice's click.
    if (RxTrayIcon1->isAvailable() || QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
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
    const QString pages = dataDirectory() + QStringLiteral("aide/%1/index.html").arg(language);
    Platform::openHelp(dataDirectory() + QStringLiteral("aide.chm"), pages,
                       [self = QPointer<TForm1>(this), pages] {
                           if (!self)
                               return;
                           // Said, not left to a click that seems to do nothing.
                           auto *box = new QMessageBox(QMessageBox::Information, self->windowTitle(),
                                                       self->TabSheet2->Label79->text() + QLatin1Char(' ') +
                                                           QDir::toNativeSeparators(pages),
                                                       QMessageBox::Ok, self);
                           box->setObjectName(QStringLiteral("AideIntrouvable"));
                           box->setAttribute(Qt::WA_DeleteOnClose);
                           box->open();
                       });
}

void TForm1::propos1Click()
{
    if (!m_form3)
        return;
    m_form3->show();
    m_form3->raise();
    m_form3->activateWindow();
}

void TForm1::FormClose()
{
    // Settings that cannot be saved do not keep the program from ending.
    m_exitConfirmed = true;
    Sauvegarde();
    m_exitConfirmed = false;
    const QString question = composeExitQuestion(
        TabSheet2->ExitMsg->text(), windowTitle(), TabSheet2->ExitMsg2->text());
    m_exitAsked = true;
    m_options.exitAsker(programTitle(m_options.executableFileName), question,
                        [this, alive = QPointer<TForm1>(this)](ExitAnswer answer) {
                            if (!alive)
                                return;
                            m_exitAsked = false;
                            if (answer == ExitAnswer::No) {
                                Button5Click();
                                return;
                            }
                            // A box closed otherwise ends the program as "Oui" does.
                            m_exitConfirmed = true;
                            // Within the close that asked, that close goes on below.
                            if (!m_closing)
                                close();
                        });
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

void TForm1::showEvent(QShowEvent *event)
{
    fitInsideScreen(this);
    QMainWindow::showEvent(event);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (m_sessionEnding) {
        event->accept();
        return;
    }
    // The question is answered later, or at once: only then is the close let through.
    if (!m_exitConfirmed && !m_exitAsked) {
        m_closing = true;
        ErrorBoundary::run([this] { FormClose(); });
        m_closing = false;
    }
    if (!m_exitConfirmed) {
        event->ignore();
        return;
    }
    event->accept();
    // Closing the main window ends the program, whatever other window is open.
    RxTrayIcon1->remove();
    QCoreApplication::quit();
}

// ---- Scheduler -------------------------------------------------------------

void TForm1::Timer1Timer()
{
    m_engine.runPass();
}

void TForm1::Timer3Timer()
{
    m_engine.minuteCheck();
}

void TForm1::TrimWorkingSet(const QString &executableName)
{
    Platform::trimWorkingSet(executableName);
}
