#include "app/Unit1.h"
#include "journal/eventspage.h"
#include "schedule/newentrypage.h"
#include "schedule/spinedit.h"
#include "schedule/viewpage.h"
#include "recordlog.h"
#include "testform.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

// The view page tells what is so and keeps the user's place: its
// selection across every reload, its next runs after every pass, its
// captions at the designed size; the new-entry page starts each entry
// without the last one's options; the history narrows to what matters.

namespace {

// Tuesday.
const QDateTime kEvening(QDate(2026, 12, 8), QTime(19, 47, 45));

QByteArray entry(const char *when, const QString &target, const QByteArray &options = QByteArray())
{
    return QByteArray(when) + '|' + target.toUtf8() + '|' + (options.isEmpty() ? options : options + '|') + "\r\n";
}

TestForm makeForm(const TestProgramDir &dir, FakeClock *clock = nullptr)
{
    return makeTestForm(dir, [clock](TestFormOptions &options) {
        if (clock)
            options.engine.clock = [clock] { return clock->now(); };
        options.engine.timeText = testTimeText;
    });
}

QStringList visibleRows(const QTreeWidget *history)
{
    QStringList rows;
    for (int row = 0; row < history->topLevelItemCount(); ++row) {
        if (!history->topLevelItem(row)->isHidden())
            rows << history->topLevelItem(row)->text(0) + '|' + history->topLevelItem(row)->text(1);
    }
    return rows;
}

} // namespace

class TestViewPlace : public QObject
{
    Q_OBJECT
private slots:
    void selectionKeptAcrossReloads();
    void nextRunMovesOnAfterEachPass();
    void everyCaptionReadableAtTheDesignedSize();
    void newEntryStartsWithoutTheLastOnesOptions();
    void historyNarrowedToFailuresAndTheChosenEntry();
    void keyboardFollowsTheScreen();
};

void TestViewPlace::selectionKeptAcrossReloads()
{
    TestProgramDir dir;
    const QByteArray a = entry("0|1|0|0|0|0|0|0|1", "/srv/a.sh");
    const QByteArray b = entry("0|2|0|0|0|0|0|0|1", "/srv/b.sh");
    const QByteArray c = entry("0|3|0|0|0|0|0|0|1", "/srv/c.sh");
    const QByteArray d = entry("0|4|0|0|0|0|0|0|1", "/srv/d.sh");
    dir.write(QStringLiteral("cron-bat.dat"), "head\r\n" + a + b + c);
    auto form = makeForm(dir);
    ViewPage *view = form->TabSheet4;
    // Selected as the accessibility bus selects: no click.
    view->selectNumbers({2, 3});
    QVERIFY(view->Button8->isEnabled());

    // An outside append: the minute's check reloads, the rows stay selected.
    dir.write(QStringLiteral("cron-bat.dat"), "head\r\n" + a + b + c + d);
    form.engine().minuteCheck();
    QCOMPARE(view->ListView2->topLevelItemCount(), 5);
    QCOMPARE(view->selectedNumbers(), (QList<int>{2, 3}));
    QVERIFY(view->Button8->isEnabled());
    QVERIFY(view->Button16->isEnabled());
    // A line inserted above them: the same lines, one lower.
    const QByteArray x = entry("0|5|0|0|0|0|0|0|1", "/srv/x.sh");
    dir.write(QStringLiteral("cron-bat.dat"), "head\r\n" + x + a + b + c + d);
    form.engine().minuteCheck();
    QCOMPARE(view->selectedNumbers(), (QList<int>{3, 4}));

    // The program's own append, then the minute's check that sees the file grown.
    NewEntryPage *page = form->TabSheet3;
    page->Editsource->setText(QStringLiteral("/srv/new.sh"));
    page->SpinMinutes->setValue(5);
    page->Button15->click();
    QCOMPARE(form->PageControl1->currentWidget(), view);
    QCOMPARE(view->ListView2->topLevelItemCount(), 7);
    QCOMPARE(view->selectedNumbers(), (QList<int>{3, 4}));
    form.engine().minuteCheck();
    QCOMPARE(view->selectedNumbers(), (QList<int>{3, 4}));
    QVERIFY(view->Button8->isEnabled());

    // Suspended: still selected, and selected again as the bus does, the buttons work.
    view->Button19->click();
    QVERIFY(dir.read(QStringLiteral("cron-bat.dat")).contains("/srv/b.sh|pause|"));
    QCOMPARE(view->selectedNumbers(), (QList<int>{3, 4}));
    QCOMPARE(view->Button19->text(), QStringLiteral("Reprendre"));
    view->ListView2->clearSelection();
    QVERIFY(!view->Button19->isEnabled());
    view->selectNumbers({3});
    QVERIFY(view->Button19->isEnabled());
    QCOMPARE(view->Button19->text(), QStringLiteral("Reprendre"));

    // Deleting the upper of two leaves the other selected, where it now is.
    view->selectNumbers({3, 4});
    view->Button8->click();
    QVERIFY(!dir.read(QStringLiteral("cron-bat.dat")).contains("/srv/b.sh"));
    QCOMPARE(view->selectedNumbers(), QList<int>{3});
    QCOMPARE(view->rowOf(3)->text(ViewPage::SourceColumn), QStringLiteral("/srv/c.sh"));
    // A line gone from the file takes its selection with it.
    dir.write(QStringLiteral("cron-bat.dat"), "head\r\n" + x + a + d);
    form.engine().minuteCheck();
    QVERIFY(view->selectedNumbers().isEmpty());
    QVERIFY(!view->Button8->isEnabled());
    QVERIFY(!view->Button16->isEnabled());
}

