#include "app/Unit1.h"
#include "app/Unit3.h"
#include "journal/errorboundary.h"
#include "journal/eventspage.h"
#include "files/runtimeerror.h"
#include "platform/platform.h"
#include "app/messagespage.h"
#include "schedule/newentrypage.h"
#include "schedule/spinedit.h"
#include "schedule/viewpage.h"
#include "recordlog.h"
#include "keptrun.h"
#include "testform.h"

#include <QAccessible>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QWindow>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

namespace {

const QDateTime kNow(QDate(2026, 12, 8), QTime(14, 30, 37));

struct Asked
{
    int count = 0;
    QString title;
    QString text;
    ExitAnswer answer = ExitAnswer::No;
    // Set: the answer is kept here for the test to give later, as the box does.
    bool later = false;
    ExitAnswered pending;
};

TestForm makeForm(const TestProgramDir &dir, Asked *asked = nullptr, FakeClock *clock = nullptr)
{
    return makeTestForm(dir, [asked, clock](TestFormOptions &options) {
        options.engine.clock = [clock] { return clock ? clock->now() : kNow; };
        options.engine.timeText = testTimeText;
        options.form.exitAsker = [asked](const QString &title, const QString &text,
                                         const ExitAnswered &answered) {
            if (!asked)
                return answered(ExitAnswer::No);
            ++asked->count;
            asked->title = title;
            asked->text = text;
            if (asked->later)
                asked->pending = answered;
            else
                answered(asked->answer);
        };
    });
}

QStringList rowNumbers(const TForm1 &form)
{
    QStringList numbers;
    for (int i = 0; i < form.TabSheet4->ListView2->topLevelItemCount(); ++i)
        numbers << form.TabSheet4->ListView2->topLevelItem(i)->text(0);
    return numbers;
}

void selectRows(TForm1 &form, std::initializer_list<int> rows)
{
    QTreeWidget *list = form.TabSheet4->ListView2;
    list->clearSelection();
    for (int row : rows)
        list->topLevelItem(row)->setSelected(true);
}

const QByteArray kA("30|14|0|1|0|0|0|0|0|C:\\jobs\\backup.bat|");
const QByteArray kB("15|0|0|0|0|0|0|0|0|C:\\jobs\\poll.cmd -q|");
const QByteArray kC("0|9|0|0|0|0|0|1|0|http://host/x.php|");

// Returns once what was queued before it has run: nothing more was told
// than what the test then finds.
void eventLoopTurned()
{
    bool turned = false;
    QTimer::singleShot(0, [&turned] { turned = true; });
    QTRY_VERIFY(turned);
}

// The row at `row` selected, as a click on it selects it.
void selectRow(TForm1 &form, int row)
{
    selectRows(form, {row});
    form.ListView2Click();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void editInPlaceFromTheView();
    void pauseAndResumeFromTheView();
    void keysOfTheView();
    void firstRunCreatesFileAndShowsNewEntryPage();
    void rowsSkipEmptyLinesAndDeletionRewritesFile();
    void headerRowCannotBeDeleted();
    void twoSelectedRowsDeleteTheUpperOne();
    void selectionShowsFieldsAndDays();
    void reloadWhenSizeOrTimeChanged();
    void focusEnteringViewPageReloads();
    void exitQuestionNoHidesYesCloses();
    void hideAndShowWithoutTray();
    void startUpReductionAfterOneSecond();
    void errorsReachTheHandler();
    void historyClearAndErrorSignal();
    void minuteCheckReloadsThenClearsAtMidnight();
    void foreignBytesSurviveDeletion();
    void staleTemporariesGoAtStartUp();
    void startUpPurgesByTheRestoredSwitches();
    void viewShowsOnlyTheRowsOfTheFile();
    void historyTimeColumnFitsTheStatus();
    void historyKeepsTheNewestRows();
    void windowsStartWhereDesigned();
    void helpOpensWhereItCanBeRead();
    void runNowStartsTheSelectedEntry();
    void stopEndsTheSelectedRuns();
    void failuresAreToldWhileHidden();
    void startWithTheSession();
};

void TestMainWindow::firstRunCreatesFileAndShowsNewEntryPage()
{
    TestProgramDir dir;
    auto form = makeForm(dir);
    QCOMPARE(form->TabSheet4->ListView2->topLevelItemCount(), 0);
    QCOMPARE(form->PageControl1->currentWidget(), form->TabSheet3);
    QVERIFY(form->isVisible());
    QVERIFY(form->showMainWindowSetting());
    QVERIFY(!form->TabSheet4->Button8->isEnabled());
    QVERIFY(!form->PageControl1->isTabVisible(3));

    // A screen reader hears of the three pages a user reaches, and picks one as a click does.
    QAccessibleInterface *tabs = QAccessible::queryAccessibleInterface(form->PageControl1->tabBar());
    QVERIFY(tabs);
    QStringList names;
    for (int i = 0; i < tabs->childCount(); ++i)
        names << tabs->child(i)->text(QAccessible::Name);
    QCOMPARE(names, (QStringList{"Evénements", "Programmation Répétitive", "Visualisation des programmations"}));
    QAccessibleInterface *view = tabs->child(2);
    QCOMPARE(tabs->indexOfChild(view), 2);
    QVERIFY(!view->state().selected);
    view->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(form->PageControl1->currentWidget(), form->TabSheet4);
    QVERIFY(view->state().selected);
}

void TestMainWindow::rowsSkipEmptyLinesAndDeletionRewritesFile()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n" + kA + "\r\n\r\n" + kB + "\r\n" + kC + "\r\n");
    auto form = makeForm(dir);
    QCOMPARE(form->PageControl1->currentIndex(), 0);
    QCOMPARE(rowNumbers(*form), (QStringList{"001", "003", "004"}));
    QCOMPARE(form->TabSheet4->ListView2->topLevelItem(1)->text(1), QStringLiteral("00:15 *"));
    QCOMPARE(form->TabSheet4->ListView2->topLevelItem(1)->text(2), QStringLiteral("C:\\jobs\\poll.cmd"));
    QCOMPARE(form->TabSheet4->ListView2->topLevelItem(1)->text(3), QStringLiteral("-q"));

