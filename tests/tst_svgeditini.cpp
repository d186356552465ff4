#include "settings/SvgEditIni.h"
#include "testprogramdir.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>

namespace {

// A window with one control of every kind, saved ones named with "_".
class Window : public QWidget
{
public:
    explicit Window(const QString &ini)
    {
        setObjectName(QStringLiteral("Form9"));
        edit = add(new QLineEdit(QStringLiteral("design"), this), "Edit_1");
        picker = add(new QDateTimeEdit(QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)), this), "DateTimePicker_1");
        check = add(new QCheckBox(this), "CheckBox_1");
        radio = add(new QRadioButton(this), "RadioButton_1");
        spin = add(new QSpinBox(this), "SpinEdit_1");
        spin->setRange(0, 365);
        spin->setValue(1);
        memo = add(new QPlainTextEdit(this), "Memo_1");
        rich = add(new QTextEdit(this), "RichEdit_1");
        combo = add(new QComboBox(this), "ComboBox_1");
        list = add(new QListWidget(this), "ListBox_1");
        grid = add(new QTableWidget(2, 2, this), "StringGrid_1");
        unsaved = add(new QCheckBox(this), "CheckLundi");
        connect(check, &QCheckBox::toggled, this, [this] { ++checkHandlerRuns; });
        settings = new TSvgEditIni(this, ini);
        for (const char *kind : {"SauveMemo", "SauveRichEdit", "SauveComboBox", "SauveListBox",
                                 "SauveStringGrid"})
            settings->setProperty(kind, true);
    }
    template <typename T>
    T *add(T *widget, const char *name)
    {
        widget->setObjectName(QLatin1String(name));
        return widget;
    }
    void closeEvent(QCloseEvent *event) override
    {
        // The owner's own close handler: it runs before the save.
        spin->setValue(42);
        event->setAccepted(acceptClose);
    }

    QLineEdit *edit;
    QDateTimeEdit *picker;
    QCheckBox *check;
    QRadioButton *radio;
    QSpinBox *spin;
    QPlainTextEdit *memo;
    QTextEdit *rich;
    QComboBox *combo;
    QListWidget *list;
    QTableWidget *grid;
    QCheckBox *unsaved;
    TSvgEditIni *settings;
    int checkHandlerRuns = 0;
    bool acceptClose = true;
};

} // namespace

class TestSvgEditIni : public QObject
{
    Q_OBJECT
private slots:
    void defaultSwitches();
    void roundTripOfEveryKind();
    void firstStartKeepsDesignValues();
    void valuesThatDoNotConvert();
    void readOnlyFileChangesNothing();
    void closeSavesAfterTheOwnersHandler();
};

void TestSvgEditIni::defaultSwitches()
{
    QWidget owner;
    TSvgEditIni settings(&owner, QStringLiteral("unused.ini"));
    QVERIFY(settings.SauveEdit && settings.SauveDateTimePicker && settings.SauveCheckBox &&
            settings.SauveRadioButton && settings.SauveSpinEdit);
    QVERIFY(!settings.SauveMemo && !settings.SauveRichEdit && !settings.SauveComboBox &&
            !settings.SauveListBox && !settings.SauveStringGrid);
}

