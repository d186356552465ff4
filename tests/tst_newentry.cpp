#include "app/Unit1.h"
#include "journal/eventspage.h"
#include "schedule/entrysentence.h"
#include "schedule/newentrypage.h"
#include "schedule/schedulefile.h"
#include "schedule/spinedit.h"
#include "schedule/viewpage.h"
#include "testform.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

namespace {

SentenceWords frenchWords()
{
    SentenceWords w;
    w.opening = QStringLiteral("Programmation ");
    w.intervalJoin = QStringLiteral(" tout(es) les ");
    w.weekdayJoin = QStringLiteral("à ");
    w.minutes = QStringLiteral("Minutes");
    w.hours = QStringLiteral("Heures");
    w.hoursAndMinutes = QStringLiteral("et");
    const char *days[] = {" le lundi", " le mardi", " le mercredi", " le jeudi",
                          " le vendredi", " le samedi", " le dimanche"};
    for (int d = 0; d < 7; ++d)
        w.days[d] = QString::fromUtf8(days[d]);
    return w;
}

struct Fixture
{
    Fixture()
    {
        dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
        form = makeTestForm(dir, [this](TestFormOptions &options) {
            options.form.chooseFile = [this](QWidget *, const QStringList &filters, const QString &) {
                offeredFilters = filters;
                return chosen;
            };
        });
    }
    TestProgramDir dir;
    TestForm form;
    QStringList offeredFilters;
    QString chosen;
};

} // namespace

class TestNewEntry : public QObject
{
    Q_OBJECT
private slots:
    void sentences_data();
    void sentences();
    void pageComposesAsTheUserChanges();
    void spinBoxesClampAndRefuseKeys();
    void savingAppendsTheLineAndShowsTheRow();
    void chooseTargetThroughTheDialog();
    void showingThePageUnticksTheDays();
    void boxesDropLineBreaks_data();
    void boxesDropLineBreaks();
    void barInTargetIsNotSaved();
};

void TestNewEntry::sentences_data()
{
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("hour");
    QTest::addColumn<QList<int>>("days");
    QTest::addColumn<QString>("sentence");
    QTest::newRow("5 min") << 5 << 0 << QList<int>{} << "Programmation   tout(es) les  5 Minutes ";
    QTest::newRow("2 h") << 0 << 2 << QList<int>{} << "Programmation   tout(es) les  2 Heures ";
    QTest::newRow("Tuesday 14:30") << 30 << 14 << QList<int>{1}
                                   << "Programmation  à  14 Heures et 30 Minutes,  le mardi";
    QTest::newRow("Monday Friday 8:00") << 0 << 8 << QList<int>{0, 4}
                                        << "Programmation  à  8 Heures ,  le lundi,  le vendredi";
    QTest::newRow("weekend 0:15") << 15 << 0 << QList<int>{5, 6}
                                  << "Programmation  à  15 Minutes ,  le samedi,  le dimanche";
    QTest::newRow("nothing") << 0 << 0 << QList<int>{} << "Programmation   tout(es) les  0 Minutes ";
}

void TestNewEntry::sentences()
{
    QFETCH(int, minute);
    QFETCH(int, hour);
    QFETCH(QList<int>, days);
    QFETCH(QString, sentence);
    bool ticked[7] = {};
    for (int d : days)
        ticked[d] = true;
    QCOMPARE(composeEntrySentence(frenchWords(), minute, hour, ticked), sentence);
}

void TestNewEntry::pageComposesAsTheUserChanges()
{
    Fixture f;
    NewEntryPage *page = f.form->TabSheet3;
    // No saved value exists for the day boxes: they keep their design state.
    for (QCheckBox *box : page->dayBoxes())
        QVERIFY(!box->isChecked());
    page->SpinMinutes->setValue(30);
    page->Spinheures->setValue(14);
    page->CheckMardi->click();
    QCOMPARE(page->Label6->text(), QStringLiteral("Programmation  à  14 Heures et 30 Minutes,  le mardi"));
    // The view page's day boxes share the handler and store nothing.
    f.form->TabSheet4->CheckBox2->click();
    QCOMPARE(page->Label6->text(), QStringLiteral("Programmation  à  14 Heures et 30 Minutes,  le mardi"));
}

