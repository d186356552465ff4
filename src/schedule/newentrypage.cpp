#include "newentrypage.h"

#include "schedulefile.h"

#include "spinedit.h"
#include "widgets/named.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

NewEntryPage::NewEntryPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TabSheet3"));

    GroupBox2 = named(new QGroupBox(QStringLiteral("Sélectionner votre fichier"), this), "GroupBox2");
    Editsource = named(new QLineEdit(GroupBox2), "Editsource");
    Button14 = named(new QPushButton(QStringLiteral("Ouvrir"), GroupBox2), "Button14");
    auto *sourceRow = new QHBoxLayout(GroupBox2);
    sourceRow->addWidget(Editsource, 1);
    sourceRow->addWidget(Button14);

    GroupBox1 = named(new QGroupBox(QStringLiteral("Paramètres de la ligne de commande"), this),
                      "GroupBox1");
    Edit3 = named(new QLineEdit(GroupBox1), "Edit3");
    (new QHBoxLayout(GroupBox1))->addWidget(Edit3);

    GroupBox8 = named(new QGroupBox(QStringLiteral("Minutes"), this), "GroupBox8");
    SpinMinutes = named(new TSpinEdit(GroupBox8), "SpinMinutes");
    SpinMinutes->setRange(0, 58);
    (new QHBoxLayout(GroupBox8))->addWidget(SpinMinutes);

    GroupBox7 = named(new QGroupBox(QStringLiteral("Heures"), this), "GroupBox7");
    Spinheures = named(new TSpinEdit(GroupBox7), "Spinheures");
    Spinheures->setRange(0, 23);
    (new QHBoxLayout(GroupBox7))->addWidget(Spinheures);

    GroupBox6 = named(new QGroupBox(QStringLiteral("Jours"), this), "GroupBox6");
    CheckLundi = named(new QCheckBox(QStringLiteral("Lundi"), GroupBox6), "CheckLundi");
    CheckMardi = named(new QCheckBox(QStringLiteral("Mardi"), GroupBox6), "CheckMardi");
    CheckMercredi = named(new QCheckBox(QStringLiteral("Mercredi"), GroupBox6), "CheckMercredi");
    CheckJeudi = named(new QCheckBox(QStringLiteral("Jeudi"), GroupBox6), "CheckJeudi");
    CheckVendredi = named(new QCheckBox(QStringLiteral("Vendredi"), GroupBox6), "CheckVendredi");
    CheckSamedi = named(new QCheckBox(QStringLiteral("Samedi"), GroupBox6), "CheckSamedi");
    CheckDimanche = named(new QCheckBox(QStringLiteral("Dimanche"), GroupBox6), "CheckDimanche");
    auto *days = new QGridLayout(GroupBox6);
    const QList<QCheckBox *> boxes = dayBoxes();
    for (int day = 0; day < 7; ++day)
        days->addWidget(boxes.at(day), day / 3, day % 3);

    Label6 = named(new QLabel(QStringLiteral("Programmation toutes les minutes"), this), "Label6");
    Label6->setWordWrap(true);
    Label43 = named(new QLabel(QStringLiteral("Non enregistré : la cible et les paramètres ne "
                                              "peuvent pas contenir le caractère |"),
                               this),
                    "Label43");
    Label43->setWordWrap(true);
    Label43->setStyleSheet(QStringLiteral("color: #b00020"));
    Label43->setVisible(false);
    Label57 = named(new QLabel(QStringLiteral("Non enregistré : un intervalle de 0 minute ne "
                                              "s'exécute jamais ; choisissez des minutes, des "
                                              "heures ou des jours"),
                               this),
                    "Label57");
    Label57->setWordWrap(true);
    Label57->setStyleSheet(QStringLiteral("color: #b00020"));
    Label57->setVisible(false);
    // Gone as soon as the entry could run.
    for (QSpinBox *spin : {static_cast<QSpinBox *>(SpinMinutes), static_cast<QSpinBox *>(Spinheures)})
        connect(spin, &QSpinBox::valueChanged, Label57, [this] { Label57->setVisible(false); });
    for (QCheckBox *box : dayBoxes())
        connect(box, &QCheckBox::toggled, Label57, [this] { Label57->setVisible(false); });
    Button15 = named(new QPushButton(QStringLiteral("Enregistrer"), this), "Button15");
    Button15->setAutoDefault(true);
    Button18 = named(new QPushButton(QStringLiteral("Annuler"), this), "Button18");
    Button18->setAutoDefault(true);
    Button18->setVisible(false);
    LabelEdition = named(new QLabel(this), "LabelEdition");
    LabelEdition->setStyleSheet(QStringLiteral("font-weight: bold"));
    LabelEdition->setVisible(false);

    // Labels, not titled boxes: one line, and the window keeps its designed height.
    const auto optionBox = [this](const char *labelName, const QString &caption, const char *editName,
                                  QLineEdit **edit) {
        auto *label = named(new QLabel(caption, this), labelName);
        *edit = named(new QLineEdit(this), editName);
        label->setBuddy(*edit);
        return label;
    };
    LabelNom = optionBox("LabelNom", QStringLiteral("Nom"), "EditNom", &EditNom);
    LabelJours = optionBox("LabelJours", QStringLiteral("Jours du mois"), "EditJours", &EditJours);
    EditJours->setPlaceholderText(QStringLiteral("1,15,fin"));
    EditJours->setToolTip(QStringLiteral("1 à 31, fin"));
    LabelMois = optionBox("LabelMois", QStringLiteral("Mois"), "EditMois", &EditMois);
    EditMois->setPlaceholderText(QStringLiteral("1,4,7,10"));
    EditMois->setToolTip(QStringLiteral("1 à 12"));
    CheckPause = named(new QCheckBox(QStringLiteral("Suspendue"), this), "CheckPause");
    CheckSeul = named(new QCheckBox(QStringLiteral("Une seule exécution à la fois"), this), "CheckSeul");
    CheckMax = named(new QCheckBox(QStringLiteral("Arrêter après"), this), "CheckMax");
    SpinMax = named(new QSpinBox(this), "SpinMax");
    SpinMax->setRange(1, 1440);
    SpinMax->setValue(60);
    SpinMax->setEnabled(false);
    connect(CheckMax, &QCheckBox::toggled, SpinMax, &QWidget::setEnabled);
    LabelMax = named(new QLabel(QStringLiteral("minutes"), this), "LabelMax");
    LabelMax->setBuddy(SpinMax);
    nameTheLimit();
    CheckRattrapage = named(new QCheckBox(QStringLiteral("Rattraper un lancement manqué"), this),
                            "CheckRattrapage");
    Label71 = named(new QLabel(QStringLiteral("Non enregistré : le nom, les jours du mois et les mois "
                                              "ne peuvent pas contenir les caractères ; et |"),
                               this),
                    "Label71");
    Label72 = named(new QLabel(QStringLiteral("Non enregistré : la ligne a changé dans le fichier "
                                              "depuis le début de la modification ; rien n'a été "
                                              "écrit"),
                               this),
                    "Label72");
    for (QLabel *refusal : {Label71, Label72}) {
        refusal->setWordWrap(true);
        refusal->setStyleSheet(QStringLiteral("color: #b00020"));
        refusal->setVisible(false);
    }
    for (QLineEdit *box : {EditNom, EditJours, EditMois})
        connect(box, &QLineEdit::textChanged, Label71, [this] { Label71->setVisible(false); });

    // A line break pasted into a box (or in a chosen file's name) would write
    // one entry as two lines of the schedule.
    for (QLineEdit *box : {Editsource, Edit3}) {
        connect(box, &QLineEdit::textChanged, this, [this, box](const QString &text) {
            Label43->setVisible(false);
            const QString kept = withoutLineBreaks(text);
            if (kept != text) {
                const int cursor = box->cursorPosition();
                box->setText(kept);
                box->setCursorPosition(qMin(cursor, int(kept.size())));
            }
        });
    }

    Button6 = named(new QPushButton(QStringLiteral("Button6"), this), "Button6");
    Button12 = named(new QPushButton(QStringLiteral("export"), this), "Button12");
    Edit_4 = named(new QLineEdit(QStringLiteral("French"), this), "Edit_4");
    Button13 = named(new QPushButton(QStringLiteral("language"), this), "Button13");
    for (QWidget *hidden : {static_cast<QWidget *>(Button6), static_cast<QWidget *>(Button12),
                            static_cast<QWidget *>(Edit_4), static_cast<QWidget *>(Button13)})
        hidden->setVisible(false);

    // A long sentence makes the window taller rather than the numbers unreadable.
    for (QGroupBox *box : {GroupBox7, GroupBox8})
        box->setMinimumHeight(box->sizeHint().height());
    auto *timeColumn = new QVBoxLayout;
    timeColumn->addWidget(GroupBox8);
    timeColumn->addWidget(GroupBox7);
    // Beside the days, so that the designed controls keep their places.
    auto *limit = new QHBoxLayout;
    limit->addWidget(CheckMax);
    limit->addWidget(SpinMax);
    limit->addWidget(LabelMax);
    limit->addStretch();
    auto *running = new QVBoxLayout;
    running->addStretch();
    running->addWidget(CheckSeul);
    running->addLayout(limit);
    running->addWidget(CheckRattrapage);
    running->addStretch();
    running->addWidget(LabelEdition);
    auto *when = new QHBoxLayout;
    when->addLayout(timeColumn);
    when->addWidget(GroupBox6, 1);
    when->addLayout(running);
    auto *options = new QHBoxLayout;
    options->addWidget(LabelNom);
    options->addWidget(EditNom, 2);
    options->addWidget(LabelJours);
    options->addWidget(EditJours, 1);
    options->addWidget(LabelMois);
    options->addWidget(EditMois, 1);
    options->addWidget(CheckPause);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Label6, 1);
    bottom->addWidget(Button18, 0, Qt::AlignBottom);
    bottom->addWidget(Button15, 0, Qt::AlignBottom);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox2);
    layout->addWidget(GroupBox1);
    layout->addLayout(when);
    layout->addWidget(Label43);
    layout->addWidget(Label57);
    layout->addWidget(Label71);
    layout->addWidget(Label72);
    layout->addLayout(bottom);
    // Below the designed controls, in the room the page had left: they stay
    // where they always were.
    layout->addLayout(options);
    layout->addStretch();

    // As the fields stand on screen, the buttons that end the entry last.
    QList<QWidget *> order{Editsource, Button14, Edit3, SpinMinutes, Spinheures};
    for (QCheckBox *box : dayBoxes())
        order << box;
    order << CheckSeul << CheckMax << SpinMax << CheckRattrapage << EditNom << EditJours << EditMois
          << CheckPause << Button18 << Button15;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
}