void TestViewPlace::nextRunMovesOnAfterEachPass()
{
    TestProgramDir dir;
    FakeClock clock(kEvening);
    const QString missing = dir.file(QStringLiteral("absent.sh"));
    dir.write(QStringLiteral("cron-bat.dat"),
              "\r\n" + entry("48|19|1|1|1|1|1|1|1", missing) + entry("50|19|1|1|1|1|1|1|1", missing + " -x"));
    auto form = makeForm(dir, &clock);
    form->show();
    form->PageControl1->setCurrentWidget(form->TabSheet4);
    QTreeWidget *rows = form->TabSheet4->ListView2;
    QCOMPARE(rows->topLevelItem(0)->text(ViewPage::NextRunColumn), QStringLiteral("aujourd'hui 19:48"));
    clock.set(kEvening.addSecs(20));
    form.engine().runPass();
    QCOMPARE(rows->topLevelItem(0)->text(ViewPage::NextRunColumn), QStringLiteral("demain 19:48"));
    QCOMPARE(rows->topLevelItem(1)->text(ViewPage::NextRunColumn), QStringLiteral("aujourd'hui 19:50"));
    // Off screen, what the passes moved on is told as the page shows again.
    form->PageControl1->setCurrentWidget(form->TabSheet1);
    clock.set(kEvening.addSecs(140));
    form.engine().runPass();
    form->PageControl1->setCurrentWidget(form->TabSheet4);
    QTRY_COMPARE(rows->topLevelItem(1)->text(ViewPage::NextRunColumn), QStringLiteral("demain 19:50"));
}