    selectRows(*form, {0});
    QVERIFY(form->TabSheet4->Button8->isEnabled());
    form->TabSheet4->Button8->click();
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")),
             "\r\n\r\n" + kB + "\r\n" + kC + "\r\n");
    QCOMPARE(rowNumbers(*form), (QStringList{"002", "003"}));
    QCOMPARE(form->ListBox1.count(), 4);

    // The reload emptied the selection: a second press deletes nothing.
    form->TabSheet4->Button8->click();
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")),
             "\r\n\r\n" + kB + "\r\n" + kC + "\r\n");
    QCOMPARE(form->TabSheet1->ListView1->topLevelItemCount(), 0);
}

void TestMainWindow::headerRowCannotBeDeleted()
{
    TestProgramDir dir;
    const QByteArray content = "head|1|\r\n" + kA + "\r\n";
    dir.write(QStringLiteral("cron-bat.dat"), content);
    auto form = makeForm(dir);
    QCOMPARE(rowNumbers(*form), (QStringList{"000", "001"}));
    selectRows(*form, {0});
    QVERIFY(!form->TabSheet4->Button8->isEnabled());
    form->Button8Click();
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), content);
    QCOMPARE(rowNumbers(*form), (QStringList{"000", "001"}));
}

void TestMainWindow::twoSelectedRowsDeleteTheUpperOne()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n" + kA + "\r\n" + kB + "\r\n" + kC + "\r\n");
    auto form = makeForm(dir);
    selectRows(*form, {2, 1}); // the lower row selected first
    form->TabSheet4->Button8->click();
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), "\r\n" + kA + "\r\n" + kC + "\r\n");
    QCOMPARE(rowNumbers(*form), (QStringList{"001", "002"}));
}

void TestMainWindow::selectionShowsFieldsAndDays()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n" + kC + "\r\n" + kB + "\r\n");
    auto form = makeForm(dir);
    ViewPage *page = form->TabSheet4;
    const QList<QCheckBox *> days{page->CheckBox2, page->CheckBox3, page->CheckBox4,
                                  page->CheckBox5, page->CheckBox6, page->CheckBox7,
                                  page->CheckBox8};

    selectRows(*form, {0});
    QCOMPARE(page->Edit10->text(), QStringLiteral("1"));
    QCOMPARE(page->Edit5->text(), QStringLiteral("0"));
    QCOMPARE(page->Edit6->text(), QStringLiteral("9"));
    QCOMPARE(page->Edit7->text(), QStringLiteral("http://host/x.php"));
    for (int day = 0; day < 7; ++day)
        QCOMPARE(days[day]->isChecked(), day == 5); // Saturday only

    selectRows(*form, {1});
    for (QCheckBox *box : days)
        QVERIFY(!box->isChecked());
    QCOMPARE(page->Label4->text(), QStringLiteral("C:\\jobs\\poll.cmd"));
    QCOMPARE(page->Edit2->text(), QStringLiteral("-q"));

    // Ticking a day box here stores nothing.
    const QByteArray before = dir.read(QStringLiteral("cron-bat.dat"));
    page->CheckBox2->click();
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), before);
    selectRows(*form, {1});
    QVERIFY(!page->CheckBox2->isChecked());
}

void TestMainWindow::reloadWhenSizeOrTimeChanged()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n" + kA + "\r\n");
    auto form = makeForm(dir);
    selectRows(*form, {0});
    form->Button1Click(); // nothing changed: no reload, the selection stays
    QVERIFY(form->TabSheet4->ListView2->topLevelItem(0)->isSelected());
    // The rows follow a reload.
    QByteArray edited = "\r\n" + kA + "\r\n" + kB + "\r\n";
    edited[2] = '4'; // minute 30 becomes 40
    dir.write(QStringLiteral("cron-bat.dat"), edited);
    form->Button1Click();
    QCOMPARE(rowNumbers(*form), (QStringList{"001", "002"}));
    QCOMPARE(form->TabSheet4->ListView2->topLevelItem(0)->text(1), QStringLiteral("14:40"));
}

void TestMainWindow::focusEnteringViewPageReloads()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n" + kA + "\r\n");
    auto form = makeForm(dir);
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    form->Button5->setFocus();
    QTRY_VERIFY(form->Button5->hasFocus());
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n" + kA + "\r\n" + kC + "\r\n");
    form->PageControl1->setCurrentWidget(form->TabSheet4);
    form->TabSheet4->ListView2->setFocus();
    QTRY_COMPARE(rowNumbers(*form), (QStringList{"001", "002"}));
    QVERIFY(!form->TabSheet4->Button8->isEnabled());
}

void TestMainWindow::exitQuestionNoHidesYesCloses()
{
    TestProgramDir dir;
    Asked asked;
    auto form = makeForm(dir, &asked);
    form->show();
    form->Button9->click();
    QCOMPARE(asked.count, 1);
    QCOMPARE(asked.title, QStringLiteral("Pendulix"));
    QCOMPARE(asked.text,
             QStringLiteral("Voulez-vous quitter  Pendulix\rSi vous quitter maintenant, les "
                            "programmations des tâches répétitives ne pourront plus s''effectuées"));
    // "Non": the program stays, reduced.
    QVERIFY(form->isVisible());
    QVERIFY(!form->showMainWindowSetting());

    // The question follows the message captions, the window caption stays.
    form->TabSheet2->ExitMsg->setText(QStringLiteral("Do you want to quit "));
    form->TabSheet2->ExitMsg2->setText(QStringLiteral("Tasks will stop."));
    asked.answer = ExitAnswer::Yes;
    form->Affiche1Click();
    QVERIFY(form->close());
    QCOMPARE(asked.count, 2);
    QCOMPARE(asked.text, QStringLiteral("Do you want to quit  Pendulix\rTasks will stop."));
    QVERIFY(!form->isVisible());

    // While the question waits the window stays and a second close asks nothing more;
    // "Oui" given then ends it.
    auto waiting = makeForm(dir, &asked);
    asked.later = true;
    waiting->show();
    QVERIFY(!waiting->close());
    QVERIFY(!waiting->close());
    QCOMPARE(asked.count, 3);
    QVERIFY(waiting->isVisible());
    asked.pending(ExitAnswer::Yes);
    QVERIFY(!waiting->isVisible());
    asked.later = false;

    // The session ending closes without a question.
    auto other = makeForm(dir, &asked);
    other->show();
    other->endSession();
    QVERIFY(other->close());
    QCOMPARE(asked.count, 3);
}

