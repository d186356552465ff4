#include "text/parameters.h"

#include <QProcess>
#include <QTest>

#include <algorithm>

class TestParameters : public QObject
{
    Q_OBJECT
private slots:
    void cutIntoArguments_data();
    void cutIntoArguments();
};

void TestParameters::cutIntoArguments_data()
{
    QTest::addColumn<QByteArray>("parameters");
    QTest::addColumn<QList<QByteArray>>("arguments");
    using Args = QList<QByteArray>;
    QTest::newRow("blanks apart") << QByteArray("a b  c") << Args{"a", "b", "c"};
    QTest::newRow("tabs and line ends apart")
        << QByteArray("a\tb\nc\rd\ve\ff") << Args{"a", "b", "c", "d", "e", "f"};
    QTest::newRow("blanks around") << QByteArray(" \t a \t ") << Args{"a"};
    QTest::newRow("double quotes group") << QByteArray("\"a b\" c") << Args{"a b", "c"};
    QTest::newRow("quotes inside a word") << QByteArray("a\"b c\"d") << Args{"ab cd"};
    QTest::newRow("tripled quote gives one quote") << QByteArray("a\"\"\"b") << Args{"a\"b"};
    QTest::newRow("tripled quote in a group")
        << QByteArray("\"a \"\"\" b\" c") << Args{"a \" b", "c"};
    QTest::newRow("two quotes give no argument") << QByteArray("a \"\" b") << Args{"a", "b"};
    QTest::newRow("unclosed quote runs to the end") << QByteArray("a \"b  c") << Args{"a", "b  c"};
    QTest::newRow("empty") << QByteArray() << Args{};
    QTest::newRow("blanks only") << QByteArray(" \t\r\n ") << Args{};
    QTest::newRow("shell characters stay text")
        << QByteArray("a;b $(x) | `y`") << Args{"a;b", "$(x)", "|", "`y`"};
    // Latin-1 would count 0x85 and 0xa0 as blanks: bytes are never decoded.
    QTest::newRow("bytes from 0x80 untouched")
        << QByteArray("caf\xe9 \xa0x\x85y \"\xc3\xa9t\xc3\xa9 \xff\"")
        << Args{"caf\xe9", "\xa0x\x85y", "\xc3\xa9t\xc3\xa9 \xff"};
}

void TestParameters::cutIntoArguments()
{
    QFETCH(QByteArray, parameters);
    QFETCH(QList<QByteArray>, arguments);
    QCOMPARE(Parameters::split(parameters), arguments);
    // On ASCII the rules are Qt's own, which the help promises.
    if (std::all_of(parameters.begin(), parameters.end(), [](char c) { return uchar(c) < 0x80; })) {
        QList<QByteArray> qt;
        for (const QString &argument : QProcess::splitCommand(QString::fromLatin1(parameters)))
            qt << argument.toLatin1();
        QCOMPARE(qt, arguments);
    }
}

QTEST_GUILESS_MAIN(TestParameters)
#include "tst_parameters.moc"