void TestViewPlace::everyCaptionReadableAtTheDesignedSize()
{
    TestProgramDir dir;
    QVERIFY(QFile::copy(QStringLiteral(PENDULIX_LANGUAGE_FILE), dir.file(QStringLiteral("sourcelang.ini"))));
    const QString longSource = QStringLiteral("/srv/travaux/nocturnes/sauvegarde-des-bases-de-production.sh");
    dir.write(QStringLiteral("cron-bat.dat"),
              "\r\n" + entry("5|0|0|0|0|0|0|0|0", longSource + " --complet --vers /mnt/archives/semaine", "nom=Sauvegarde;seul") +
                  entry("30|14|0|1|0|0|0|0|0", QStringLiteral("/bin/true")));
    auto form = makeForm(dir);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QCOMPARE(form->size(), QSize(699, 447));
    form->PageControl1->setCurrentWidget(form->TabSheet4);
    QTreeWidget *list = form->TabSheet4->ListView2;
    QHeaderView *header = list->header();
    const int margin = 2 * list->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (bool english : {false, true}) {
        if (english)
            form->English1Click();
        QTRY_VERIFY(list->viewport()->width() > 0);
        for (int column = 0; column < ViewPage::ColumnCount; ++column) {
            const QString caption = list->headerItem()->text(column);
            QVERIFY2(header->sectionSize(column) >= header->fontMetrics().horizontalAdvance(caption) + margin,
                     qPrintable(caption));
        }
        // Nothing to scroll sideways for; the paths take what is left.
        QCOMPARE(list->horizontalScrollBar()->maximum(), 0);
        QVERIFY(header->sectionSize(ViewPage::NumberColumn) < 60);
        QVERIFY(header->sectionSize(ViewPage::SourceColumn) >= 60);
    }
    QCOMPARE(list->headerItem()->text(ViewPage::NameColumn), QStringLiteral("Name"));
    // Cut on screen, whole in the tooltip; the options said in the interface's language.
    const QTreeWidgetItem *row = list->topLevelItem(0);
    QCOMPARE(row->toolTip(ViewPage::SourceColumn), longSource);
    QCOMPARE(row->text(ViewPage::NameColumn), QStringLiteral("Sauvegarde"));
    QCOMPARE(row->toolTip(ViewPage::NameColumn), QStringLiteral("one at a time"));
}

void TestViewPlace::newEntryStartsWithoutTheLastOnesOptions()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n" + entry("0|3|1|1|1|1|1|1|1", "/srv/night.sh", "nom=Nuit;mois=6;rattrapage"));
    auto form = makeForm(dir);
    NewEntryPage *page = form->TabSheet3;
    page->Editsource->setText(QStringLiteral("/srv/long.sh"));
    page->SpinMinutes->setValue(5);
    page->EditNom->setText(QStringLiteral("Travail long"));
    page->EditJours->setText(QStringLiteral("1,15"));
    page->CheckSeul->setChecked(true);
    page->CheckMax->setChecked(true);
    page->SpinMax->setValue(1);
    page->Button15->click();
    QVERIFY(dir.read(QStringLiteral("cron-bat.dat")).endsWith("5|0|0|0|0|0|0|0|0|/srv/long.sh|nom=Travail long;jours=1,15;seul;max=1|\r\n"));
    const auto isFresh = [page] {
        return page->EditNom->text().isEmpty() && page->EditJours->text().isEmpty() && page->EditMois->text().isEmpty() &&
               !page->CheckPause->isChecked() && !page->CheckSeul->isChecked() && !page->CheckMax->isChecked() &&
               page->SpinMax->value() == 60 && !page->CheckRattrapage->isChecked() &&
               !page->Label6->text().contains(QLatin1Char(';'));
    };
    QVERIFY(isFresh());
    // The target and the time stay, as the page always kept them.
    QCOMPARE(page->Editsource->text(), QStringLiteral("/srv/long.sh"));
    // An edit left with "Annuler": the next entry inherits none of the edited one's options.
    form->TabSheet4->selectNumbers({1});
    form->TabSheet4->Button17->click();
    QCOMPARE(page->EditNom->text(), QStringLiteral("Nuit"));
    QVERIFY(page->CheckRattrapage->isChecked());
    page->Button18->click();
    QVERIFY(isFresh());
    // And one saved: the same.
    form->TabSheet4->selectNumbers({1});
    form->TabSheet4->Button17->click();
    page->Button15->click();
    QVERIFY(isFresh());
    // The edited entry is still the selected one.
    QCOMPARE(form->TabSheet4->selectedNumbers(), QList<int>{1});
}

