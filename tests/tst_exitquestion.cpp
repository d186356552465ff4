#include "app/exitquestion.h"
#include "app/programtitle.h"
#include "app/qttranslations.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QPointer>

class TestExitQuestion : public QObject
{
    Q_OBJECT
private slots:
    void composesTwoBlanksAndALoneCr();
    void titleFromExecutableName_data();
    void titleFromExecutableName();
    void boxButtons_data();
    void boxButtons();
};

void TestExitQuestion::composesTwoBlanksAndALoneCr()
{
    QCOMPARE(composeExitQuestion(QStringLiteral("Voulez-vous quitter "), QStringLiteral("Pendulix"),
                                 QStringLiteral("Si vous quitter maintenant")),
             QStringLiteral("Voulez-vous quitter  Pendulix\rSi vous quitter maintenant"));
}

void TestExitQuestion::titleFromExecutableName_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("title");
    QTest::newRow("linux") << "Pendulix" << "Pendulix";
    QTest::newRow("windows") << "Pendulix.exe" << "Pendulix";
    QTest::newRow("upper case") << "PENDULIX.EXE" << "Pendulix";
    QTest::newRow("first dot ends it, first letter kept") << "my.tool.exe" << "my";
}

void TestExitQuestion::titleFromExecutableName()
{
    QFETCH(QString, fileName);
    QFETCH(QString, title);
    QCOMPARE(programTitle(fileName), title);
}

void TestExitQuestion::boxButtons_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("yes");
    QTest::addColumn<QString>("no");
    QTest::newRow("Enter is Oui") << int(Qt::Key_Return) << int(ExitAnswer::Yes) << "French" << "&Oui" << "&Non";
    QTest::newRow("Escape is Non") << int(Qt::Key_Escape) << int(ExitAnswer::No) << "French" << "&Oui" << "&Non";
    QTest::newRow("in English, Enter is Yes")
        << int(Qt::Key_Return) << int(ExitAnswer::Yes) << "English" << "&Yes" << "&No";
}

void TestExitQuestion::boxButtons()
{
    QFETCH(int, key);
    QFETCH(int, answer);
    QFETCH(QString, language);
    QFETCH(QString, yes);
    QFETCH(QString, no);
    useQtTranslationsFor(language);
    QString title, text;
    QStringList buttons;
    bool iconless = false;
    // The box waits without a loop of its own: the answer comes once a key is pressed.
    int answers = 0;
    ExitAnswer result = ExitAnswer::Closed;
    askExitQuestion(QStringLiteral("Pendulix"), QStringLiteral("Voulez-vous quitter  Pendulix\rSi"),
                    [&](ExitAnswer given) {
                        ++answers;
                        result = given;
                    });
    QCOMPARE(answers, 0);
    QPointer<QMessageBox> box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    QVERIFY(box);
    title = box->windowTitle();
    text = box->text();
    iconless = box->icon() == QMessageBox::NoIcon;
    for (QAbstractButton *b : box->buttons())
        buttons << b->text();
    QCOMPARE(box->defaultButton()->text(), yes);
    QCOMPARE(box->escapeButton()->text(), no);
    QTest::keyClick(box, Qt::Key(key));
    QCOMPARE(answers, 1);
    QCOMPARE(int(result), answer);
    QTRY_VERIFY(!box);
    QCOMPARE(title, QStringLiteral("Pendulix"));
    QCOMPARE(text, QStringLiteral("Voulez-vous quitter  Pendulix\nSi"));
    QVERIFY(iconless);
    buttons.sort();
    QCOMPARE(buttons, (QStringList{no, yes}));
    useQtTranslationsFor(QStringLiteral("French"));
}

QTEST_MAIN(TestExitQuestion)
#include "tst_exitquestion.moc"
