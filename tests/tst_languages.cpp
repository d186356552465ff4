#include "app/Unit1.h"
#include "app/Unit3.h"
#include "journal/eventspage.h"
#include "schedule/newentrypage.h"
#include "schedule/spinedit.h"
#include "settings/captions.h"
#include "settings/profile.h"
#include "schedule/viewpage.h"
#include "testform.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QMenu>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QStringDecoder>
#include <QTest>
#include <QLibraryInfo>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

namespace {

TestForm makeForm(const TestProgramDir &dir)
{
    return makeTestForm(dir);
}

void installShippedFile(const TestProgramDir &dir)
{
    QVERIFY(QFile::copy(QStringLiteral(PENDULIX_LANGUAGE_FILE), dir.file(QStringLiteral("sourcelang.ini"))));
}

QAction *action(const TForm1 &form, const char *name)
{
    return form.findChild<QAction *>(QLatin1String(name));
}

} // namespace

class TestLanguages : public QObject
{
    Q_OBJECT
private slots:
    void switchBothWaysWithTheShippedFile();
    void everyKeyHasAnEnglishText();
    void savedEnglishAppliesAtStartUp();
    void missingFileOrSectionEmptiesCaptions();
    void exportWritesTheCaptionsInOrder();
    void settingsFileHoldsTheSwitchesAndTheLanguage();
    void aboutWindowReadsItsButtonEveryTime();
    void separatorsShowNoText();
    void qtDialogsSpeakTheLanguage();
    void nextRunColumnFollowsTheLanguage();
    void windowsCopyHoldsTheSameCaptions();
};

void TestLanguages::switchBothWaysWithTheShippedFile()
{
    TestProgramDir dir;
    installShippedFile(dir);
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    auto form = makeForm(dir);
    QCOMPARE(form->PageControl1->tabText(0), QStringLiteral("Evénements"));

    form->English1Click();
    QCOMPARE(form->TabSheet3->Edit_4->text(), QStringLiteral("English"));
    QCOMPARE(form->PageControl1->tabText(0), QStringLiteral("Events"));
    QCOMPARE(form->TabSheet1->ListView1->headerItem()->text(0), QStringLiteral("Time"));
    QCOMPARE(form->Button5->text(), QStringLiteral("Minimize"));
    QCOMPARE(form->TabSheet1->GroupBox4->title(), QStringLiteral(" Deleting journal files "));
    QVERIFY(action(*form, "N2")->isSeparator());
    QCOMPARE(form->findChild<QMenu *>(QStringLiteral("Language1"))->title(), QStringLiteral("&Language"));
    QCOMPARE(form->TabSheet3->Label6->text(), QStringLiteral("Runs every 0 minutes "));
    // The limit's box is told apart from the schedule's own "Minutes".
    QCOMPARE(form->TabSheet3->SpinMax->accessibleName(), QStringLiteral("Stop after … minutes"));
    form->TabSheet3->SpinMinutes->setValue(30);
    form->TabSheet3->Spinheures->setValue(14);
    form->TabSheet3->CheckMardi->setChecked(true);
    QCOMPARE(form->TabSheet3->Label6->text(),
             QStringLiteral("Runs at 14 hours and 30 minutes, on Tuesday"));

    form->Francais1Click();
    QCOMPARE(form->PageControl1->tabText(0), QStringLiteral("Evénements"));
    QCOMPARE(form->TabSheet1->Label5->text(), QStringLiteral("Historique "));
    QCOMPARE(form->Button5->text(), QStringLiteral("Réduire"));
    QCOMPARE(form->TabSheet3->SpinMax->accessibleName(), QStringLiteral("Arrêter après … minutes"));
    QCOMPARE(form->TabSheet3->Label6->text(),
             QStringLiteral("Programmation  à  14 Heures et 30 Minutes,  le mardi"));
    QVERIFY(action(*form, "N5")->isSeparator());
}