void TestViewPlace::historyNarrowedToFailuresAndTheChosenEntry()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"),
              "\r\n" + entry("0|1|0|0|0|0|0|0|1", "/srv/a.sh") + entry("0|2|0|0|0|0|0|0|1", "/srv/b.sh"));
    auto form = makeForm(dir, nullptr);
    EventRecorder &recorder = form.engine().recorder();
    recorder.recordStart(QStringLiteral("/srv/a.sh"));
    recorder.recordFailure(QStringLiteral("Fichier inexistant"), QStringLiteral("/srv/b.sh"));
    recorder.recordStart(QStringLiteral("/srv/b.sh"));
    recorder.recordError(QStringLiteral("Fichier introuvable"));
    EventsPage *events = form->TabSheet1;
    QTreeWidget *history = events->ListView1;
    QCOMPARE(visibleRows(history).size(), 4);
    events->CheckErreurs->setChecked(true);
    const QStringList failures = visibleRows(history);
    QCOMPARE(failures.size(), 2);
    QVERIFY(failures.at(0).endsWith(QStringLiteral("Fichier inexistant|/srv/b.sh")));
    QVERIFY(failures.at(1).endsWith(QStringLiteral("|Fichier introuvable")));
    // A start that comes while narrowed stays out of sight.
    recorder.recordStart(QStringLiteral("/srv/b.sh"));
    QCOMPARE(visibleRows(history), failures);

    // With no entry chosen there is nothing to narrow to.
    QVERIFY(!events->CheckChoisie->isEnabled());
    form->TabSheet4->selectNumbers({2});
    QVERIFY(events->CheckChoisie->isEnabled());
    events->CheckChoisie->setChecked(true);
    QCOMPARE(visibleRows(history), failures.mid(0, 1));
    events->CheckErreurs->setChecked(false);
    QCOMPARE(visibleRows(history).size(), 3);
    // Another entry chosen: its rows.
    form->TabSheet4->selectNumbers({1});
    QCOMPARE(visibleRows(history).size(), 1);
    QVERIFY(visibleRows(history).first().endsWith(QStringLiteral("|/srv/a.sh")));
    form->TabSheet4->ListView2->clearSelection();
    QVERIFY(!events->CheckChoisie->isEnabled());
    QCOMPARE(visibleRows(history).size(), 5);
}

void TestViewPlace::keyboardFollowsTheScreen()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n" + entry("0|3|1|1|1|1|1|1|1", "/srv/night.sh"));
    auto form = makeForm(dir);
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    // The names Tab reaches from `start` on, until `last`.
    const auto tabbing = [](QWidget *start, const QString &last) {
        start->setFocus(Qt::TabFocusReason);
        QStringList reached;
        for (int i = 0; i < 40 && !reached.contains(last); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *focus = QApplication::focusWidget();
            // A spin box's own line edit stands for the box.
            reached << (focus->objectName().isEmpty() && focus->parentWidget() ? focus->parentWidget() : focus)->objectName();
        }
        return reached;
    };
    // Editing: every field and option, then "Annuler" and "Enregistrer".
    form->PageControl1->setCurrentWidget(form->TabSheet4);
    form->TabSheet4->selectNumbers({1});
    form->TabSheet4->Button17->click();
    QCOMPARE(tabbing(form->TabSheet3->Editsource, QStringLiteral("Button15")),
             (QStringList{"Button14", "Edit3", "SpinMinutes", "Spinheures", "CheckLundi", "CheckMardi", "CheckMercredi",
                          "CheckJeudi", "CheckVendredi", "CheckSamedi", "CheckDimanche", "CheckSeul", "CheckMax",
                          "CheckRattrapage", "EditNom", "EditJours", "EditMois", "CheckPause", "Button18", "Button15"}));
    // Escape leaves the edit as "Annuler" does.
    QTest::keyClick(form->TabSheet3->EditNom, Qt::Key_Escape);
    QVERIFY(!form->TabSheet3->editing());
    QCOMPARE(form->PageControl1->currentWidget(), form->TabSheet4);
    // The view: the list, then the buttons left to right, no day box.
    form->TabSheet4->selectNumbers({1});
    QCOMPARE(tabbing(form->TabSheet4->ListView2, QStringLiteral("Button8")),
             (QStringList{"Button16", "Button19", "Button17", "Button8"}));
    // Ctrl+Tab and Ctrl+PageDown from anywhere, past the hidden page and around.
    form->Button5->setFocus();
    QTest::keyClick(form->Button5, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(form->PageControl1->currentWidget(), form->TabSheet1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(form->PageControl1->currentWidget(), form->TabSheet3);
    form->TabSheet3->Edit3->setFocus();
    QTest::keyClick(form->TabSheet3->Edit3, Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(form->PageControl1->currentWidget(), form->TabSheet1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(form->PageControl1->currentWidget(), form->TabSheet4);
}

QTEST_MAIN(TestViewPlace)
#include "tst_viewplace.moc"
