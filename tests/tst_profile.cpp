#include "settings/profile.h"
#include "testprogramdir.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

class TestProfile : public QObject
{
    Q_OBJECT
private slots:
    void reading_data();
    void reading();
    void longValuesAreCut();
    void writingInPlaceAndAtTheEnd();
    void eraseSection();
    void filesAndFailures();
    void integers();
    void writerRefuses_data();
    void writerRefuses();
    void writtenValuesReadBack();
    void foreignBytesSurviveWrites();
    void outsideEditsAreSeen();
};

void TestProfile::reading_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const QString dflt = QStringLiteral("<default>");
    QTest::newRow("case of names") << "[English]\nButton5=Minimize" << "english" << "BUTTON5" << "Minimize";
    QTest::newRow("blanks around names") << "  [ English ] \n  Button5  =x" << "English" << "Button5" << "x";
    QTest::newRow("blanks and tabs around value") << "[s]\nk= \t v a l \t " << "s" << "k" << "v a l";
    QTest::newRow("double quotes keep blanks") << "[s]\nk=\" le lundi\"" << "s" << "k" << " le lundi";
    QTest::newRow("single quotes") << "[s]\nk='x '" << "s" << "k" << "x ";
    QTest::newRow("unmatched quote stays") << "[s]\nk=\"abc" << "s" << "k" << "\"abc";
    QTest::newRow("mixed quotes stay") << "[s]\nk=\"abc'" << "s" << "k" << "\"abc'";
    QTest::newRow("only one pair dropped") << "[s]\nk=\"\"x\"\"" << "s" << "k" << "\"x\"";
    QTest::newRow("no inline comment") << "[s]\nk=a ; b" << "s" << "k" << "a ; b";
    QTest::newRow("empty value is not the default") << "[s]\nk=" << "s" << "k" << "";
    QTest::newRow("missing key") << "[s]\nother=1" << "s" << "k" << dflt;
    QTest::newRow("missing section") << "[t]\nk=1" << "s" << "k" << dflt;
    QTest::newRow("line without = is no key") << "[s]\nk\nk=2" << "s" << "k" << "2";
    QTest::newRow("first entry wins") << "[s]\nk=1\nK=2" << "s" << "k" << "1";
    QTest::newRow("first section only") << "[s]\na=1\n[t]\n[S]\nk=2" << "s" << "k" << dflt;
    QTest::newRow("value holds =") << "[s]\nk=a=b" << "s" << "k" << "a=b";
    QTest::newRow("keys before any section") << "k=0\n[s]\nk=1" << "s" << "k" << "1";
    QTest::newRow("name runs to the last ]") << "[a]b] x\nk=1" << "a]b" << "k" << "1";
    QTest::newRow("[ without ] is no header") << "[s]\n[t\nk=1" << "s" << "k" << "1";
    QTest::newRow("end-of-file character is a blank") << "[s]\nk=1\x1a" << "s" << "k" << "1";
    QTest::newRow("Latin letters ignore case") << "[\u00c9t\u00e9]\nCl\u00c9=1" << "\u00e9T\u00c9" << "cl\u00e9" << "1";
    QTest::newRow("Greek letters ignore case") << "[\u0386\u03a3\u039f\u03a3]\nk=1" << "\u03ac\u03c3\u03bf\u03c2" << "k" << "1";
    QTest::newRow("Cyrillic letters ignore case") << "[\u0490\u0410\u0401]\nk=1" << "\u0491\u0430\u0451" << "k" << "1";
    QTest::newRow("dotted and dotless i differ") << "[\u0130]\nk=1" << "\u0131" << "k" << dflt;
}

void TestProfile::reading()
{
    QFETCH(QString, text);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    const ProfileText profile(text.split(QLatin1Char('\n')));
    QCOMPARE(profile.value(section, key, QStringLiteral("<default>")), expected);
    // The same text in a file with each kind of line end, a lone CR included.
    TestProgramDir dir;
    for (const char *end : {"\r\n", "\n", "\r"}) {
        dir.write(QStringLiteral("p.ini"), text.toUtf8().replace('\n', end));
        QCOMPARE(Profile::GetPrivateProfileString(section, key, QStringLiteral("<default>"),
                                                  dir.file(QStringLiteral("p.ini"))),
                 expected);
    }
}

void TestProfile::longValuesAreCut()
{
    const ProfileText profile({QStringLiteral("[s]"), QStringLiteral("k=") + QString(3000, 'x')});
    QCOMPARE(profile.value(QStringLiteral("s"), QStringLiteral("k"), QString()).size(), 2047);
}