void TestMainWindow::hideAndShowWithoutTray()
{
    // Offscreen there is no tray host: reducing must keep the window reachable.
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    auto form = makeForm(dir);
    form->show();
    form->Button5->click();
    QVERIFY(!form->showMainWindowSetting());
    QVERIFY(form->isMinimized());
    QVERIFY(form->isVisible());
    form->Button5Click(); // again: nothing visible changes
    QVERIFY(form->isMinimized());
    form->Affiche1Click();
    QVERIFY(form->showMainWindowSetting());
    QVERIFY(!form->isMinimized());
    QVERIFY(form->isVisible());
}

void TestMainWindow::startUpReductionAfterOneSecond()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    auto form = makeForm(dir);
    form->show();
    form->Timer2->start();
    QVERIFY(form->showMainWindowSetting());
    QTRY_VERIFY_WITH_TIMEOUT(!form->showMainWindowSetting(), 5000);
    QVERIFY(!form->Timer2->isActive());
}

void TestMainWindow::errorsReachTheHandler()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    auto form = makeForm(dir);
    QTreeWidget *history = form->TabSheet1->ListView1;
    // A failing schedule operation: the schedule file became a folder.
    QFile::remove(dir.file(QStringLiteral("cron-bat.dat")));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("cron-bat.dat")));
    form->TabSheet4->Button3->click();
    QCOMPARE(history->topLevelItemCount(), 1);
    QCOMPARE(history->topLevelItem(0)->text(0), QStringLiteral("14:30:37"));
    QCOMPARE(history->topLevelItem(0)->text(1), QStringLiteral("Accès au fichier refusé"));
    // The handler by its own name records the same way.
    form->ApplicationEvents1Exception(QStringLiteral("Erreur E/S 99"));
    QCOMPARE(history->topLevelItem(1)->text(1), QStringLiteral("Erreur E/S 99"));
    QCOMPARE(dir.read(QStringLiteral("20261208.log")),
             QByteArray("14:30:37;Acc\xc3\xa8s au fichier refus\xc3\xa9\r\n14:30:37;Erreur E/S 99\r\n"));
}

void TestMainWindow::historyClearAndErrorSignal()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    auto form = makeForm(dir);
    form.engine().recorder().recordFailure(QStringLiteral("Fichier inexistant"), QStringLiteral("a.exe"));
    QCOMPARE(form->TabSheet1->ListView1->topLevelItemCount(), 1);
    QVERIFY(!form->isVisible()); // design: no pop-up on error

    form->TabSheet1->CheckBox_12->setChecked(true);
    form.engine().recorder().recordFailure(QStringLiteral("Fichier inexistant"), QStringLiteral("a.exe"));
    QVERIFY(form->isVisible());
    QVERIFY(form->showMainWindowSetting());

    form->TabSheet1->Button10->click();
    QCOMPARE(form->TabSheet1->ListView1->topLevelItemCount(), 0);
    // Journalling off: the history only.
    form->TabSheet1->CheckBox_9->setChecked(false);
    form.engine().recorder().recordStart(QStringLiteral("b.exe"));
    QCOMPARE(form->TabSheet1->ListView1->topLevelItemCount(), 1);
    QCOMPARE(dir.read(QStringLiteral("20261208.log")),
             QByteArray("14:30:37 Fichier inexistant;a.exe\r\n14:30:37 Fichier inexistant;a.exe\r\n"));
}

void TestMainWindow::minuteCheckReloadsThenClearsAtMidnight()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n" + kA + "\r\n");
    FakeClock clock(QDateTime(QDate(2026, 12, 8), QTime(23, 59, 40)));
    auto form = makeForm(dir, nullptr, &clock);
    form.engine().recorder().recordStart(QStringLiteral("a"));

    dir.write(QStringLiteral("cron-bat.dat"), "\r\n" + kA + "\r\n" + kB + "\r\n");
    form->Timer3Timer();
    QCOMPARE(rowNumbers(*form), (QStringList{"001", "002"}));
    QCOMPARE(form->TabSheet1->ListView1->topLevelItemCount(), 1);

    clock.advance(30); // 00:00:10 the next day
    form->Timer3Timer();
    QCOMPARE(form->TabSheet1->ListView1->topLevelItemCount(), 0);
    QCOMPARE(dir.read(QStringLiteral("20261208.log")), QByteArray("23:59:40;a\r\n"));
}

void TestMainWindow::foreignBytesSurviveDeletion()
{
    TestProgramDir dir;
    // Written in Latin-1 on a UTF-8 system: "café.sh", "été".
    const QByteArray latin1("30|14|0|1|0|0|0|0|0|/srv/caf\xe9.sh|");
    const QByteArray header("# \xe9t\xe9");
    dir.write(QStringLiteral("cron-bat.dat"), header + "\r\n" + kA + "\r\n" + latin1 + "\r\n" + kB + "\r\n");
    auto form = makeForm(dir);
    // Row 000 is the header line, which holds text.
    selectRows(*form, {1});
    form->TabSheet4->Button8->click();
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), header + "\r\n" + latin1 + "\r\n" + kB + "\r\n");
    // And again, from the rows the reload made.
    selectRows(*form, {2});
    form->TabSheet4->Button8->click();
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), header + "\r\n" + latin1 + "\r\n");
    // The row shows what it cannot decode as a replacement character.
    QCOMPARE(form->TabSheet4->ListView2->topLevelItem(1)->text(2), QStringLiteral("/srv/caf\uFFFD.sh"));
}