void TestLanguages::everyKeyHasAnEnglishText()
{
    TestProgramDir dir;
    installShippedFile(dir);
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    auto form = makeForm(dir);
    const QList<QObject *> components = form->languageComponents();
    QCOMPARE(components.size(), 138);
    QStringList designHints;
    for (const QWidget *control : form->hintedControls())
        designHints << control->toolTip();
    QVERIFY(!designHints.contains(QString()));
    form->English1Click();
    for (QObject *component : components) {
        if (component->objectName() == QLatin1String("Label4"))
            continue; // receives the program part of a selected entry
        QVERIFY2(!captionOf(component).isEmpty(), qPrintable(component->objectName()));
    }
    // The hints too: English, and back to the design's in French.
    const QList<QWidget *> hinted = form->hintedControls();
    for (qsizetype i = 0; i < hinted.size(); ++i) {
        QVERIFY2(!hinted.at(i)->toolTip().isEmpty(), qPrintable(hinted.at(i)->objectName()));
        QVERIFY2(hinted.at(i)->toolTip() != designHints.at(i), qPrintable(hinted.at(i)->objectName()));
    }
    QCOMPARE(form->TabSheet4->Button16->toolTip(), QStringLiteral("Runs the selected entry without waiting for its time"));
    form->Francais1Click();
    for (qsizetype i = 0; i < hinted.size(); ++i)
        QCOMPARE(hinted.at(i)->toolTip(), designHints.at(i));
}

void TestLanguages::savedEnglishAppliesAtStartUp()
{
    TestProgramDir dir;
    installShippedFile(dir);
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    dir.write(QStringLiteral("serie.ini"), "[Form1]\r\nEdit_4=English\r\n");
    auto form = makeForm(dir);
    QCOMPARE(form->Button9->text(), QStringLiteral("Quit"));
    // Hiding saves the language with the other settings.
    form->Button5Click();
    QCOMPARE(Profile::GetPrivateProfileString("Form1", "Edit_4", "", dir.file("serie.ini")),
             QStringLiteral("English"));
    QCOMPARE(Profile::GetPrivateProfileString("Form1", "SpinEdit_1", "", dir.file("serie.ini")),
             QStringLiteral("1"));
}

void TestLanguages::missingFileOrSectionEmptiesCaptions()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    {
        // French saved, no file: the design captions stay.
        auto form = makeForm(dir);
        QCOMPARE(form->Button9->text(), QStringLiteral("Quitter"));
        form->English1Click();
        QCOMPARE(form->Button9->text(), QString());
        QCOMPARE(form->PageControl1->tabText(0), QString());
        QVERIFY(!action(*form, "N2")->isSeparator());
        QCOMPARE(action(*form, "N2")->text(), QString());
    }
    dir.write(QStringLiteral("sourcelang.ini"), "[French]\r\nButton9=Quitter\r\nN2=-\r\n");
    auto form = makeForm(dir);
    form->English1Click();
    QCOMPARE(form->Button9->text(), QString());
    form->Francais1Click();
    QCOMPARE(form->Button9->text(), QStringLiteral("Quitter"));
    QVERIFY(action(*form, "N2")->isSeparator());
    QCOMPARE(form->Button5->text(), QString());
}

void TestLanguages::exportWritesTheCaptionsInOrder()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    dir.write(QStringLiteral("sourcelang.ini"), "[French]\r\n");
    auto form = makeForm(dir);
    form->TabSheet3->Button12->click();
    const QStringList lines =
        QString::fromUtf8(dir.read(QStringLiteral("sourcelang.ini"))).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 1 + 140 + 1);
    QCOMPARE(lines.at(0), QStringLiteral("[French]"));
    QCOMPARE(lines.at(1), QStringLiteral("Listview1.columns[0]=Heures"));
    QCOMPARE(lines.at(2), QStringLiteral("Listview1.columns[1]=Fichier"));
    QCOMPARE(lines.at(3), QStringLiteral("TabSheet1=Evénements"));
    QCOMPARE(lines.at(4), QStringLiteral("Label5=Historique "));
    QVERIFY(lines.contains(QStringLiteral("ExitMsg=Voulez-vous quitter ")));
    QVERIFY(lines.contains(QStringLiteral("N4=-")));
    QCOMPARE(lines.at(140), QStringLiteral("English1=&English"));
    QCOMPARE(lines.last(), QString());

    // The keys come in the order of the shipped file's French section.
    QFile shipped(QStringLiteral(PENDULIX_LANGUAGE_FILE));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const QStringList shippedLines = QString::fromUtf8(shipped.readAll()).split(QStringLiteral("\r\n"));
    for (int i = 1; i <= 101; ++i) {
        const QString exported = lines.at(i).section(QLatin1Char('='), 0, 0);
        const QString expected = shippedLines.at(i).section(QLatin1Char('='), 0, 0);
        QVERIFY2(exported.compare(expected, Qt::CaseInsensitive) == 0, qPrintable(exported));
    }
}

