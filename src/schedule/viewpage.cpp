#include "viewpage.h"

#include "scheduleentry.h"

#include "journal/celltext.h"

#include "widgets/reportview.h"
#include "widgets/named.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QFileInfo>
#include <QHash>
#include <QItemSelection>
#include <QKeySequence>
#include <QStyle>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <iterator>

namespace {

template <typename T>
T *hidden(T *widget, const char *name)
{
    named(widget, name)->setVisible(false);
    return widget;
}

} // namespace

ViewPage::ViewPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TabSheet4"));

    ListView2 = named(new QTreeWidget(this), "ListView2");
    ListView2->setColumnCount(ColumnCount);
    ListView2->setHeaderLabels({QStringLiteral("N°"), QStringLiteral("H"), QStringLiteral("Source"),
                                QStringLiteral("Cible"), QStringLiteral("Prochaine exécution"),
                                QStringLiteral("Dernière exécution"), QStringLiteral("Résultat"),
                                QStringLiteral("Nom")});
    makeReportView(ListView2);
    markOutputs(ListView2, ResultColumn, Qt::UserRole);
    ListView2->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView2->setSelectionBehavior(QAbstractItemView::SelectRows);
    // A path keeps its start and its file name; the whole text is in the tooltip.
    ListView2->setTextElideMode(Qt::ElideMiddle);
    ListView2->header()->setStretchLastSection(false);
    ListView2->header()->setSectionResizeMode(QHeaderView::Interactive);
    ListView2->header()->setSectionResizeMode(SourceColumn, QHeaderView::Stretch);
    ListView2->installEventFilter(this);
    ListView2->viewport()->installEventFilter(this);

    GroupBox3 = named(new QGroupBox(QStringLiteral("Jours"), this), "GroupBox3");
    GroupBox3->setFixedHeight(61);
    auto *days = new QHBoxLayout(GroupBox3);
    const char *dayNames[] = {"Lundi", "Mardi", "Mercredi", "Jeudi", "Vendredi", "Samedi", "Dimanche"};
    QCheckBox **boxes[] = {&CheckBox2, &CheckBox3, &CheckBox4, &CheckBox5,
                           &CheckBox6, &CheckBox7, &CheckBox8};
    for (int day = 0; day < 7; ++day) {
        *boxes[day] = new QCheckBox(QString::fromLatin1(dayNames[day]), GroupBox3);
        (*boxes[day])->setObjectName(QStringLiteral("CheckBox%1").arg(day + 2));
        days->addWidget(*boxes[day]);
    }

    Button8 = named(new QPushButton(QStringLiteral("Suppimer"), this), "Button8");
    Button8->setToolTip(QStringLiteral("Supprime la ligne de programmation"));
    Button8->setMinimumWidth(100);
    Button17 = named(new QPushButton(QStringLiteral("Modifier"), this), "Button17");
    Button17->setToolTip(QStringLiteral("Modifie la ligne de programmation"));
    Button17->setMinimumWidth(100);
    Button19 = named(new QPushButton(QStringLiteral("Suspendre"), this), "Button19");
    Button19->setToolTip(QStringLiteral("Suspend ou reprend les programmations choisies"));
    Button19->setMinimumWidth(100);

    Edit10 = hidden(new QLineEdit(this), "Edit10");
    Edit5 = hidden(new QLineEdit(this), "Edit5");
    Edit5->setEnabled(false);
    Edit6 = hidden(new QLineEdit(this), "Edit6");
    Edit6->setEnabled(false);
    Edit7 = hidden(new QLineEdit(this), "Edit7");
    Edit2 = hidden(new QLineEdit(this), "Edit2");
    Edit1 = hidden(new QLineEdit(this), "Edit1");
    Label1 = hidden(new QLabel(QStringLiteral("Minutes"), this), "Label1");
    Label2 = hidden(new QLabel(QStringLiteral("Heures"), this), "Label2");
    Label3 = hidden(new QLabel(QStringLiteral("Paramètres"), this), "Label3");
    Label4 = hidden(new QLabel(this), "Label4");
    Button4 = hidden(new QPushButton(QStringLiteral("Enregistrer"), this), "Button4");
    Button4->setToolTip(QStringLiteral("Enregistre les lignes de programmations"));
    Button3 = hidden(new QPushButton(QStringLiteral("Actualiser"), this), "Button3");
    Button3->setToolTip(QStringLiteral("Actualise les lignes de programmation supprimées"));
    Button1 = hidden(new QPushButton(this), "Button1");

    Button16 = named(new QPushButton(QStringLiteral("Lancer maintenant"), this), "Button16");
    Button16->setToolTip(QStringLiteral("Lance la programmation choisie sans attendre son heure"));
    Button16->setMinimumWidth(100);
    Button20 = named(new QPushButton(QStringLiteral("Arrêter"), this), "Button20");
    Button20->setToolTip(QStringLiteral("Arrête ce que les programmations choisies ont lancé et qui tourne encore"));
    Button20->setMinimumWidth(100);
    PopupMenu2 = named(new QMenu(this), "PopupMenu2");
    Lancermaintenant1 = PopupMenu2->addAction(QStringLiteral("&Lancer maintenant"));
    Lancermaintenant1->setObjectName(QStringLiteral("Lancermaintenant1"));
    connect(Lancermaintenant1, &QAction::triggered, Button16, &QPushButton::click);
    Modifier1 = PopupMenu2->addAction(QStringLiteral("&Modifier"));
    Modifier1->setObjectName(QStringLiteral("Modifier1"));
    connect(Modifier1, &QAction::triggered, Button17, &QPushButton::click);
    Suspendre1 = PopupMenu2->addAction(QStringLiteral("&Suspendre"));
    Suspendre1->setObjectName(QStringLiteral("Suspendre1"));
    connect(Suspendre1, &QAction::triggered, Button19, &QPushButton::click);
    Arreter1 = PopupMenu2->addAction(QStringLiteral("&Arrêter"));
    Arreter1->setObjectName(QStringLiteral("Arreter1"));
    connect(Arreter1, &QAction::triggered, Button20, &QPushButton::click);
    Voirlasortie2 = PopupMenu2->addAction(QStringLiteral("&Voir la sortie"));
    Voirlasortie2->setObjectName(QStringLiteral("Voirlasortie2"));
    Voirlasortie2->setShortcut(QKeySequence(Qt::Key_F3));
    Voirlasortie2->setShortcutContext(Qt::WidgetShortcut);
    ListView2->addAction(Voirlasortie2);
    connect(Voirlasortie2, &QAction::triggered, this, &ViewPage::showSelectedOutput);
    LabelEnCours = named(new QLabel(this), "LabelEnCours");
    // Enter on a focused button presses it, as Space does.
    for (QPushButton *button : {Button8, Button16, Button17, Button19, Button20})
        button->setAutoDefault(true);
    connect(ListView2, &QTreeWidget::itemDoubleClicked, Button17, [this](QTreeWidgetItem *row, int column) {
        const QString output = row->data(ResultColumn, Qt::UserRole).toString();
        if (column == ResultColumn && !output.isEmpty() && QFileInfo(output).isFile())
            emit outputWanted(output);
        else if (Button17->isEnabled())
            Button17->click();
    });
    ListView2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView2, &QWidget::customContextMenuRequested, this, &ViewPage::popUpMenu);

    auto *buttonStrip = new QHBoxLayout;
    buttonStrip->addStretch();
    buttonStrip->addWidget(Button16);
    buttonStrip->addWidget(Button20);
    buttonStrip->addWidget(Button19);
    buttonStrip->addWidget(Button17);
    buttonStrip->addWidget(Button8);

    auto *layout = new QVBoxLayout(this);
    // Above the list: the strip of buttons has no room left at the designed size.
    layout->addWidget(LabelEnCours, 0, Qt::AlignRight);
    layout->addWidget(ListView2, 1);
    layout->addWidget(GroupBox3);
    layout->addLayout(buttonStrip);

    // The day boxes only show the selected entry's days; the buttons are
    // reached as they stand, left to right.
    for (int day = 0; day < 7; ++day)
        dayBox(day)->setFocusPolicy(Qt::NoFocus);
    QWidget *order[] = {ListView2, Button16, Button20, Button19, Button17, Button8};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        if (now && isAncestorOf(now) && !(old && isAncestorOf(old)))
            emit entered();
    });
}