void TestMainWindow::staleTemporariesGoAtStartUp()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    // What a settings write back killed before its rename leaves behind.
    dir.write(QStringLiteral("serie.ini.89abcdef.tmp"), "[Form1]\r\n");
    auto form = makeForm(dir);
    QStringList left = QDir(dir.path()).entryList(QDir::Files);
    left.removeAll(QStringLiteral("serie.ini"));
    QCOMPARE(left, QStringList{"cron-bat.dat"});
}

void TestMainWindow::startUpPurgesByTheRestoredSwitches()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    const QString old = dir.file(QStringLiteral("20200101.log"));
    dir.write(QStringLiteral("20200101.log"), "x\r\n");
    TestProgramDir::setModified(old, kNow.addDays(-3));
    // Restored before the start-up purge: journalling off, so nothing goes.
    dir.write(QStringLiteral("serie.ini"), "[Form1]\r\nCheckBox_1=1\r\nSpinEdit_1=5\r\nCheckBox_9=0\r\n");
    auto form = makeForm(dir);
    QVERIFY(QFile::exists(old));
    QVERIFY(form->TabSheet1->ListView1->topLevelItemCount() == 0);
    // The switches as the user changes them.
    form->TabSheet1->CheckBox_9->setChecked(true);
    form->d();
    QVERIFY(QFile::exists(old));
    form->TabSheet1->SpinEdit_1->setValue(2);
    form->findChild<QAction *>(QStringLiteral("Supprimerlesfichiersjournaux1"))->trigger();
    QVERIFY(!QFile::exists(old));
}

namespace {

// The list's viewport as the screen holds it, and as painted afresh: a row
// left on screen from before a reload shows as a difference.
bool shownAsPainted(QTreeWidget *list, QString *why)
{
    QWidget *viewport = list->viewport();
    QWindow *window = viewport->window()->windowHandle();
    const QPoint at = viewport->mapTo(viewport->window(), QPoint(0, 0));
    const qreal ratio = window->devicePixelRatio();
    const QImage shown = window->screen()
                             ->grabWindow(window->winId(), at.x(), at.y(), viewport->width(),
                                          viewport->height())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    const QImage painted = viewport->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (shown.size() != painted.size() || qFuzzyCompare(ratio, 0.0)) {
        *why = QStringLiteral("sizes differ");
        return false;
    }
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            if (shown.pixel(x, y) != painted.pixel(x, y)) {
                *why = QStringLiteral("first difference at %1,%2").arg(x).arg(y);
                return false;
            }
        }
    }
    return true;
}

} // namespace

void TestMainWindow::viewShowsOnlyTheRowsOfTheFile()
{
    TestProgramDir dir;
    QByteArray schedule = "\r\n";
    for (int i = 1; i <= 9; ++i)
        schedule += QByteArray::number(i) + "|0|0|0|0|0|0|0|0|/srv/job" + QByteArray::number(i) + ".sh -n " +
                    QByteArray(i * 3, 'x') + "|\r\n";
    dir.write(QStringLiteral("cron-bat.dat"), schedule);
    auto form = makeForm(dir);
    form->show();
    form->PageControl1->setCurrentWidget(form->TabSheet4);
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QTreeWidget *list = form->TabSheet4->ListView2;
    QTest::qWait(50);
    QString why;
    QVERIFY2(shownAsPainted(list, &why), qPrintable(why));

    // Delete the fourth row: every row below it moves up one.
    selectRows(*form, {3});
    QTest::qWait(50);
    form->TabSheet4->Button8->click();
    QTest::qWait(100);
    QCOMPARE(rowNumbers(*form), (QStringList{"001", "002", "003", "004", "005", "006", "007", "008"}));
    QVERIFY2(shownAsPainted(list, &why), qPrintable(why));

    // An outside edit picked up by the minute's check.
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n5|0|0|0|0|0|0|0|0|/srv/only.sh|\r\n");
    form->Timer3Timer();
    QTest::qWait(100);
    QCOMPARE(rowNumbers(*form), QStringList{"001"});
    QVERIFY2(shownAsPainted(list, &why), qPrintable(why));
}

void TestMainWindow::historyTimeColumnFitsTheStatus()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    auto form = makeForm(dir);
    QTreeWidget *history = form->TabSheet1->ListView1;
    const int designed = history->columnWidth(0);
    form.engine().recorder().recordStart(QStringLiteral("/srv/a.sh"));
    QCOMPARE(history->columnWidth(0), designed);
    const QString status = QStringLiteral("Erreur de socket # 11001\r\nHôte non trouvé.");
    form.engine().recorder().recordFailure(status, QStringLiteral("http://nowhere/"));
    // The whole status shows: no "Erreur de so…".
    const QFontMetrics metrics = history->fontMetrics();
    QVERIFY(history->columnWidth(0) >
            metrics.horizontalAdvance(QStringLiteral("14:30:37 Erreur de socket # 11001")));
    // A later, shorter row does not shrink it back.
    const int fitted = history->columnWidth(0);
    form.engine().recorder().recordStart(QStringLiteral("/srv/b.sh"));
    QCOMPARE(history->columnWidth(0), fitted);
}