QList<QCheckBox *> NewEntryPage::dayBoxes() const
{
    return {CheckLundi, CheckMardi, CheckMercredi, CheckJeudi, CheckVendredi, CheckSamedi,
            CheckDimanche};
}

NewEntryFields NewEntryPage::fields() const
{
    NewEntryFields fields;
    fields.source = Editsource->text();
    fields.parameters = Edit3->text();
    fields.minute = SpinMinutes->value();
    fields.hour = Spinheures->value();
    const QList<QCheckBox *> boxes = dayBoxes();
    for (int day = 0; day < 7; ++day)
        fields.days[day] = boxes.at(day)->isChecked();
    fields.name = EditNom->text();
    fields.monthDays = EditJours->text();
    fields.months = EditMois->text();
    fields.paused = CheckPause->isChecked();
    fields.alone = CheckSeul->isChecked();
    fields.stopAfter = CheckMax->isChecked();
    fields.stopAfterMinutes = SpinMax->value();
    fields.catchUp = CheckRattrapage->isChecked();
    return fields;
}

void NewEntryPage::setFields(const NewEntryFields &fields)
{
    Editsource->setText(fields.source);
    Edit3->setText(fields.parameters);
    SpinMinutes->setValue(fields.minute);
    Spinheures->setValue(fields.hour);
    const QList<QCheckBox *> boxes = dayBoxes();
    for (int day = 0; day < 7; ++day)
        boxes.at(day)->setChecked(fields.days[day]);
    EditNom->setText(fields.name);
    EditJours->setText(fields.monthDays);
    EditMois->setText(fields.months);
    CheckPause->setChecked(fields.paused);
    CheckSeul->setChecked(fields.alone);
    CheckMax->setChecked(fields.stopAfter);
    SpinMax->setValue(fields.stopAfterMinutes);
    CheckRattrapage->setChecked(fields.catchUp);
}

