#include "schedule/fields.h"
#include "testprogramdir.h"

#include <QTest>

class TestFields : public QObject
{
    Q_OBJECT
private slots:
    void getField_data();
    void getField();
    void getFieldLeavesOutUntouchedWithoutPiece();
    void weekdayDigitWalksAWeek();
    void fileSizeOf();
};

void TestFields::getField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("expected");

    const QString entry = QStringLiteral("30|14|0|1|0|0|0|0|0|C:\\jobs\\backup.bat|");
    QTest::newRow("minute") << entry << "|" << 1 << "30";
    QTest::newRow("hour") << entry << "|" << 2 << "14";
    QTest::newRow("tuesday") << entry << "|" << 4 << "1";
    QTest::newRow("target") << entry << "|" << 10 << "C:\\jobs\\backup.bat";
    QTest::newRow("empty piece between separators") << "a||b|" << "|" << 2 << "";
    QTest::newRow("pipe inside target cuts it") << "0|0|0|0|0|0|0|0|1|a|b|" << "|" << 10 << "a";
    QTest::newRow("dot split") << "C:\\jobs\\poll.cmd -q." << "." << 2 << "cmd -q";
    QTest::newRow("blank split") << "cmd -q " << " " << 1 << "cmd";
    QTest::newRow("journal time") << "14:30:37;C:\\x.bat;" << ";" << 1 << "14:30:37";
}

void TestFields::getField()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(int, n);
    QFETCH(QString, expected);
    QCOMPARE(fieldOf(text, separator.at(0), n), expected);
}

void TestFields::getFieldLeavesOutUntouchedWithoutPiece()
{
    QString out = QStringLiteral("before");
    // Text after the last separator is never a piece.
    GetField(QStringLiteral("a|b"), QLatin1Char('|'), 2, out);
    QCOMPARE(out, QStringLiteral("before"));
    GetField(QStringLiteral("a|b"), QLatin1Char('|'), 0, out);
    QCOMPARE(out, QStringLiteral("before"));
    GetField(QString(), QLatin1Char('|'), 1, out);
    QCOMPARE(out, QStringLiteral("before"));
    GetField(QStringLiteral("a|b"), QLatin1Char('|'), 1, out);
    QCOMPARE(out, QStringLiteral("a"));
}

void TestFields::weekdayDigitWalksAWeek()
{
    // 2026-12-07 is a Monday.
    const QDate monday(2026, 12, 7);
    for (int day = 0; day < 7; ++day)
        QCOMPARE(WeekdayDigit(monday.addDays(day)), QString::number(day + 1));
    QCOMPARE(WeekdayDigit(QDate(2024, 2, 29)), QStringLiteral("4"));
}

void TestFields::fileSizeOf()
{
    TestProgramDir dir;
    QCOMPARE(FileSizeOf(dir.file(QStringLiteral("absent.dat"))), qint64(0));
    dir.write(QStringLiteral("five.dat"), "12345");
    QCOMPARE(FileSizeOf(dir.file(QStringLiteral("five.dat"))), qint64(5));
    dir.write(QStringLiteral("empty.dat"), QByteArray());
    QCOMPARE(FileSizeOf(dir.file(QStringLiteral("empty.dat"))), qint64(0));
}

QTEST_GUILESS_MAIN(TestFields)
#include "tst_fields.moc"