void TestNewEntry::spinBoxesClampAndRefuseKeys()
{
    Fixture f;
    f.form->show();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    f.form->PageControl1->setCurrentWidget(f.form->TabSheet3);
    TSpinEdit *minutes = f.form->TabSheet3->SpinMinutes;
    minutes->setFocus();
    QTRY_VERIFY(minutes->hasFocus());
    minutes->selectAll();
    QTest::keyClicks(minutes, QStringLiteral("7x5"));
    QCOMPARE(minutes->text(), QStringLiteral("75"));
    f.form->TabSheet3->Editsource->setFocus();
    QTRY_COMPARE(minutes->value(), 58);
    QCOMPARE(minutes->text(), QStringLiteral("58"));
    QCOMPARE(f.form->TabSheet3->Label6->text(), QStringLiteral("Programmation   tout(es) les  58 Minutes "));

    minutes->setFocus();
    QTRY_VERIFY(minutes->hasFocus());
    minutes->selectAll();
    QTest::keyClicks(minutes, QStringLiteral("-"));
    f.form->TabSheet3->Editsource->setFocus();
    QTRY_COMPARE(minutes->value(), 0);

    QVERIFY(TSpinEdit::acceptsCharacter(QLatin1Char('+')));
    QVERIFY(!TSpinEdit::acceptsCharacter(QLatin1Char('a')));
    QCOMPARE(f.form->TabSheet3->Spinheures->maximum(), 23);
}

void TestNewEntry::savingAppendsTheLineAndShowsTheRow()
{
    Fixture f;
    NewEntryPage *page = f.form->TabSheet3;
    page->Editsource->setText(QStringLiteral("C:\\jobs\\backup.bat"));
    page->SpinMinutes->setValue(30);
    page->Spinheures->setValue(14);
    page->CheckMardi->setChecked(true);
    page->Button15->click();
    page->Button15->click(); // twice: nothing detects duplicates
    QCOMPARE(f.dir.read(QStringLiteral("cron-bat.dat")),
             QByteArray("\r\n30|14|0|1|0|0|0|0|0|C:\\jobs\\backup.bat|\r\n"
                        "30|14|0|1|0|0|0|0|0|C:\\jobs\\backup.bat|\r\n"));
    QCOMPARE(f.form->PageControl1->currentWidget(), f.form->TabSheet4);
    QTreeWidget *rows = f.form->TabSheet4->ListView2;
    QCOMPARE(rows->topLevelItemCount(), 2);
    QCOMPARE(rows->topLevelItem(1)->text(0), QStringLiteral("002"));
    QCOMPARE(rows->topLevelItem(1)->text(1), QStringLiteral("14:30"));
    QCOMPARE(f.form->ListBox1.count(), 3);

    // Parameters without a target: the target begins with a blank.
    page->Editsource->clear();
    page->Edit3->setText(QStringLiteral("-q"));
    page->CheckMardi->setChecked(false);
    page->SpinMinutes->setValue(5);
    page->Spinheures->setValue(0);
    page->Button15->click();
    QVERIFY(f.dir.read(QStringLiteral("cron-bat.dat")).endsWith("\r\n5|0|0|0|0|0|0|0|0| -q|\r\n"));

    // A schedule deleted meanwhile: the entry is not saved, the page stays.
    QFile::remove(f.dir.file(QStringLiteral("cron-bat.dat")));
    f.form->PageControl1->setCurrentWidget(page);
    page->Button15->click();
    QCOMPARE(f.form->PageControl1->currentWidget(), page);
    QTreeWidget *history = f.form->TabSheet1->ListView1;
    QCOMPARE(history->topLevelItem(history->topLevelItemCount() - 1)->text(1),
             QStringLiteral("Fichier introuvable"));
}

void TestNewEntry::chooseTargetThroughTheDialog()
{
    Fixture f;
    f.chosen = QStringLiteral("/home/user/jobs/backup.sh");
    f.form->TabSheet3->Button14->click();
    QCOMPARE(f.form->TabSheet3->Editsource->text(), f.chosen);
    // The designed eight, then what a user of this system looks for.
    QCOMPARE(f.offeredFilters.size(), 10);
    QCOMPARE(f.offeredFilters.first(), QStringLiteral("Tous les fichiers  (*)"));
    QCOMPARE(f.offeredFilters.at(1), QStringLiteral("Fichiers Cmd (*.cmd)"));
    QCOMPARE(f.offeredFilters.at(7), QStringLiteral("Fichiers Application (*.exe)"));
    QCOMPARE(f.offeredFilters.mid(8), (QStringList{"Scripts shell (*.sh)", "Programmes exécutables (*)"}));
    f.chosen.clear(); // cancelled
    f.form->TabSheet3->Button14->click();
    QCOMPARE(f.form->TabSheet3->Editsource->text(), QStringLiteral("/home/user/jobs/backup.sh"));
    QCOMPARE(qtNameFilters(kTargetFileFilter, QStringLiteral("*.*")).first(),
             QStringLiteral("Tous les fichiers  (*.*)"));
}