void TestMainWindow::historyKeepsTheNewestRows()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    auto form = makeForm(dir);
    form->show();
    QTreeWidget *history = form->TabSheet1->ListView1;
    EventsPage *page = form->TabSheet1;
    for (int i = 0; i < EventsPage::kHistoryRows + 5; ++i)
        page->appendHistoryRow(QStringLiteral("14:30:37"), QString::number(i));
    // Rows of one turn of the event loop are settled together.
    QTRY_COMPARE(history->topLevelItemCount(), EventsPage::kHistoryRows);
    QCOMPARE(history->topLevelItem(0)->text(1), QStringLiteral("5"));
    // The newest row comes into view as it comes...
    QScrollBar *scroll = history->verticalScrollBar();
    QCOMPARE(scroll->value(), scroll->maximum());
    // ...unless the user scrolled away to read an older one.
    scroll->setValue(scroll->maximum() / 2);
    const int reading = scroll->value();
    page->appendHistoryRow(QStringLiteral("14:30:38"), QStringLiteral("newest"));
    QTRY_COMPARE(history->topLevelItemCount(), EventsPage::kHistoryRows);
    QCOMPARE(history->topLevelItem(EventsPage::kHistoryRows - 1)->text(1), QStringLiteral("newest"));
    QVERIFY(qAbs(scroll->value() - reading) <= 1);
    // Rows that came while the window was in the tray are followed when it shows again.
    scroll->setValue(scroll->maximum());
    form->hide();
    for (int i = 0; i < 50; ++i)
        page->appendHistoryRow(QStringLiteral("14:31:00"), QStringLiteral("while hidden"));
    QTRY_COMPARE(history->topLevelItem(EventsPage::kHistoryRows - 1)->text(1), QStringLiteral("while hidden"));
    form->show();
    QTRY_COMPARE(scroll->value(), scroll->maximum());
    QVERIFY(history->visualItemRect(history->topLevelItem(EventsPage::kHistoryRows - 1)).bottom() <=
            history->viewport()->height());
}

void TestMainWindow::windowsStartWhereDesigned()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    auto form = makeForm(dir);
    QCOMPARE(form->pos(), QPoint(220, 152));
    TForm3 about;
    QCOMPARE(about.pos(), QPoint(461, 256));
}

void TestMainWindow::helpOpensWhereItCanBeRead()
{
    // Built beside the executable: the French and English pages, and the
    // compiled help (the setup installs its compiler).
    const QString built = QStringLiteral(PENDULIX_PROGRAM_DIR);
    for (const char *page : {"/aide/fr/index.html", "/aide/en/index.html", "/aide.chm"})
        QVERIFY2(QFile::exists(built + QLatin1String(page)), page);

    // The desktop's opener and its type database, replaced first on the PATH.
    TestProgramDir bin;
    const auto tool = [&](const char *name, const QByteArray &script) {
        bin.write(QLatin1String(name), "#!/bin/sh\n" + script);
        QFile::setPermissions(bin.file(QLatin1String(name)),
                              QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    };
    tool("xdg-open", "printf '%s' \"$1\" > \"$(dirname \"$0\")/opened.tmp\"\n"
                     "mv \"$(dirname \"$0\")/opened.tmp\" \"$(dirname \"$0\")/opened\"\n");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ":" + path);

    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    dir.write(QStringLiteral("aide.chm"), "ITSF");
    auto form = makeForm(dir);
    const auto opened = [&] {
        QFile::remove(bin.file(QStringLiteral("opened")));
        form->Button7->click();
        if (!QTest::qWaitFor([&] { return QFile::exists(bin.file(QStringLiteral("opened"))); }, 10000))
            return QStringLiteral("nothing opened");
        return QString::fromLocal8Bit(bin.read(QStringLiteral("opened")));
    };
    // No viewer for compiled help, as on most Linux desktops: the pages, in
    // the interface's language.
    tool("xdg-mime", "exit 0\n");
    QCOMPARE(opened(), dir.file(QStringLiteral("aide/fr/index.html")));
    form->English1Click();
    QCOMPARE(opened(), dir.file(QStringLiteral("aide/en/index.html")));
    // A desktop that reads compiled help gets aide.chm.
    tool("xdg-mime", "echo xchm.desktop\n");
    QCOMPARE(opened(), dir.file(QStringLiteral("aide.chm")));
    // Nothing on the desktop can open either: a message says so.
    QVERIFY(QFile::copy(QStringLiteral(PENDULIX_LANGUAGE_FILE), dir.file(QStringLiteral("sourcelang.ini"))));
    form->Francais1Click();
    tool("xdg-mime", "exit 0\n");
    tool("xdg-open", "exit 3\n");
    form->Button7->click();
    QMessageBox *told = nullptr;
    QTRY_VERIFY((told = form->findChild<QMessageBox *>(QStringLiteral("AideIntrouvable"))));
    QVERIFY(told->text().startsWith(QStringLiteral("Aucune visionneuse d'aide ni aucun navigateur")));
    QVERIFY(told->text().endsWith(dir.file(QStringLiteral("aide/fr/index.html"))));
    told->close();
    qputenv("PATH", path);
}

void TestMainWindow::runNowStartsTheSelectedEntry()
{
    TestProgramDir dir;
    const QString missing = dir.file(QStringLiteral("absent.sh"));
    dir.write(QStringLiteral("cron-bat.dat"), ("head\r\n0|3|0|0|0|0|0|0|1|" + missing + " now|\r\n30|14|0|1|0|0|0|0|0|" +
                                               missing + "|\r\n")
                                                  .toUtf8());
    auto form = makeForm(dir);
    QPushButton *runNow = form->TabSheet4->Button16;
    QVERIFY(!runNow->isEnabled());
    // The header line's row runs nothing.
    selectRows(*form, {0});
    QVERIFY(!runNow->isEnabled());
    selectRows(*form, {1});
    QVERIFY(runNow->isEnabled());
    QVERIFY(form->TabSheet4->Lancermaintenant1->isEnabled());
    runNow->click();
    QTreeWidget *history = form->TabSheet1->ListView1;
    QCOMPARE(history->topLevelItemCount(), 1);
    QCOMPARE(history->topLevelItem(0)->text(1), missing + QStringLiteral(" now"));
    // From the menu, the entry selected then.
    selectRows(*form, {2});
    form->TabSheet4->Lancermaintenant1->trigger();
    QCOMPARE(history->topLevelItem(1)->text(0), QStringLiteral("14:30:37 Fichier inexistant"));
    QCOMPARE(history->topLevelItem(1)->text(1), missing);
    // Both rows say when they last ran and what it gave, once the page is on screen.
    form->show();
    form->PageControl1->setCurrentWidget(form->TabSheet4);
    QTreeWidget *rows = form->TabSheet4->ListView2;
    QCOMPARE(rows->headerItem()->text(ViewPage::LastRunColumn), QStringLiteral("Dernière exécution"));
    QTRY_COMPARE(rows->topLevelItem(2)->text(ViewPage::ResultColumn), QStringLiteral("Fichier inexistant"));
    QCOMPARE(rows->topLevelItem(1)->text(ViewPage::LastRunColumn), QStringLiteral("aujourd'hui 14:30"));
    QCOMPARE(rows->topLevelItem(0)->text(ViewPage::LastRunColumn), QString());
}

