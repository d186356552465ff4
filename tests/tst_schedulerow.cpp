#include "schedule/scheduleentry.h"
#include "schedule/schedulerow.h"

#include <QTest>

class TestScheduleRow : public QObject
{
    Q_OBJECT
private slots:
    void row_data();
    void row();
    void selection_data();
    void selection();
};

void TestScheduleRow::row_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("existing"); // a file that exists, or empty
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");

    QTest::newRow("weekday entry, no blank")
        << 1 << "30|14|0|1|0|0|0|0|0|C:\\jobs\\backup.bat|" << "" << "001" << "14:30"
        << "C:\\jobs\\backup.bat" << "";
    QTest::newRow("interval entry with parameter")
        << 12 << "15|0|0|0|0|0|0|0|0|C:\\jobs\\poll.cmd -q|" << "" << "012" << "00:15 *"
        << "C:\\jobs\\poll.cmd" << "-q";
    QTest::newRow("interval 1 h 05") << 123 << "5|1|0|0|0|0|0|0|0|a.exe|" << "" << "123"
                                     << "01:05 *" << "a.exe" << "";
    QTest::newRow("four digits stand as they are")
        << 1234 << "0|0|0|0|0|0|0|1|0|a.exe|" << "" << "1234" << "00:00" << "a.exe" << "";
    QTest::newRow("hand-written 05 keeps its two digits")
        << 2 << "05|7|1|0|0|0|0|0|0|a.exe|" << "" << "002" << "07:05" << "a.exe" << "";
    QTest::newRow("flag other than 1 is no day")
        << 3 << "1|2|x|2|0|0|0|0|0|a.exe|" << "" << "003" << "02:01 *" << "a.exe" << "";
    QTest::newRow("web address with a blank stays whole")
        << 4 << "0|3|1|0|0|0|0|0|0|http://host/a b.php?x=1 2|" << "" << "004" << "03:00"
        << "http://host/a b.php?x=1 2" << "";
    QTest::newRow("existing file with a blank stays whole")
        << 5 << "0|3|1|0|0|0|0|0|0|C:\\My Files\\report.doc|" << "C:\\My Files\\report.doc"
        << "005" << "03:00" << "C:\\My Files\\report.doc" << "";
    QTest::newRow("dot in directory defeats the split")
        << 6 << "0|3|1|0|0|0|0|0|0|C:\\my.dir\\tool.exe -x|" << "" << "006" << "03:00"
        << "C:\\my.dir\\tool" << "C:\\my.dir\\tool.exe -x";
    QTest::newRow("program part removed everywhere")
        << 7 << "0|3|1|0|0|0|0|0|0|a.exe a.exe b|" << "" << "007" << "03:00" << "a.exe"
        << "b";
    QTest::newRow("line with fewer fields")
        << 8 << "7|" << "" << "008" << ":07 *" << "" << "";
    QTest::newRow("pipe in target cuts it")
        << 9 << "1|1|1|0|0|0|0|0|0|x.exe a|b|" << "" << "009" << "01:01" << "x.exe" << "a";
}

void TestScheduleRow::row()
{
    QFETCH(int, index);
    QFETCH(QString, line);
    QFETCH(QString, existing);
    QFETCH(QString, number);
    QFETCH(QString, time);
    QFETCH(QString, source);
    QFETCH(QString, target);
    const ScheduleRow row = makeScheduleRow(
        index, ScheduleEntry::fromLine(line), [&](const QString &path) { return !existing.isEmpty() && path == existing; });
    QCOMPARE(row.number, number);
    QCOMPARE(row.time, time);
    QCOMPARE(row.source, source);
    QCOMPARE(row.target, target);
}

void TestScheduleRow::selection_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("parameters");
    QTest::newRow("no blank") << "C:\\jobs\\backup.bat" << "C:\\jobs\\backup.bat" << "";
    QTest::newRow("parameter") << "C:\\jobs\\poll.cmd -q" << "C:\\jobs\\poll.cmd" << "-q";
    QTest::newRow("blank only before the dot")
        << "C:\\My Files\\report.doc" << "C:\\My Files\\report.doc" << "";
    QTest::newRow("empty") << "" << "" << "";
    QTest::newRow("no dot, blank") << "notepad file" << "notepad file" << "";
}

void TestScheduleRow::selection()
{
    QFETCH(QString, text);
    QFETCH(QString, program);
    QFETCH(QString, parameters);
    const TargetParts parts = selectionParts(text);
    QCOMPARE(parts.program, program);
    QCOMPARE(parts.parameters, parameters);
}

QTEST_GUILESS_MAIN(TestScheduleRow)
#include "tst_schedulerow.moc"