void TestNewEntry::showingThePageUnticksTheDays()
{
    Fixture f;
    NewEntryPage *page = f.form->TabSheet3;
    f.form->PageControl1->setCurrentWidget(f.form->TabSheet1);
    page->CheckLundi->setChecked(true);
    page->CheckDimanche->setChecked(true);
    page->SpinMinutes->setValue(7);
    page->Editsource->setText(QStringLiteral("x"));
    f.form->PageControl1->setCurrentWidget(page);
    for (QCheckBox *box : page->dayBoxes())
        QVERIFY(!box->isChecked());
    QCOMPARE(page->SpinMinutes->value(), 7);
    QCOMPARE(page->Editsource->text(), QStringLiteral("x"));
    QCOMPARE(page->Label6->text(), QStringLiteral("Programmation   tout(es) les  7 Minutes "));
}

void TestNewEntry::boxesDropLineBreaks_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("plain") << "/srv/job.sh" << "/srv/job.sh";
    QTest::newRow("pasted with LF") << "/srv/job.sh\n1|0|0|0|0|0|0|0|0|/bin/evil|"
                                    << "/srv/job.sh1|0|0|0|0|0|0|0|0|/bin/evil|";
    QTest::newRow("CR LF at the end") << "-q -v\r\n" << "-q -v";
    QTest::newRow("lone CR") << "a\rb" << "ab";
    QTest::newRow("blanks stay") << " a  b " << " a  b ";
}

void TestNewEntry::boxesDropLineBreaks()
{
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QCOMPARE(withoutLineBreaks(typed), kept);
    Fixture f;
    // As a paste or a chosen file's name would put it in.
    f.form->TabSheet3->Editsource->setText(typed);
    f.form->TabSheet3->Edit3->setText(typed);
    QCOMPARE(f.form->TabSheet3->Editsource->text(), kept);
    QCOMPARE(f.form->TabSheet3->Edit3->text(), kept);
}

void TestNewEntry::barInTargetIsNotSaved()
{
    Fixture f;
    NewEntryPage *page = f.form->TabSheet3;
    f.form->show();
    f.form->PageControl1->setCurrentWidget(page);
    QVERIFY(!page->Label43->isVisible());
    // A "|" would shift the fields: the entry is refused and the page says why.
    for (const auto &[source, parameters] :
         {std::pair{"/srv/a|b.sh", ""}, std::pair{"/srv/job.sh", "x | y"}}) {
        page->Editsource->setText(QString::fromUtf8(source));
        page->Edit3->setText(QString::fromUtf8(parameters));
        page->Button15->click();
        QCOMPARE(f.dir.read(QStringLiteral("cron-bat.dat")), QByteArray("\r\n"));
        QCOMPARE(f.form->PageControl1->currentWidget(), page);
        QVERIFY(page->Label43->isVisible());
        QVERIFY(page->Label43->text().contains(QLatin1Char('|')));
    }
    // Mended, the reason goes away.
    page->Edit3->setText(QStringLiteral("x y"));
    QVERIFY(!page->Label43->isVisible());
    // An interval of 0 minutes would never run: refused, with its own reason,
    // whatever the sentence says.
    QCOMPARE(page->SpinMinutes->value() + page->Spinheures->value(), 0);
    page->Button15->click();
    QCOMPARE(f.dir.read(QStringLiteral("cron-bat.dat")), QByteArray("\r\n"));
    QVERIFY(page->Label57->isVisible());
    QVERIFY(!page->Label43->isVisible());
    // A day makes it an entry that runs at 00:00; the reason goes away.
    page->CheckDimanche->setChecked(true);
    QVERIFY(!page->Label57->isVisible());
    page->Button15->click();
    QVERIFY(f.dir.read(QStringLiteral("cron-bat.dat")).endsWith("\r\n0|0|0|0|0|0|0|0|1|/srv/job.sh x y|\r\n"));
    QCOMPARE(ScheduleFile::canHoldTarget(QStringLiteral("a|b")), false);
    QCOMPARE(ScheduleFile::canHoldTarget(QStringLiteral("a\nb")), false);
}

QTEST_MAIN(TestNewEntry)
#include "tst_newentry.moc"