void TestMainWindow::stopEndsTheSelectedRuns()
{
    TestProgramDir dir;
    const QString job = dir.file(QStringLiteral("job.sh"));
    KeptRun::writeScript(job, "#!/bin/sh\nexec sleep 300\n");
    const QString other = dir.file(QStringLiteral("other.sh"));
    KeptRun::writeScript(other, "#!/bin/sh\nexec sleep 301\n");
    dir.write(QStringLiteral("cron-bat.dat"),
              ("head\r\n0|3|0|0|0|0|0|0|1|" + job + "|\r\n0|4|0|0|0|0|0|0|1|" + other +
               "|\r\n0|5|0|0|0|0|0|0|1|/bin/idle|\r\n").toUtf8());
    auto form = makeTestForm(dir, [](TestFormOptions &options) {
        options.engine.timeText = testTimeText;
        options.engine.keeper = KeptRun::keeper();
    });
    QPushButton *stop = form->TabSheet4->Button20;
    QCOMPARE(stop->text(), QStringLiteral("Arrêter"));
    QVERIFY(!stop->isEnabled());
    form.engine().runNow(1);
    form.engine().runNow(2);
    const QString runs = form.engine().runsFolder();
    QTRY_COMPARE_WITH_TIMEOUT(QDir(runs).entryList({QStringLiteral("*.stop")}, QDir::System).size(), 2, 10000);
    QTRY_COMPARE(form->TabSheet4->LabelEnCours->text(), QStringLiteral("Exécutions en cours : 2"));
    // Offered only where there is a run to stop.
    selectRows(*form, {3});
    QVERIFY(form->TabSheet4->Button16->isEnabled());
    QVERIFY(!stop->isEnabled());
    QVERIFY(!form->TabSheet4->Arreter1->isEnabled());
    selectRows(*form, {3, 1});
    QVERIFY(stop->isEnabled());
    selectRows(*form, {1});
    QVERIFY(stop->isEnabled());
    stop->click();
    QTreeWidget *history = form->TabSheet1->ListView1;
    // Its start, then its end.
    QTRY_COMPARE_WITH_TIMEOUT(history->findItems(job, Qt::MatchExactly, 1).size(), 2, 30000);
    QVERIFY(history->findItems(job, Qt::MatchExactly, 1).last()->text(0).endsWith(QStringLiteral(" Arrêté à la demande")));
    // The other entry's run goes on, until its own stop from the menu.
    QCOMPARE(history->findItems(other, Qt::MatchExactly, 1).size(), 1);
    selectRows(*form, {2});
    form->TabSheet4->Arreter1->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(history->findItems(other, Qt::MatchExactly, 1).size(), 2, 30000);
    QVERIFY(history->findItems(other, Qt::MatchExactly, 1).last()->text(0).endsWith(QStringLiteral(" Arrêté à la demande")));
    // Nothing left to stop: the count and the button say so.
    QTRY_COMPARE(form->TabSheet4->LabelEnCours->text(), QStringLiteral("Exécutions en cours : 0"));
    QTRY_VERIFY(!stop->isEnabled());
}

void TestMainWindow::failuresAreToldWhileHidden()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    QStringList told, actions;
    auto form = makeTestForm(dir, [&](TestFormOptions &options) {
        options.engine.clock = [] { return kNow; };
        options.engine.timeText = testTimeText;
        options.form.notify = [&](const QString &summary, const QString &body, const QString &action) {
            told << summary + "|" + body;
            actions << action;
        };
    });
    const QString missing = dir.file(QStringLiteral("absent.sh"));
    // The design values: notices on, the pop-up off. Told, and the window stays away.
    QVERIFY(form->TabSheet1->CheckBox_14->isChecked());
    QVERIFY(!form->TabSheet1->CheckBox_12->isChecked());
    form.engine().startTarget(missing);
    QTRY_COMPARE(told, QStringList{"Fichier inexistant|" + missing});
    QCOMPARE(actions, QStringList{"Afficher"});
    QVERIFY(!form->isVisible());
    // The pop-up alone: the window comes up, and nothing is told.
    form->TabSheet1->CheckBox_14->setChecked(false);
    form->TabSheet1->CheckBox_12->setChecked(true);
    form.engine().startTarget(missing + QStringLiteral(" -p"));
    QVERIFY(form->isVisible());
    eventLoopTurned();
    QCOMPARE(told.size(), 1);
    // Both: told, and the window comes up as well.
    form->TabSheet1->CheckBox_14->setChecked(true);
    form->Button5Click();
    form.engine().startTarget(missing + QStringLiteral(" -q"));
    QVERIFY(form->isVisible());
    QTRY_COMPARE(told.last(), "Fichier inexistant|" + missing + " -q");
    // In view already: the window is the news.
    form.engine().recorder().recordFailure(QStringLiteral("Délai de lecture"), QStringLiteral("http://h/"));
    eventLoopTurned();
    QCOMPARE(told.size(), 2);
    // A network error's two lines make one line of the notice.
    form->TabSheet1->CheckBox_12->setChecked(false);
    form->Button5Click();
    form.engine().recorder().recordFailure(QStringLiteral("Erreur de socket # 11001\r\nHôte non trouvé."),
                                 QStringLiteral("http://nowhere/"));
    QTRY_COMPARE(told.last(), QStringLiteral("Erreur de socket # 11001 Hôte non trouvé.|http://nowhere/"));
    // The failures of one pass: one notice that counts them, the first few listed.
    for (int i = 0; i < FailureNotice::kListed + 2; ++i)
        form.engine().startTarget(missing + QStringLiteral(" %1").arg(i));
    form.engine().recorder().recordFailure(QStringLiteral("Délai de lecture"), QStringLiteral("http://h/"));
    QTRY_COMPARE(told.size(), 4);
    QCOMPARE(told.last().section(QLatin1Char('|'), 0, 0), QStringLiteral("8 × Fichier inexistant …"));
    const QStringList listed = told.last().section(QLatin1Char('|'), 1).split(QLatin1Char('\n'));
    QCOMPARE(listed.size(), FailureNotice::kListed + 1);
    QCOMPARE(listed.first(), missing + QStringLiteral(" 0 : Fichier inexistant"));
    QCOMPARE(listed.last(), QStringLiteral("…"));
    eventLoopTurned();
    QCOMPARE(told.size(), 4);
    // In English the action says so; the summary stays the status the journal writes.
    dir.write(QStringLiteral("sourcelang.ini"), "[English]\r\nAffiche1=&Show\r\n");
    form->English1Click();
    form.engine().startTarget(missing);
    QTRY_COMPARE(told.size(), 5);
    QCOMPARE(told.last(), "Fichier inexistant|" + missing);
    QCOMPARE(actions.last(), QStringLiteral("Show"));
}

