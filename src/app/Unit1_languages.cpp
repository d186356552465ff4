#include "Unit1.h"

#include "qttranslations.h"

#include "Unit3.h"
#include "journal/Unit2.h"
#include "journal/eventspage.h"
#include "messagespage.h"
#include "schedule/newentrypage.h"
#include "schedule/viewpage.h"
#include "settings/SvgEditIni.h"
#include "settings/captions.h"
#include "settings/languages.h"
#include "widgets/accessiblenames.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

// TForm1: settings and interface languages.

// ---- Settings and languages ------------------------------------------------

void TForm1::Sauvegarde()
{
    SvgEditIni1->Sauvegarde();
}

QString TForm1::IniLang(const QString &key) const
{
    return ::IniLang(dataDirectory(), languageName(), key);
}

QString TForm1::languageName() const
{
    return TabSheet3->Edit_4->text();
}

QList<QObject *> TForm1::languageComponents() const
{
    QList<QObject *> components{TabSheet1};
    const EventsPage *p1 = TabSheet1;
    components << p1->Label5 << p1->Button10 << p1->GroupBox4 << p1->Label7 << p1->CheckBox_1
               << p1->CheckBox_9 << p1->Button11 << p1->CheckBox_11 << p1->CheckBox_12
               << p1->CheckBox_13 << p1->CheckBox_14 << p1->CheckErreurs << p1->CheckChoisie
               << p1->Voirlasortie1;
    const NewEntryPage *p3 = TabSheet3;
    components << TabSheet3 << p3->Label6 << p3->Label43 << p3->Label57 << p3->GroupBox6 << p3->CheckMardi << p3->CheckLundi
               << p3->CheckMercredi << p3->CheckJeudi << p3->CheckVendredi << p3->CheckSamedi
               << p3->CheckDimanche << p3->GroupBox7 << p3->GroupBox8 << p3->Button6
               << p3->GroupBox1 << p3->GroupBox2 << p3->Button14 << p3->Button12 << p3->Button13
               << p3->Button15 << p3->LabelNom << p3->LabelJours << p3->LabelMois
               << p3->CheckPause << p3->Label71 << p3->Label72 << p3->Button18 << p3->CheckSeul
               << p3->CheckMax << p3->LabelMax << p3->CheckRattrapage;
    const ViewPage *p4 = TabSheet4;
    components << TabSheet4 << p4->Label1 << p4->Label2 << p4->Label3 << p4->Label4 << p4->Button3
               << p4->Button4 << p4->GroupBox3 << p4->CheckBox3 << p4->CheckBox2 << p4->CheckBox4
               << p4->CheckBox5 << p4->CheckBox6 << p4->CheckBox7 << p4->CheckBox8 << p4->Button8
               << p4->Button16 << p4->Lancermaintenant1 << p4->Button17 << p4->Modifier1
               << p4->Button20 << p4->Arreter1 << p4->Voirlasortie2
               << p4->Button1;
    const MessagesPage *p2 = TabSheet2;
    components << TabSheet2 << p2->ExitMsg << p2->ExitMsg2 << p2->Label32 << p2->Label33
               << p2->Label34 << p2->Label35 << p2->Label36 << p2->Label37 << p2->Label38
               << p2->Label39 << p2->Label40 << p2->Label41 << p2->Label42;
    for (QLabel *label : p2->nextRunLabels())
        components << label;
    components << p2->Label60;
    for (QLabel *label : p2->entryLabels())
        components << label;
    components << Button5 << Button9 << Button7;
    for (const char *name : {"Affiche1", "Rduire1", "N2", "N1", "Fichier1",
                             "Voirlesfichiersjuornaux1", "Viderlhistorique1", "N5",
                             "Supprimerlesfichiersjournaux1", "N4", "Rduire2", "Quitter1", "N3",
                             "Aide1", "propos1", "Language1", "Francais1", "English1"})
        components << findChild<QObject *>(QLatin1String(name));
    return components;
}

QList<QWidget *> TForm1::hintedControls() const
{
    const ViewPage *p4 = TabSheet4;
    return {Button5,     TabSheet3->EditJours, TabSheet3->EditMois, p4->Button8,  p4->Button17,
            p4->Button19, p4->Button4,         p4->Button3,         p4->Button16, p4->Button20};
}

void TForm1::SetLangStrings()
{
    QTreeWidgetItem *header = TabSheet1->ListView1->headerItem();
    for (int column = 0; column < TabSheet1->ListView1->columnCount(); ++column)
        header->setText(column, IniLang(columnKey(column)));
    for (QObject *component : languageComponents())
        setCaptionOf(component, IniLang(component->objectName()));
    // The hints the program writes follow too, each under its control's name + ".Hint".
    for (QWidget *control : hintedControls())
        control->setToolTip(IniLang(control->objectName() + QStringLiteral(".Hint")));
    QTreeWidgetItem *viewHeader = TabSheet4->ListView2->headerItem();
    viewHeader->setText(ViewPage::NextRunColumn, TabSheet2->Label56->text());
    viewHeader->setText(ViewPage::LastRunColumn, TabSheet2->Label62->text());
    viewHeader->setText(ViewPage::ResultColumn, TabSheet2->Label63->text());
    viewHeader->setText(ViewPage::NameColumn, TabSheet3->LabelNom->text());
    TabSheet4->fitColumns();
    showPauseCaption();
    nameFieldsAfterTheirBoxes(this);
    TabSheet3->nameTheLimit();
    showScheduleRows();
    // The other windows follow at once, open or not.
    if (m_form2)
        m_form2->FormActivate();
    if (m_form3)
        m_form3->FormActivate();
}

void TForm1::Button13Click()
{
    const QString language = TabSheet3->Edit_4->text();
    useQtTranslationsFor(language.isEmpty() ? QStringLiteral("French") : language);
    if (language != QLatin1String("French") && !language.isEmpty())
        SetLangStrings();
}

void TForm1::Francais1Click()
{
    TabSheet3->Edit_4->setText(QStringLiteral("French"));
    useQtTranslationsFor(languageName());
    SetLangStrings();
    Button6Click();
}

void TForm1::English1Click()
{
    TabSheet3->Edit_4->setText(QStringLiteral("English"));
    useQtTranslationsFor(languageName());
    SetLangStrings();
    Button6Click();
}

void TForm1::Button12Click()
{
    QTreeWidgetItem *header = TabSheet1->ListView1->headerItem();
    for (int column = 0; column < TabSheet1->ListView1->columnCount(); ++column)
        ecrire(exportedColumnKey(column) + QLatin1Char('=') + header->text(column));
    for (QObject *component : languageComponents())
        ecrire(component->objectName() + QLatin1Char('=') + captionOf(component));
}