void ViewPage::popUpMenu(const QPoint &at)
{
    if (!Button16->isEnabled())
        return;
    Voirlasortie2->setEnabled(!selectedOutput().isEmpty());
    PopupMenu2->popup(ListView2->viewport()->mapToGlobal(at));
}

void ViewPage::showSelectedOutput()
{
    const QString output = selectedOutput();
    if (!output.isEmpty())
        emit outputWanted(output);
}

QString ViewPage::selectedOutput() const
{
    const int number = firstSelectedNumber();
    const QTreeWidgetItem *row = number < 0 ? nullptr : rowOf(number);
    const QString output = row ? row->data(ResultColumn, Qt::UserRole).toString() : QString();
    // A run that wrote nothing left no file.
    return !output.isEmpty() && QFileInfo(output).isFile() ? output : QString();
}

void ViewPage::showRunsGoing(const QString &words, int count)
{
    LabelEnCours->setText(words + QLatin1Char(' ') + QString::number(count));
}

void ViewPage::fitColumns()
{
    QHeaderView *header = ListView2->header();
    const QFontMetrics captions(header->font());
    const QFontMetrics cells(ListView2->font());
    const int margin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 12;
    const int rows = ListView2->topLevelItemCount();
    const auto caption = [&](int column) {
        return captions.horizontalAdvance(ListView2->headerItem()->text(column)) + margin;
    };
    const auto widest = [&](int column) {
        int width = 0;
        for (int row = 0; row < rows; ++row)
            width = qMax(width, cells.horizontalAdvance(ListView2->topLevelItem(row)->text(column)));
        return width + margin;
    };
    // What each column would like, and what it needs for its caption. The
    // source takes what is left: it is the one a user reads a row by.
    const int fixed[] = {NumberColumn, TimeColumn, TargetColumn, NextRunColumn, LastRunColumn, ResultColumn, NameColumn};
    constexpr int kMostWanted = 170;
    QHash<int, int> wanted, least;
    for (int column : fixed) {
        least[column] = caption(column);
        wanted[column] = qMax(least[column], qMin(widest(column), kMostWanted));
    }
    least[TimeColumn] = wanted[TimeColumn] = qMax(wanted[TimeColumn], 55);
    wanted[TargetColumn] = qMin(wanted[TargetColumn], 130);
    // The numbers and hours are shown whole; the texts give way, the last first.
    constexpr int kLeastForPaths = 70;
    int excess = -ListView2->viewport()->width() + kLeastForPaths;
    for (int column : fixed)
        excess += wanted[column];
    for (int column : {NameColumn, TargetColumn, ResultColumn, LastRunColumn, NextRunColumn}) {
        if (excess <= 0)
            break;
        const int given = qMin(excess, wanted[column] - least[column]);
        wanted[column] -= given;
        excess -= given;
    }
    for (int column : fixed)
        header->resizeSection(column, wanted[column]);
    header->setMinimumSectionSize(qMin(header->minimumSectionSize(), kLeastForPaths));
}

void ViewPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    emit shown();
}

void ViewPage::clearRows()
{
    ListView2->clear();
    repaintRows();
}

void ViewPage::addRow(const ScheduleRow &row)
{
    auto *item = new QTreeWidgetItem({row.number, row.time, cellText(row.source),
                                      cellText(row.target), row.next, row.lastRun,
                                      cellText(row.result), cellText(row.name)});
    item->setToolTip(NextRunColumn, row.nextReason);
    setOutputOf(item, row.output);
    // Cut in the middle on screen, whole in the tooltip.
    for (int column : {SourceColumn, TargetColumn, ResultColumn, NameColumn})
        item->setToolTip(column, item->text(column));
    // How it runs, at a glance, in words.
    if (!row.optionsInWords.isEmpty()) {
        for (int column : {NumberColumn, TimeColumn, NameColumn})
            item->setToolTip(column, row.optionsInWords);
    }
    if (row.paused) {
        const QBrush greyed = ListView2->palette().brush(QPalette::Disabled, QPalette::Text);
        for (int column = 0; column < item->columnCount(); ++column)
            item->setForeground(column, greyed);
    }
    ListView2->addTopLevelItem(item);
    repaintRows();
}

void ViewPage::repaintRows()
{
    // Qt 6.4 workaround: a tree whose sections resize to their contents,
    // refilled with clear() and new items, repaints only the rows whose
    // selection changed, and goes on showing rows that no longer exist. The
    // whole viewport is painted again instead (updates are coalesced).
    ListView2->viewport()->update();
}