void TestMainWindow::startWithTheSession()
{
    TestProgramDir config;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    const QString entry = config.file(QStringLiteral("autostart/pendulix.desktop"));
    QCOMPARE(Platform::startWithSessionEntry(), entry);

    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    {
        auto form = makeForm(dir);
        QVERIFY(!form->TabSheet1->CheckBox_13->isChecked()); // the design value
        QVERIFY(!QFile::exists(entry));
        form->TabSheet1->CheckBox_13->setChecked(true);
        const QByteArray text = config.read(QStringLiteral("autostart/pendulix.desktop"));
        QVERIFY(text.startsWith("[Desktop Entry]\nType=Application\n"));
        QVERIFY(text.contains("\nExec=\"" + QFile::encodeName(QCoreApplication::applicationFilePath()) + "\"\n"));
        form->Sauvegarde();
        QVERIFY(dir.read(QStringLiteral("serie.ini")).contains("\r\nCheckBox_13=1\r\n"));
    }
    // Saved ticked: the next start keeps the entry, up to date.
    QFile::remove(entry);
    {
        auto form = makeForm(dir);
        QVERIFY(form->TabSheet1->CheckBox_13->isChecked());
        QVERIFY(QFile::exists(entry));
        form->TabSheet1->CheckBox_13->setChecked(false);
        QVERIFY(!QFile::exists(entry));
    }
    // An entry that cannot be written: the box unticks and the history says why.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.file(QStringLiteral("a-file"))));
    config.write(QStringLiteral("a-file"), "not a folder");
    {
        // Restored ticked (as saved above), then ticked by hand.
        auto form = makeForm(dir);
        QTreeWidget *history = form->TabSheet1->ListView1;
        QVERIFY(!form->TabSheet1->CheckBox_13->isChecked());
        QCOMPARE(history->topLevelItemCount(), 1);
        form->TabSheet1->CheckBox_13->setChecked(true);
        QVERIFY(!form->TabSheet1->CheckBox_13->isChecked());
        QCOMPARE(history->topLevelItemCount(), 2);
        QVERIFY2(history->topLevelItem(1)->text(1).startsWith(QStringLiteral("Démarrage avec la session impossible : ")),
                 qPrintable(history->topLevelItem(1)->text(1)));
    }
    qputenv("XDG_CONFIG_HOME", saved);
}