void TestSvgEditIni::roundTripOfEveryKind()
{
    TestProgramDir dir;
    const QString ini = dir.file(QStringLiteral("serie.ini"));
    {
        Window w(ini);
        w.edit->setText(QStringLiteral("  kept blanks  "));
        w.picker->setDateTime(QDateTime(QDate(2026, 12, 8), QTime(14, 30, 37)));
        w.check->setChecked(true);
        w.radio->setChecked(true);
        w.spin->setValue(31);
        w.memo->setPlainText(QStringLiteral("one\ntwo"));
        w.rich->setPlainText(QStringLiteral("rich"));
        w.combo->addItems({"a", "b", "c"});
        w.combo->setCurrentIndex(2);
        w.list->addItems({"x", "y"});
        w.list->setCurrentRow(1);
        w.grid->setItem(0, 1, new QTableWidgetItem(QStringLiteral(" cell ")));
        w.grid->setItem(1, 0, new QTableWidgetItem(QStringLiteral("   ")));
        w.grid->setCurrentCell(1, 1);
        w.unsaved->setChecked(true);
        w.settings->Sauvegarde();
    }
    const QByteArray file = dir.read(QStringLiteral("serie.ini"));
    // Quoted, so that the blanks come back: reading drops one pair of quotes.
    QVERIFY(file.startsWith("[Form9]\r\nEdit_1=\"  kept blanks  \"\r\nDateTimePicker_1="));
    QVERIFY(file.contains("\r\nCheckBox_1=1\r\nRadioButton_1=1\r\nSpinEdit_1=31\r\n[Form9Memo_1]\r\n"
                          "L0=one\r\nL1=two\r\nItemIndex=0\r\n"));
    QVERIFY(file.contains("[Form9ComboBox_1]\r\nL0=a\r\nL1=b\r\nL2=c\r\nItemIndex=2\r\n"));
    QVERIFY(file.contains("[Form9ListBox_1]\r\nL0=x\r\nL1=y\r\nItemIndex=1\r\n"));
    QVERIFY(file.contains("[Form9StringGrid_1]\r\nCOLCOUNT=2\r\nROWCOUNT=2\r\nCOL=1\r\nROW=1\r\n"
                          "TAG=0\r\nC1L0=\" cell \"\r\n"));
    QVERIFY(!file.contains("C0L1"));
    QVERIFY(!file.contains("CheckLundi"));

    Window w(ini);
    w.settings->Restaure();
    QCOMPARE(w.edit->text(), QStringLiteral("  kept blanks  "));
    QCOMPARE(w.picker->dateTime().date(), QDate(2026, 12, 8));
    QVERIFY(w.check->isChecked());
    QCOMPARE(w.checkHandlerRuns, 1);
    QVERIFY(w.radio->isChecked());
    QCOMPARE(w.spin->value(), 31);
    QCOMPARE(w.memo->toPlainText(), QStringLiteral("one\ntwo"));
    QCOMPARE(w.rich->toPlainText(), QStringLiteral("rich"));
    QCOMPARE(w.combo->count(), 3);
    QCOMPARE(w.combo->currentIndex(), 2);
    QCOMPARE(w.list->count(), 2);
    QCOMPARE(w.list->currentRow(), 1);
    QCOMPARE(w.grid->item(0, 1)->text(), QStringLiteral(" cell "));
    QCOMPARE(w.grid->item(1, 0)->text(), QString());
    QCOMPARE(w.grid->currentRow(), 1);
    QVERIFY(!w.unsaved->isChecked());
}

void TestSvgEditIni::firstStartKeepsDesignValues()
{
    TestProgramDir dir;
    Window w(dir.file(QStringLiteral("serie.ini")));
    w.settings->Restaure();
    QCOMPARE(w.edit->text(), QStringLiteral("design"));
    QVERIFY(!w.check->isChecked());
    QVERIFY(!w.radio->isChecked());
    QCOMPARE(w.spin->value(), 1);
    QCOMPARE(w.picker->dateTime(), QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)));
    QVERIFY(!QFile::exists(dir.file(QStringLiteral("serie.ini"))));
}

void TestSvgEditIni::valuesThatDoNotConvert()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("serie.ini"), "[form9]\nEdit_1=\nCheckBox_1=yes\nRadioButton_1=0\n"
                                           "SpinEdit_1=0x1F\nDateTimePicker_1=not a date\n");
    Window w(dir.file(QStringLiteral("serie.ini")));
    w.radio->setChecked(true);
    w.settings->Restaure();
    QCOMPARE(w.edit->text(), QString()); // present and empty
    QVERIFY(w.check->isChecked());
    QVERIFY(!w.radio->isChecked());
    QCOMPARE(w.spin->value(), 31);
    QCOMPARE(w.picker->dateTime(), QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)));

    // A value that is no integer within the box's limits keeps what the box
    // holds: a 0 from "1 day" would purge today's journal.
    for (const QByteArray value : {"lots", "1 day", "", "9999", "-5", "99999999999"}) {
        w.spin->setValue(7);
        dir.write(QStringLiteral("serie.ini"), "[Form9]\nSpinEdit_1=" + value + "\n");
        w.settings->Restaure();
        QCOMPARE(w.spin->value(), 7);
    }
}

void TestSvgEditIni::readOnlyFileChangesNothing()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("serie.ini"), "[Form9]\r\nCheckBox_1=0\r\n");
    QFile::setPermissions(dir.file(QStringLiteral("serie.ini")), QFileDevice::ReadOwner);
    Window w(dir.file(QStringLiteral("serie.ini")));
    w.check->setChecked(true);
    w.settings->Sauvegarde();
    QCOMPARE(dir.read(QStringLiteral("serie.ini")), QByteArray("[Form9]\r\nCheckBox_1=0\r\n"));
    QFile::setPermissions(dir.file(QStringLiteral("serie.ini")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void TestSvgEditIni::closeSavesAfterTheOwnersHandler()
{
    TestProgramDir dir;
    Window w(dir.file(QStringLiteral("serie.ini")));
    w.show();
    w.acceptClose = false;
    QVERIFY(!w.close()); // the owner's answer still holds
    QVERIFY(dir.read(QStringLiteral("serie.ini")).contains("SpinEdit_1=42\r\n"));
    w.acceptClose = true;
    QVERIFY(w.close());
}

QTEST_MAIN(TestSvgEditIni)
#include "tst_svgeditini.moc"
