#include "journal/eventrecorder.h"
#include "journal/journal.h"
#include "files/runtimeerror.h"
#include "recordlog.h"
#include "testprogramdir.h"

#include <QDir>
#include <QTest>

namespace {

// Records what the recorder does, in order, with the time text taken from the clock.
struct Harness
{
    explicit Harness(const QString &programDirectory, QDateTime start)
        : clock(std::move(start)),
          recorder(programDirectory, [this] { return clock.now(); }, testTimeText),
          record(&recorder, [this] { clock.advance(advancePerRead); })
    {
    }
    FakeClock clock;
    qint64 advancePerRead = 0;
    EventRecorder recorder;
    RecordLog record;
};

const QDateTime kTuesday(QDate(2026, 12, 8), QTime(14, 30, 37));

} // namespace

class TestJournal : public QObject
{
    Q_OBJECT
private slots:
    void fileNameIsTheDate();
    void linesAreAppendedWithCrLf();
    void startAndFailureRowsAndLines();
    void journallingOffWritesNoFile();
    void lineAfterMidnightGoesToTheNewDay();
    void textsAreWrittenUnescaped();
    void errorTexts_data();
    void errorTexts();
    void failingJournalRaisesTheRuntimeText();
    void handlerDoubleFailureIsOneRow();
};

void TestJournal::fileNameIsTheDate()
{
    QCOMPARE(Journal::fileNameFor(QDate(2026, 1, 5)), QStringLiteral("20260105.log"));
    QCOMPARE(Journal::pathFor(QStringLiteral("/p/"), QDate(2026, 12, 31)),
             QStringLiteral("/p/20261231.log"));
}

void TestJournal::linesAreAppendedWithCrLf()
{
    TestProgramDir dir;
    Journal::append(dir.path(), kTuesday, QStringLiteral("14:30:37;C:\\jobs\\backup.bat"));
    Journal::append(dir.path(), kTuesday, QStringLiteral("14:31:00;é"));
    QCOMPARE(dir.read(QStringLiteral("20261208.log")),
             QByteArray("14:30:37;C:\\jobs\\backup.bat\r\n14:31:00;\xc3\xa9\r\n"));
    Journal::appendToLanguageFile(dir.path(), QStringLiteral("[French]"));
    QCOMPARE(dir.read(QStringLiteral("sourcelang.ini")), QByteArray("[French]\r\n"));
}

void TestJournal::startAndFailureRowsAndLines()
{
    TestProgramDir dir;
    Harness h(dir.path(), kTuesday);
    h.recorder.recordStart(QStringLiteral("C:\\jobs\\backup.bat"));
    h.recorder.recordFailure(QStringLiteral("Fichier inexistant"), QStringLiteral("C:\\x.exe "));
    QCOMPARE(h.record.lines, (QStringList{"row 14:30:37|C:\\jobs\\backup.bat",
                                 "row 14:30:37 Fichier inexistant|C:\\x.exe ", "signal"}));
    QCOMPARE(dir.read(QStringLiteral("20261208.log")),
             QByteArray("14:30:37;C:\\jobs\\backup.bat\r\n14:30:37 Fichier inexistant;C:\\x.exe \r\n"));
}

void TestJournal::journallingOffWritesNoFile()
{
    TestProgramDir dir;
    Harness h(dir.path(), kTuesday);
    h.recorder.setJournalling(false);
    h.recorder.recordStart(QStringLiteral("a"));
    h.recorder.recordFailure(QStringLiteral("Fichier inexistant"), QStringLiteral("b"));
    h.recorder.recordError(QStringLiteral("Erreur E/S 99"));
    QCOMPARE(h.record.lines.size(), 4);
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

void TestJournal::lineAfterMidnightGoesToTheNewDay()
{
    TestProgramDir dir;
    Harness h(dir.path(), QDateTime(QDate(2026, 12, 8), QTime(23, 59, 59)));
    h.advancePerRead = 1; // the clock passes midnight between the row and the line
    h.recorder.recordStart(QStringLiteral("late.bat"));
    QCOMPARE(h.record.lines, QStringList{"row 23:59:59|late.bat"});
    QVERIFY(!QFile::exists(dir.file(QStringLiteral("20261208.log"))));
    QCOMPARE(dir.read(QStringLiteral("20261209.log")), QByteArray("00:00:00;late.bat\r\n"));
}

void TestJournal::textsAreWrittenUnescaped()
{
    TestProgramDir dir;
    Harness h(dir.path(), kTuesday);
    h.recorder.recordFailure(QStringLiteral("Erreur de socket # 10061\nConnexion refusée"),
                             QStringLiteral("http://h/a;b"));
    QCOMPARE(dir.read(QStringLiteral("20261208.log")),
             QByteArray("14:30:37 Erreur de socket # 10061\nConnexion refus\xc3\xa9\x65;http://h/a;b\r\n"));
}

void TestJournal::errorTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("2") << 2 << "Fichier introuvable";
    QTest::newRow("3") << 3 << "Nom de fichier incorrect";
    QTest::newRow("4") << 4 << "Trop de fichiers ouverts";
    QTest::newRow("5") << 5 << "Accès au fichier refusé";
    QTest::newRow("101") << 101 << "Disque plein";
    QTest::newRow("other") << 21 << "Erreur E/S 21";
}

void TestJournal::errorTexts()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(EInOutError(code).message(), text);
}

void TestJournal::failingJournalRaisesTheRuntimeText()
{
    TestProgramDir dir;
    const QString missing = dir.path() + QStringLiteral("gone/");
    try {
        Journal::append(missing, kTuesday, QStringLiteral("x"));
        QFAIL("a journal in a missing directory cannot be written");
    } catch (const EInOutError &e) {
        QCOMPARE(e.message(), QStringLiteral("Fichier introuvable"));
    }
    // A directory where the day's file should be is refused, as Windows refuses it.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("20261208.log")));
    try {
        Journal::append(dir.path(), kTuesday, QStringLiteral("x"));
        QFAIL("a directory cannot be appended to");
    } catch (const EInOutError &e) {
        QCOMPARE(e.message(), QStringLiteral("Accès au fichier refusé"));
    }
}

void TestJournal::handlerDoubleFailureIsOneRow()
{
    TestProgramDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("20261208.log")));
    Harness h(dir.path(), kTuesday);
    // An event whose line fails raises to the caller, with its row in place...
    try {
        h.recorder.recordStart(QStringLiteral("a.bat"));
        QFAIL("the line cannot be written");
    } catch (const EInOutError &e) {
        // ...and the handler records that error: its own line fails too.
        h.recorder.recordError(e.message());
    }
    // One error row for the one failure, not one more for its journal line.
    const QString failure = QStringLiteral("Accès au fichier refusé");
    QCOMPARE(h.record.lines, (QStringList{"row 14:30:37|a.bat", "row 14:30:37|" + failure}));
}

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
