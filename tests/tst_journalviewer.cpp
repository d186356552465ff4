#include "app/Unit1.h"
#include "journal/Unit2.h"
#include "journal/eventspage.h"
#include "journal/journalmodel.h"
#include "journal/purge.h"
#include "schedule/newentrypage.h"
#include "schedule/viewpage.h"
#include "testform.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <sys/stat.h>
#include <QTimer>
#include <QTableView>
#include <QTreeWidget>

#include <memory>

namespace {

QStringList rowsOf(const JournalModel &model)
{
    QStringList rows;
    for (int r = 0; r < model.rowCount(); ++r)
        rows << model.data(model.index(r, 0), Qt::DisplayRole).toString() + "|" +
                    model.data(model.index(r, 1), Qt::DisplayRole).toString();
    return rows;
}

struct Viewer
{
    explicit Viewer(const TestProgramDir &dir)
    {
        TForm2::Hooks hooks;
        hooks.programDirectory = dir.path();
        hooks.chooseFile = [this](QWidget *, const QStringList &filters, const QString &folder) {
            offeredFilters = filters;
            offeredFolder = folder;
            return chosen;
        };
        hooks.languageName = [this] { return language; };
        hooks.iniLang = [](const QString &key) { return "en:" + key; };
        form = std::make_unique<TForm2>(hooks);
    }
    std::unique_ptr<TForm2> form;
    QString chosen;
    QString language = QStringLiteral("French");
    QStringList offeredFilters;
    QString offeredFolder;
};

} // namespace

class TestJournalViewer : public QObject
{
    Q_OBJECT
private slots:
    void rows_data();
    void rows();
    void loadingReplacesAndCancelKeeps();
    void mainMenuShowsTheViewer();
    void outputOfARunFromItsRows();
    void unreadableFileIsRecordedAndNotShown();
    void closingOnlyHides();
    void captionsFollowTheLanguage();
    void titleNamesTheFileAndTheWindowFitsTheScreen();
};

void TestJournalViewer::rows_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("journal lines")
        << QByteArray("14:30:00;C:\\outils\\sauve.bat\r\n14:31:00 Fichier inexistant;/x.sh -q\r\n"
                      "14:32:00;Erreur E/S 21\r\n")
        << QStringList{"14:30:00|C:\\outils\\sauve.bat", "14:31:00 Fichier inexistant|/x.sh -q",
                       "14:32:00|Erreur E/S 21"};
    QTest::newRow("two-line network error")
        << QByteArray("03:00:01 Erreur de socket # 10061\r\nConnexion refus\xc3\xa9\x65.;http://h/\r\n")
        << QStringList{"03:00:01 Erreur de socket # 10061|", "Connexion refusée.|http://h/"};
    QTest::newRow("no semicolon, empty line, more fields")
        << QByteArray("whole line\r\n\r\na;b;c;d\r\n")
        << QStringList{"whole line|", "|", "a|b"};
    QTest::newRow("LF alone and no final line end") << QByteArray("a;1\nb;2")
                                                    << QStringList{"a|1", "b|2"};
    QTest::newRow("lone CR dropped, does not end the line")
        << QByteArray("a\rb;c\rd\r\n") << QStringList{"ab|cd"};
    QTest::newRow("character 26 ends the file") << QByteArray("a;1\r\nb;2\x1a\r\nc;3\r\n")
                                                << QStringList{"a|1", "b|2"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    // A cell shows the start of a long line; the rest is not even read.
    QTest::newRow("long line") << QByteArray(100000, 'x') + ";y" << QStringList{QString(4000, 'x') + "|"};
    QTest::newRow("long subject") << "12:00:00;" + QByteArray(100000, 'y')
                                  << QStringList{"12:00:00|" + QString(4000, 'y')};
}

void TestJournalViewer::rows()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    JournalModel model;
    model.setJournalText(bytes);
    QCOMPARE(rowsOf(model), rows);
}

void TestJournalViewer::loadingReplacesAndCancelKeeps()
{
    TestProgramDir dir;
    dir.write("20261207.log", "a;1\r\nb;2\r\nc;3\r\n");
    dir.write("20261208.log", "z;9\r\n");
    Viewer v(dir);
    v.chosen = dir.file("20261207.log");
    v.form->Voirlesfichiersjuornaux1->trigger();
    QCOMPARE(v.form->model()->rowCount(), 3);
    QCOMPARE(v.offeredFilters, (QStringList{"Fichier journal (*.log)", "Sortie de programme (*.txt)"}));
    QCOMPARE(v.offeredFolder, dir.path());
    // A program's output is shown as its text, not cut at its ';'.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sorties")));
    dir.write("sorties/20261208-030000-1.txt", "x;y\n");
    v.chosen = dir.file("sorties/20261208-030000-1.txt");
    v.form->Voirlesfichiersjuornaux1->trigger();
    QCOMPARE(rowsOf(*v.form->model()), QStringList{"|x;y"});
    v.chosen = dir.file("20261208.log");
    v.form->Voirlesfichiersjuornaux1->trigger();
    QCOMPARE(rowsOf(*v.form->model()), QStringList{"z|9"});
    v.chosen.clear();
    v.form->Voirlesfichiersjuornaux1->trigger();
    QCOMPARE(rowsOf(*v.form->model()), QStringList{"z|9"});
}