void TestProfile::writingInPlaceAndAtTheEnd()
{
    ProfileText profile({"[Form1]", "CheckBox_1 = 0", "Edit_4=French", "", "[Other]", "x=1"});
    profile.setValue("Form1", "checkbox_1", "1");
    profile.setValue("Form1", "SpinEdit_1", "5");
    profile.setValue("New", "k", "v");
    QCOMPARE(profile.lines(), (QStringList{"[Form1]", "CheckBox_1=1", "Edit_4=French",
                                           "SpinEdit_1=5", "", "[Other]", "x=1", "[New]", "k=v"}));
}

void TestProfile::eraseSection()
{
    ProfileText profile({"[a]", "x=1", "[Form1ListBox_1]", "L0=one", "ItemIndex=0", "[b]", "y=2"});
    profile.eraseSection("form1listbox_1");
    QCOMPARE(profile.lines(), (QStringList{"[a]", "x=1", "[b]", "y=2"}));
}

void TestProfile::filesAndFailures()
{
    TestProgramDir dir;
    const QString path = dir.file(QStringLiteral("serie.ini"));
    QCOMPARE(Profile::GetPrivateProfileString("Form1", "k", "d", path), QStringLiteral("d"));
    QVERIFY(Profile::WritePrivateProfileString("Form1", "CheckBox_1", "1", path));
    QVERIFY(Profile::WritePrivateProfileString("Form1", "Edit_4", "Français", path));
    QCOMPARE(dir.read("serie.ini"), QByteArray("[Form1]\r\nCheckBox_1=1\r\nEdit_4=Fran\xc3\xa7\x61is\r\n"));
    QCOMPARE(Profile::GetPrivateProfileString("form1", "edit_4", "d", path), QStringLiteral("Français"));

    // A file written with LF alone reads the same.
    dir.write("lf.ini", "[s]\nk=v\n");
    QCOMPARE(Profile::GetPrivateProfileString("s", "k", "d", dir.file("lf.ini")), QStringLiteral("v"));

    // A read-only file is left alone, silently.
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    QVERIFY(!Profile::WritePrivateProfileString("Form1", "CheckBox_1", "0", path));
    QVERIFY(!Profile::EraseSection("Form1", path));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(Profile::GetPrivateProfileString("Form1", "CheckBox_1", "d", path), QStringLiteral("1"));

    // A directory that does not exist.
    QVERIFY(!Profile::WritePrivateProfileString("s", "k", "v", dir.file("gone/serie.ini")));
}

void TestProfile::integers()
{
    bool ok = false;
    QCOMPARE(Profile::toInteger("0x1F", &ok), 31);
    QVERIFY(ok);
    QCOMPARE(Profile::toInteger("0X1f", &ok), 31);
    QVERIFY(ok);
    QCOMPARE(Profile::toInteger("-12", &ok), -12);
    QVERIFY(ok);
    Profile::toInteger("1F", &ok);
    QVERIFY(!ok);
    Profile::toInteger("", &ok);
    QVERIFY(!ok);
}

void TestProfile::writerRefuses_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("written");
    QTest::newRow("plain") << "Form1" << "Edit_1" << "x" << true;
    QTest::newRow("value with =") << "Form1" << "Edit_1" << "a=b" << true;
    QTest::newRow("value with [") << "Form1" << "Edit_1" << "[Other]" << true;
    QTest::newRow("key as a header") << "Form1" << "[Form1]x" << "1" << false;
    QTest::newRow("key as a header after blanks") << "Form1" << "  [x]" << "1" << false;
    QTest::newRow("key with =") << "Form1" << "a=b" << "1" << false;
    QTest::newRow("key with LF") << "Form1" << "a\nEdit_4" << "1" << false;
    QTest::newRow("key with CR") << "Form1" << "a\rb" << "1" << false;
    QTest::newRow("empty key") << "Form1" << "  " << "1" << false;
    // Found by fuzzing: other readers trim a vertical tab and see a header.
    QTest::newRow("key as a header after a vertical tab") << "Form1" << "\v[Form[s" << "k" << false;
    QTest::newRow("key with a control character") << "Form1" << "a\x01b" << "1" << false;
    QTest::newRow("value with LF") << "Form1" << "Edit_1" << "x\n[Evil]\nk=v" << false;
    QTest::newRow("value with CR") << "Form1" << "Edit_1" << "x\ry" << false;
    QTest::newRow("section with ]") << "Form1]\n[x" << "k" << "v" << false;
    QTest::newRow("section with LF") << "a\nb" << "k" << "v" << false;
}