void TestLanguages::settingsFileHoldsTheSwitchesAndTheLanguage()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    auto form = makeForm(dir);
    // First start: the design values, saved at the first hide.
    form->Button5Click();
    QCOMPARE(dir.read(QStringLiteral("serie.ini")),
             QByteArray("[Form1]\r\nCheckBox_1=1\r\nSpinEdit_1=1\r\nCheckBox_9=1\r\n"
                        "CheckBox_11=0\r\nCheckBox_12=0\r\nCheckBox_13=0\r\nCheckBox_14=1\r\nEdit_4=French\r\n"));
    form->TabSheet1->CheckBox_11->setChecked(true);
    form->TabSheet1->CheckBox_14->setChecked(false);
    form->English1Click();
    form->close(); // the exit question's default test answer is "Non": saved all the same
    QCOMPARE(dir.read(QStringLiteral("serie.ini")),
             QByteArray("[Form1]\r\nCheckBox_1=1\r\nSpinEdit_1=1\r\nCheckBox_9=1\r\n"
                        "CheckBox_11=1\r\nCheckBox_12=0\r\nCheckBox_13=0\r\nCheckBox_14=0\r\nEdit_4=English\r\n"));
    form.reset();
    QVERIFY(!makeForm(dir)->TabSheet1->CheckBox_14->isChecked());
}

void TestLanguages::aboutWindowReadsItsButtonEveryTime()
{
    TestProgramDir dir;
    installShippedFile(dir);
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    auto form = makeForm(dir);
    TForm3 about;
    about.setLanguageLookup([&form](const QString &key) { return form->IniLang(key); });
    QCOMPARE(about.Button9->text(), QStringLiteral("Fermer"));
    about.show();
    // The key is shared with the main window's button, in French too.
    QTRY_COMPARE(about.Button9->text(), QStringLiteral("Quitter"));
    about.hide();
    form->English1Click();
    about.show();
    about.activateWindow();
    QTRY_COMPARE(about.Button9->text(), QStringLiteral("Quit"));
}

void TestLanguages::separatorsShowNoText()
{
    TestProgramDir dir;
    installShippedFile(dir);
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    auto form = makeForm(dir);
    for (const auto &switchTo : {std::function<void()>([&] { form->English1Click(); }),
                                 std::function<void()>([&] { form->Francais1Click(); })}) {
        switchTo();
        // In the main menu, the tray's menu: a "-" entry keeps a bare separator.
        for (const char *name : {"N2", "N4", "N5"}) {
            QVERIFY2(action(*form, name)->isSeparator(), name);
            QVERIFY2(action(*form, name)->text().isEmpty(), name);
        }
    }
}

void TestLanguages::qtDialogsSpeakTheLanguage()
{
    TestProgramDir dir;
    installShippedFile(dir);
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    // Qt's French texts come with the setup (Debian's qt6-translations-l10n).
    const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    QVERIFY2(QFile::exists(translations + QStringLiteral("/qtbase_fr.qm")), qPrintable(translations));
    const auto fileDialogText = [] { return QCoreApplication::translate("QFileDialog", "Look in:"); };
    const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };

    auto form = makeForm(dir); // French from the start
    QCOMPARE(fileDialogText(), QStringLiteral("Voir dans :"));
    QCOMPARE(cancel(), QStringLiteral("Annuler"));
    form->English1Click();
    QCOMPARE(fileDialogText(), QStringLiteral("Look in:"));
    QCOMPARE(cancel(), QStringLiteral("Cancel"));
    form->Francais1Click();
    QCOMPARE(cancel(), QStringLiteral("Annuler"));
    form->English1Click();
}