void ViewPage::setEntryActionsEnabled(bool enabled)
{
    for (QPushButton *button : {Button8, Button16, Button17, Button19, Button20})
        button->setEnabled(enabled);
    for (QAction *action : {Lancermaintenant1, Modifier1, Suspendre1, Arreter1})
        action->setEnabled(enabled);
}

void ViewPage::setStopEnabled(bool enabled)
{
    Button20->setEnabled(enabled);
    Arreter1->setEnabled(enabled);
}

void ViewPage::setPauseCaption(const QString &caption)
{
    Button19->setText(caption);
    Suspendre1->setText(QLatin1Char('&') + caption);
}

void ViewPage::setOutputOf(QTreeWidgetItem *row, const QString &output)
{
    row->setData(ResultColumn, Qt::UserRole, output);
}

QList<int> ViewPage::selectedNumbers() const
{
    QList<int> numbers;
    for (int i = 0; i < ListView2->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = ListView2->topLevelItem(i);
        if (item->isSelected())
            numbers << item->text(0).toInt();
    }
    return numbers;
}

void ViewPage::selectNumbers(const QList<int> &numbers)
{
    // Thousands of rows selected one by one would lay the list out each time.
    QHash<int, int> rowOfNumber;
    for (int row = 0; row < ListView2->topLevelItemCount(); ++row)
        rowOfNumber.insert(ListView2->topLevelItem(row)->text(NumberColumn).toInt(), row);
    QAbstractItemModel *model = ListView2->model();
    QItemSelection selection;
    int current = -1;
    for (int number : numbers) {
        const auto found = rowOfNumber.constFind(number);
        if (found == rowOfNumber.cend())
            continue;
        selection.select(model->index(*found, 0), model->index(*found, ColumnCount - 1));
        if (current < 0)
            current = *found;
    }
    if (current >= 0)
        ListView2->selectionModel()->setCurrentIndex(model->index(current, 0), QItemSelectionModel::NoUpdate);
    ListView2->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

QTreeWidgetItem *ViewPage::rowOf(int number) const
{
    for (int i = 0; i < ListView2->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = ListView2->topLevelItem(i);
        if (item->text(0).toInt() == number)
            return item;
    }
    return nullptr;
}

bool ViewPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ListView2->viewport() && event->type() == QEvent::Resize)
        fitColumns();
    // Enter on a row edits it, Delete deletes it, as the buttons would.
    if (watched == ListView2 && event->type() == QEvent::KeyPress) {
        const auto *press = static_cast<QKeyEvent *>(event);
        const int key = press->key();
        // The menu by keyboard opens on the current row, not wherever the pointer is.
        if (key == Qt::Key_Menu || (key == Qt::Key_F10 && press->modifiers() == Qt::ShiftModifier)) {
            const QRect current = ListView2->visualItemRect(ListView2->currentItem());
            popUpMenu(current.isValid() ? current.center() : QPoint(0, 0));
            return true;
        }
        // As the menu item's shortcut, where the window is not the active one.
        if (key == Qt::Key_F3 && press->modifiers() == Qt::NoModifier) {
            showSelectedOutput();
            return true;
        }
        QPushButton *button = key == Qt::Key_Delete                          ? Button8
                              : key == Qt::Key_Return || key == Qt::Key_Enter ? Button17
                                                                              : nullptr;
        if (button) {
            if (button->isEnabled())
                button->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

int ViewPage::firstSelectedNumber() const
{
    for (int i = 0; i < ListView2->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = ListView2->topLevelItem(i);
        if (item->isSelected())
            return item->text(0).toInt();
    }
    return -1;
}

QCheckBox *ViewPage::dayBox(int day) const
{
    QCheckBox *const boxes[] = {CheckBox2, CheckBox3, CheckBox4, CheckBox5,
                                CheckBox6, CheckBox7, CheckBox8};
    return boxes[day];
}

void ViewPage::showEntry(int index, const ScheduleEntry &entry)
{
    Edit10->setText(QString::number(index));
    Edit5->setText(entry.minute);
    Edit6->setText(entry.hour);
    for (int day = 0; day < 7; ++day)
        dayBox(day)->setChecked(entry.runsOn(day + 1));
    Edit7->setText(entry.target);
}

void ViewPage::splitEdit7()
{
    const TargetParts parts = selectionParts(Edit7->text());
    Label4->setText(parts.program);
    Edit2->setText(parts.parameters);
}