void TestProfile::writerRefuses()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(bool, written);
    const QStringList before{"[Form1]", "Edit_4=French", "[Other]", "x=1"};
    ProfileText profile(before);
    QCOMPARE(profile.setValue(section, key, value), written);
    if (!written) {
        QCOMPARE(profile.lines(), before);
        return;
    }
    // One line more, in its section, and nothing else moved.
    QCOMPARE(profile.lines().size(), before.size() + 1);
    QCOMPARE(profile.value(section, key, QStringLiteral("<none>")), value);
    QCOMPARE(profile.value(QStringLiteral("Form1"), QStringLiteral("Edit_4"), QString()),
             QStringLiteral("French"));
    QCOMPARE(profile.value(QStringLiteral("Other"), QStringLiteral("x"), QString()), QStringLiteral("1"));
}

void TestProfile::writtenValuesReadBack()
{
    // Values that reading would change if they were written as they are.
    const QStringList values{"  kept blanks  ", "\tt", "\"quoted\"", "'single'", "\"", "\"\"",
                             " ", "", "a ; b", "x\"", "\"both' "};
    ProfileText profile;
    for (qsizetype i = 0; i < values.size(); ++i)
        QVERIFY(profile.setValue(QStringLiteral("s"), QStringLiteral("k%1").arg(i), values.at(i)));
    for (qsizetype i = 0; i < values.size(); ++i)
        QCOMPARE(profile.value(QStringLiteral("s"), QStringLiteral("k%1").arg(i), QStringLiteral("<none>")),
                 values.at(i));
}

void TestProfile::foreignBytesSurviveWrites()
{
    TestProgramDir dir;
    const QString path = dir.file(QStringLiteral("serie.ini"));
    // A section the program does not own, in another code page, with the
    // line ends another editor left: a lone LF, a lone CR.
    const QByteArray foreign("[Notes]\r\nnote=d\xe9j\xe0 vu\nunix=1\rmac=2\r\n");
    dir.write(QStringLiteral("serie.ini"), foreign + "[Form1]\nCheckBox_1=1\n[Last]\rk=v");
    QVERIFY(Profile::WritePrivateProfileString("Form1", "CheckBox_1", "0", path));
    QVERIFY(Profile::WritePrivateProfileString("Form1", "CheckBox_2", "1", path));
    QVERIFY(Profile::WritePrivateProfileString("Other", "x", "1", path));
    QCOMPARE(dir.read(QStringLiteral("serie.ini")),
             foreign + "[Form1]\nCheckBox_1=0\nCheckBox_2=1\r\n[Last]\rk=v\r\n[Other]\r\nx=1\r\n");
    QVERIFY(Profile::EraseSection("Form1", path));
    QCOMPARE(dir.read(QStringLiteral("serie.ini")), foreign + "[Last]\rk=v\r\n[Other]\r\nx=1\r\n");
}

void TestProfile::outsideEditsAreSeen()
{
    // A file is parsed once per change: each change must still be seen.
    TestProgramDir dir;
    const QString path = dir.file(QStringLiteral("sourcelang.ini"));
    const QString other = dir.file(QStringLiteral("serie.ini"));
    dir.write("sourcelang.ini", "[English]\r\nButton5=Hide\r\n");
    QCOMPARE(Profile::GetPrivateProfileString("English", "Button5", "", path), QStringLiteral("Hide"));
    // Another size.
    dir.write("sourcelang.ini", "[English]\r\nButton5=Reduce\r\n");
    QCOMPARE(Profile::GetPrivateProfileString("English", "Button5", "", path), QStringLiteral("Reduce"));
    // The same size, written later.
    dir.write("sourcelang.ini", "[English]\r\nButton5=Shrink\r\n");
    TestProgramDir::setModified(path, QFileInfo(path).lastModified().addSecs(2));
    QCOMPARE(Profile::GetPrivateProfileString("English", "Button5", "", path), QStringLiteral("Shrink"));
    // Our own write, with other files read in between.
    QVERIFY(Profile::WritePrivateProfileString("English", "Button9", "Quit", path));
    QVERIFY(Profile::WritePrivateProfileString("Form1", "CheckBox_1", "1", other));
    QCOMPARE(Profile::GetPrivateProfileString("Form1", "CheckBox_1", "", other), QStringLiteral("1"));
    QCOMPARE(Profile::GetPrivateProfileString("English", "Button9", "", path), QStringLiteral("Quit"));
    // Gone.
    QVERIFY(QFile::remove(path));
    QCOMPARE(Profile::GetPrivateProfileString("English", "Button5", "none", path), QStringLiteral("none"));
}

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