void TestLanguages::nextRunColumnFollowsTheLanguage()
{
    TestProgramDir dir;
    installShippedFile(dir);
    // Tuesday 8 December 2026, 14:30:37.
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n30|14|0|1|0|0|0|0|0|/srv/a.sh|\r\n15|0|0|0|0|0|0|0|0|/srv/b.sh|\r\n"
                                              "0|9|0|0|0|0|0|1|0|/srv/c.sh|\r\n0|0|0|0|0|0|0|0|0|/srv/zero.sh|\r\n"
                                              "15|0|0|0|0|0|0|0|0|/srv/d.sh|pause|\r\n"
                                              "0|0|1|1|1|1|1|1|1|/srv/e.sh|jours=31;mois=2|\r\n");
    auto form = makeTestForm(dir, [](TestFormOptions &options) {
        options.engine.clock = [] { return QDateTime(QDate(2026, 12, 8), QTime(14, 30, 37)); };
    });
    QTreeWidget *list = form->TabSheet4->ListView2;
    const auto column = [&] {
        QStringList texts;
        for (int row = 0; row < list->topLevelItemCount(); ++row)
            texts << list->topLevelItem(row)->text(4);
        return texts;
    };
    QCOMPARE(list->headerItem()->text(4), QStringLiteral("Prochaine exécution"));
    // Its own minute has begun: the next is a week on.
    QCOMPARE(column(), (QStringList{"mardi 14:30", "aujourd'hui 14:45", "samedi 09:00", "jamais", "suspendue",
                                    "jamais"}));
    QCOMPARE(list->topLevelItem(3)->toolTip(4), QStringLiteral("Division par zéro"));
    QCOMPARE(list->topLevelItem(5)->toolTip(4), QStringLiteral("aucune date n'a ces jours du mois et ces mois"));
    // A suspended entry's row is greyed; the others are not.
    const QColor greyed = list->palette().color(QPalette::Disabled, QPalette::Text);
    QCOMPARE(list->topLevelItem(4)->foreground(2).color(), greyed);
    QVERIFY(list->topLevelItem(1)->foreground(2).style() == Qt::NoBrush);
    QCOMPARE(form->trayToolTip(), QStringLiteral("Pendulix (suspendues : 1)"));
    form->English1Click();
    QCOMPARE(list->headerItem()->text(4), QStringLiteral("Next run"));
    QCOMPARE(column(), (QStringList{"Tuesday 14:30", "today 14:45", "Saturday 09:00", "never", "suspended", "never"}));
    QCOMPARE(form->trayToolTip(), QStringLiteral("Pendulix (suspended: 1)"));
}

QTEST_MAIN(TestLanguages)
#include "tst_languages.moc"

// The Windows build ships the language file in Windows-1252, converted from
// the UTF-8 source: every caption of every language must read the same.
void TestLanguages::windowsCopyHoldsTheSameCaptions()
{
    QFile sourceFile(QStringLiteral(PENDULIX_LANGUAGE_FILE));
    QFile windowsFile(QStringLiteral(PENDULIX_WINDOWS_LANGUAGE_FILE));
    QVERIFY(sourceFile.open(QIODevice::ReadOnly));
    QVERIFY(windowsFile.open(QIODevice::ReadOnly));
    const QByteArray sourceBytes = sourceFile.readAll();
    const QByteArray windowsBytes = windowsFile.readAll();
    QVERIFY(windowsBytes.contains("Ev\xE9nements")); // one byte per accented letter

    const auto linesOf = [](const QByteArray &bytes, auto decode) {
        std::vector<ProfileLines::Text> lines;
        for (const std::string &line : ProfileLines::splitLines(bytes.toStdString()))
            lines.push_back(decode(line));
        return ProfileLines(std::move(lines));
    };
    const ProfileLines source = linesOf(sourceBytes, [](const std::string &line) {
        return QString::fromStdString(line).toStdU16String();
    });
    // Decoded by Qt's own converter, not by the table that encoded it.
    QStringDecoder windows1252("windows-1252");
    QVERIFY(windows1252.isValid());
    const ProfileLines windows = linesOf(windowsBytes, [&](const std::string &line) {
        return QString(windows1252(QByteArray::fromStdString(line))).toStdU16String();
    });
    QCOMPARE(windows.lines().size(), source.lines().size());
    int captions = 0;
    QStringList sections;
    ProfileLines::Text section;
    for (const auto &line : source.lines()) {
        if (line.starts_with(u'[')) {
            section = line.substr(1, line.find(u']') - 1);
            sections << QString::fromStdU16String(section);
            continue;
        }
        const auto equals = line.find(u'=');
        if (equals == ProfileLines::Text::npos)
            continue;
        const ProfileLines::Text key = line.substr(0, equals);
        const auto expected = source.value(section, key);
        QVERIFY(expected);
        QCOMPARE(QString::fromStdU16String(windows.value(section, key).value_or(u"<missing>")),
                 QString::fromStdU16String(*expected));
        ++captions;
    }
    QCOMPARE(sections, (QStringList{QStringLiteral("French"), QStringLiteral("English")}));
    // The captions and the ten hints, in each language.
    QCOMPARE(captions, 2 * (140 + 10));
}