void NewEntryPage::clearOptions()
{
    const NewEntryFields fresh;
    NewEntryFields kept = fields();
    kept.name = fresh.name;
    kept.monthDays = fresh.monthDays;
    kept.months = fresh.months;
    kept.paused = fresh.paused;
    kept.alone = fresh.alone;
    kept.stopAfter = fresh.stopAfter;
    kept.stopAfterMinutes = fresh.stopAfterMinutes;
    kept.catchUp = fresh.catchUp;
    setFields(kept);
}

void NewEntryPage::beginEditing(int index, const QString &line, const QString &title)
{
    if (!editing())
        m_before = fields();
    m_editedIndex = index;
    m_editedLine = line;
    LabelEdition->setText(title);
    LabelEdition->setVisible(true);
    Button18->setVisible(true);
    hideRefusals();
}

void NewEntryPage::keepFieldTexts(const QString &minute, const QString &hour)
{
    m_minuteText = minute;
    m_hourText = hour;
    m_shownMinute = SpinMinutes->value();
    m_shownHour = Spinheures->value();
}

QString NewEntryPage::minuteText() const
{
    return editing() && SpinMinutes->value() == m_shownMinute ? m_minuteText
                                                              : QString::number(SpinMinutes->value());
}

QString NewEntryPage::hourText() const
{
    return editing() && Spinheures->value() == m_shownHour ? m_hourText
                                                           : QString::number(Spinheures->value());
}

void NewEntryPage::endEditing()
{
    if (editing())
        setFields(m_before);
    m_editedIndex = -1;
    m_editedLine.clear();
    LabelEdition->setVisible(false);
    Button18->setVisible(false);
    hideRefusals();
}

void NewEntryPage::hideRefusals()
{
    for (QLabel *refusal : {Label43, Label57, Label71, Label72})
        refusal->setVisible(false);
}

void NewEntryPage::nameTheLimit()
{
    // Its label alone says "minutes", as the schedule's own box does.
    QString check = CheckMax->text();
    check.remove(QLatin1Char('&'));
    SpinMax->setAccessibleName(check + QStringLiteral(" … ") + LabelMax->text());
}