void TestJournalViewer::mainMenuShowsTheViewer()
{
    TestProgramDir dir;
    dir.write("cron-bat.dat", "\r\n");
    dir.write("20261208.log", "14:30:37;a\r\n");
    Viewer v(dir);
    auto created = makeTestForm(dir);
    TForm1 &form = *created;
    form.setJournalViewer(v.form.get());
    form.Voirlesfichiersjuornaux1Click(); // cancelled: nothing shown
    QVERIFY(!v.form->isVisible());
    v.chosen = dir.file("20261208.log");
    form.findChild<QAction *>("Voirlesfichiersjuornaux1")->trigger();
    QVERIFY(v.form->isVisible());
    QCOMPARE(rowsOf(*v.form->model()), QStringList{"14:30:37|a"});
}

void TestJournalViewer::outputOfARunFromItsRows()
{
    TestProgramDir dir;
    const QString job = dir.file(QStringLiteral("talks.sh"));
    dir.write("talks.sh", "#!/bin/sh\necho 'une ligne; avec point-virgule'\nprintf 'fin\\032 ici' >&2\nexit 2\n");
    QFile::setPermissions(job, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    dir.write("cron-bat.dat", ("\r\n0|3|1|1|1|1|1|1|1|" + job + "|\r\n").toUtf8());
    Viewer v(dir);
    auto created = makeTestForm(dir);
    TForm1 &form = *created;
    form.setJournalViewer(v.form.get());
    form.engine().runNow(1);
    QTreeWidget *history = form.TabSheet1->ListView1;
    QTRY_COMPARE_WITH_TIMEOUT(history->topLevelItemCount(), 2, 10000);
    // The start and the end lead to the same file of sorties/.
    const QString output = EventsPage::outputOf(history->topLevelItem(0));
    QVERIFY2(output.startsWith(dir.file(QStringLiteral("sorties/"))), qPrintable(output));
    QVERIFY(isOutputFileName(QFileInfo(output).fileName()));
    QCOMPARE(EventsPage::outputOf(history->topLevelItem(1)), output);
    // Enter on the row, as a double click.
    history->setCurrentItem(history->topLevelItem(1));
    QTest::keyClick(history, Qt::Key_Return);
    QVERIFY(v.form->isVisible());
    // Each line whole, ";" and character 26 included.
    QCOMPARE(rowsOf(*v.form->model()), (QStringList{"|une ligne; avec point-virgule", "|fin\x1a ici"}));
    // The view's "Résultat" cell leads there too.
    QSignalSpy wanted(form.TabSheet4, &ViewPage::outputWanted);
    form.show();
    form.PageControl1->setCurrentWidget(form.TabSheet4);
    QTreeWidgetItem *row = form.TabSheet4->ListView2->topLevelItem(0);
    QTRY_COMPARE(row->text(ViewPage::ResultColumn), QStringLiteral("Terminé (code 2)"));
    emit form.TabSheet4->ListView2->itemDoubleClicked(row, ViewPage::ResultColumn);
    QCOMPARE(wanted.count(), 1);
    QCOMPARE(wanted.at(0).at(0).toString(), output);
    // By keyboard: F3 on the selected row, or the menu's "Voir la sortie".
    form.TabSheet4->selectNumbers({1});
    QTest::keyClick(form.TabSheet4->ListView2, Qt::Key_F3);
    QCOMPARE(wanted.count(), 2);
    QTest::keyClick(form.TabSheet4->ListView2, Qt::Key_Menu);
    QTRY_VERIFY(form.TabSheet4->PopupMenu2->isVisible());
    QVERIFY(form.TabSheet4->Voirlasortie2->isEnabled());
    form.TabSheet4->Voirlasortie2->trigger();
    QCOMPARE(wanted.count(), 3);
    QCOMPARE(wanted.at(2).at(0).toString(), output);
    // A row whose run wrote nothing offers none.
    QFile::remove(output);
    QVERIFY(form.TabSheet4->selectedOutput().isEmpty());
    QTest::keyClick(form.TabSheet4->ListView2, Qt::Key_F3);
    QCOMPARE(wanted.count(), 3);
}

void TestJournalViewer::unreadableFileIsRecordedAndNotShown()
{
    TestProgramDir dir;
    dir.write("cron-bat.dat", "\r\n");
    dir.write("20261207.log", "a;1\r\n");
    Viewer v(dir);
    auto created = makeTestForm(dir);
    TForm1 &form = *created;
    form.setJournalViewer(v.form.get());
    v.chosen = dir.file("20261207.log");
    v.form->Voirlesfichiersjuornaux1Click();
    v.chosen = dir.file("typed-name.log");
    form.findChild<QAction *>("Voirlesfichiersjuornaux1")->trigger();
    QVERIFY(!v.form->isVisible());
    QCOMPARE(v.form->model()->rowCount(), 0);
    QTreeWidget *history = form.TabSheet1->ListView1;
    QCOMPARE(history->topLevelItemCount(), 1);
    QCOMPARE(history->topLevelItem(0)->text(1), QStringLiteral("Fichier introuvable"));

    // A pipe chosen in the dialog would hang the window: it is refused.
    QCOMPARE(::mkfifo(QFile::encodeName(dir.file("pipe.log")).constData(), 0600), 0);
    v.chosen = dir.file("pipe.log");
    form.findChild<QAction *>("Voirlesfichiersjuornaux1")->trigger();
    QVERIFY(!v.form->isVisible());
    QCOMPARE(history->topLevelItemCount(), 2);
    QCOMPARE(history->topLevelItem(1)->text(1), QStringLiteral("Accès au fichier refusé"));
}

void TestJournalViewer::closingOnlyHides()
{
    TestProgramDir dir;
    dir.write("20261207.log", "a;1\r\n");
    Viewer v(dir);
    v.chosen = dir.file("20261207.log");
    v.form->Voirlesfichiersjuornaux1Click();
    v.form->show();
    v.form->Button1->click();
    QVERIFY(!v.form->isVisible());
    v.form->show();
    v.form->Quitter1->trigger();
    QVERIFY(!v.form->isVisible());
    v.form->show();
    QTest::mouseClick(v.form->Panel1, Qt::LeftButton);
    QVERIFY(!v.form->isVisible());
    QCOMPARE(v.form->model()->rowCount(), 1);
}

void TestJournalViewer::captionsFollowTheLanguage()
{
    TestProgramDir dir;
    Viewer v(dir);
    v.form->show();
    QCOMPARE(v.form->Button1->text(), QStringLiteral("Fermer"));
    v.form->hide();
    v.language = QStringLiteral("English");
    v.form->show();
    QTRY_COMPARE(v.form->Button1->text(), QStringLiteral("en:Button1"));
    QCOMPARE(v.form->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("en:listview1.Columns[0]"));
    QCOMPARE(v.form->Quitter1->text(), QStringLiteral("en:Quitter1"));
    QVERIFY(!v.form->N5->isSeparator());
    // Back to French: the window's own texts again, open or not.
    v.language = QStringLiteral("French");
    v.form->FormActivate();
    QCOMPARE(v.form->Button1->text(), QStringLiteral("Fermer"));
    QCOMPARE(v.form->Quitter1->text(), QStringLiteral("Quitter"));
    QCOMPARE(v.form->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Heures"));
    QVERIFY(v.form->N5->isSeparator());
}

void TestJournalViewer::titleNamesTheFileAndTheWindowFitsTheScreen()
{
    TestProgramDir dir;
    dir.write("20261209.log", "14:30:00;/srv/a.sh\r\n");
    Viewer v(dir);
    v.form->loadFile(dir.file(QStringLiteral("20261209.log")));
    QCOMPARE(v.form->windowTitle(), QStringLiteral("20261209.log - Pendulix"));
    QCOMPARE(v.form->ListView1->accessibleName(), QStringLiteral("20261209.log"));
    // Where it fits, it keeps its designed size.
    v.form->show();
    QCOMPARE(v.form->size(), QSize(772, 592));
    const QRect area = v.form->screen()->availableGeometry();
    // Placed across the screen's corner, it is moved inside; larger than the
    // screen (a small one, or a large scale), it is made to fit: "Fermer" stays on the screen.
    for (const QSize size : {QSize(772, 592), area.size() + QSize(200, 300)}) {
        v.form->hide();
        v.form->resize(size);
        v.form->move(area.bottomRight() - QPoint(100, 100));
        v.form->show();
        QVERIFY(area.contains(v.form->geometry()));
        QVERIFY(area.contains(v.form->Button1->mapToGlobal(v.form->Button1->rect().bottomRight())));
    }
}

QTEST_MAIN(TestJournalViewer)
#include "tst_journalviewer.moc"