QTEST_MAIN(TestMainWindow)
void TestMainWindow::editInPlaceFromTheView()
{
    TestProgramDir dir;
    const QByteArray original = "head\r\n" + kA + "\r\n\r\n0|3|1|1|1|1|1|1|1|/srv/backup.sh -v|x-essais=3;nom=Nuit;jours=1,fin|\r\n" + kB + "\r\n";
    dir.write(QStringLiteral("cron-bat.dat"), original);
    auto form = makeForm(dir);
    NewEntryPage *page = form->TabSheet3;
    // What the user had begun typing comes back once the edit is over.
    page->Editsource->setText(QStringLiteral("/half/typed"));
    selectRow(*form, 2);
    form->TabSheet4->Button17->click();
    QCOMPARE(form->PageControl1->currentWidget(), page);
    QVERIFY(page->LabelEdition->isVisibleTo(form.get()));
    QCOMPARE(page->LabelEdition->text(), QStringLiteral("Modification de la ligne 003"));
    QCOMPARE(page->Editsource->text(), QStringLiteral("/srv/backup.sh"));
    QCOMPARE(page->Edit3->text(), QStringLiteral("-v"));
    QCOMPARE(page->Spinheures->value(), 3);
    QVERIFY(page->CheckDimanche->isChecked());
    QCOMPARE(page->EditNom->text(), QStringLiteral("Nuit"));
    QCOMPARE(page->EditJours->text(), QStringLiteral("1,fin"));
    QVERIFY(page->Label6->text().endsWith(QStringLiteral(" ; jours du mois : 1, dernier jour")));

    // A ';' in a value is refused with its own caption, nothing written.
    page->EditMois->setText(QStringLiteral("1;2"));
    page->Button15->click();
    QVERIFY(page->Label71->isVisibleTo(form.get()));
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), original);
    page->EditMois->setText(QStringLiteral("6"));
    QVERIFY(!page->Label71->isVisibleTo(form.get()));
    page->SpinMinutes->setValue(15);
    QVERIFY(!page->CheckSeul->isChecked());
    QVERIFY(!page->SpinMax->isEnabled());
    page->CheckSeul->setChecked(true);
    page->CheckMax->setChecked(true);
    page->SpinMax->setValue(45);
    QVERIFY(page->Label6->text().endsWith(QStringLiteral("; une seule à la fois ; arrêtée après 45 min")));
    page->Button15->click();
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")),
             "head\r\n" + kA + "\r\n\r\n15|3|1|1|1|1|1|1|1|/srv/backup.sh -v|x-essais=3;nom=Nuit;jours=1,fin;mois=6;seul;max=45|\r\n" + kB + "\r\n");
    // Its name in its column, and how it runs in words.
    QCOMPARE(form->TabSheet4->ListView2->topLevelItem(2)->text(ViewPage::NameColumn), QStringLiteral("Nuit"));
    QCOMPARE(form->TabSheet4->ListView2->topLevelItem(2)->toolTip(ViewPage::NumberColumn),
             QStringLiteral("jours du mois : 1, dernier jour ; mois : 6 ; une seule à la fois ; arrêtée après 45 min"));
    QCOMPARE(form->PageControl1->currentWidget(), form->TabSheet4);
    QCOMPARE(page->Editsource->text(), QStringLiteral("/half/typed"));
    QVERIFY(!page->LabelEdition->isVisibleTo(form.get()));

    // A minute the box cannot show is saved as the line had it.
    {
        const QByteArray before = dir.read(QStringLiteral("cron-bat.dat"));
        dir.write(QStringLiteral("cron-bat.dat"), before + "59|48|0|0|0|0|0|0|0|/srv/rare|\r\n");
        form->TabSheet4Enter();
        selectRow(*form, 4);
        form->TabSheet4->Button17->click();
        QCOMPARE(page->SpinMinutes->value(), 58);
        page->EditNom->setText(QStringLiteral("Rare"));
        page->Button15->click();
        QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), before + "59|48|0|0|0|0|0|0|0|/srv/rare|nom=Rare|\r\n");
    }

    // "Annuler" leaves everything as it was.
    const QByteArray saved = dir.read(QStringLiteral("cron-bat.dat"));
    selectRow(*form, 1);
    form->TabSheet4->Modifier1->trigger();
    QCOMPARE(page->Editsource->text(), QStringLiteral("C:\\jobs\\backup.bat"));
    page->Button18->click();
    QCOMPARE(page->Editsource->text(), QStringLiteral("/half/typed"));
    QCOMPARE(form->PageControl1->currentWidget(), form->TabSheet4);
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), saved);

    // The line changed in the file meanwhile: refused, the user's text kept.
    selectRow(*form, 1);
    form->TabSheet4->Button17->click();
    page->Edit3->setText(QStringLiteral("--mine"));
    const QByteArray outside = saved + "1|1|0|0|0|0|0|0|1|/other|\r\n";
    dir.write(QStringLiteral("cron-bat.dat"), QByteArray(outside).replace("30|14", "31|14"));
    page->Button15->click();
    QVERIFY(page->Label72->isVisibleTo(form.get()));
    QCOMPARE(page->Edit3->text(), QStringLiteral("--mine"));
    QCOMPARE(form->PageControl1->currentWidget(), page);
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), QByteArray(outside).replace("30|14", "31|14"));
}

void TestMainWindow::pauseAndResumeFromTheView()
{
    TestProgramDir dir;
    const QByteArray original = "head\r\n" + kA + "\r\n" + kB + "x-later|\r\n" + kC + "\r\n";
    dir.write(QStringLiteral("cron-bat.dat"), original);
    auto form = makeForm(dir);
    ViewPage *view = form->TabSheet4;
    selectRows(*form, {1, 2});
    form->ListView2Click();
    QCOMPARE(view->Button19->text(), QStringLiteral("Suspendre"));
    view->Button19->click();
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")),
             "head\r\n" + kA + "pause|\r\n" + kB + "x-later;pause|\r\n" + kC + "\r\n");
    // The rows stay selected and say so.
    QCOMPARE(view->selectedNumbers(), (QList<int>{1, 2}));
    QCOMPARE(view->Button19->text(), QStringLiteral("Reprendre"));
    QCOMPARE(view->Suspendre1->text(), QStringLiteral("&Reprendre"));
    QCOMPARE(view->ListView2->topLevelItem(1)->text(ViewPage::NextRunColumn), QStringLiteral("suspendue"));
    QCOMPARE(form->trayToolTip(), QStringLiteral("Pendulix (suspendues : 2)"));
    view->Suspendre1->trigger();
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), original);
    QCOMPARE(view->Button19->text(), QStringLiteral("Suspendre"));
    QCOMPARE(form->trayToolTip(), QStringLiteral("Pendulix"));
}

void TestMainWindow::keysOfTheView()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "head\r\n" + kA + "\r\n" + kB + "\r\n");
    auto form = makeForm(dir);
    ViewPage *view = form->TabSheet4;
    selectRow(*form, 2);
    QTest::keyClick(view->ListView2, Qt::Key_Delete);
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), "head\r\n" + kA + "\r\n");
    selectRow(*form, 1);
    QTest::keyClick(view->ListView2, Qt::Key_Return);
    QCOMPARE(form->PageControl1->currentWidget(), form->TabSheet3);
    QCOMPARE(form->TabSheet3->LabelEdition->text(), QStringLiteral("Modification de la ligne 001"));
    // Enter on a focused button presses it, as Space does.
    QTest::keyClick(form->TabSheet3->Button18, Qt::Key_Return);
    QCOMPARE(form->PageControl1->currentWidget(), form->TabSheet4);
    selectRow(*form, 1);
    QTest::keyClick(view->Button19, Qt::Key_Space);
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), "head\r\n" + kA + "pause|\r\n");
    selectRow(*form, 1);
    QTest::keyClick(view->Button19, Qt::Key_Enter);
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), "head\r\n" + kA + "\r\n");
}

#include "tst_mainwindow.moc"
