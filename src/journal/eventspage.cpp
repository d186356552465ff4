#include "eventspage.h"

#include "celltext.h"

#include "widgets/reportview.h"
#include "widgets/named.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <iterator>

#include <utility>

namespace {

const int kOutputRole = Qt::UserRole;
const int kFailureRole = Qt::UserRole + 1;

} // namespace

EventsPage::EventsPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TabSheet1"));

    Label5 = named(new QLabel(QStringLiteral("Historique "), this), "Label5");

    ListView1 = named(new QTreeWidget(this), "ListView1");
    ListView1->setColumnCount(2);
    ListView1->setHeaderLabels({QStringLiteral("Heures"), QStringLiteral("Fichier")});
    makeReportView(ListView1);
    ListView1->setColumnWidth(0, 100);
    ListView1->setColumnWidth(1, 528);

    PopupMenu3 = named(new QMenu(this), "PopupMenu3");
    Voirlasortie1 = PopupMenu3->addAction(QStringLiteral("&Voir la sortie"));
    Voirlasortie1->setObjectName(QStringLiteral("Voirlasortie1"));
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        const QString output = outputOf(ListView1->itemAt(at));
        if (output.isEmpty())
            return;
        // The row the menu was opened on, not whichever is current.
        disconnect(Voirlasortie1, &QAction::triggered, this, nullptr);
        connect(Voirlasortie1, &QAction::triggered, this, [this, output] { emit outputWanted(output); });
        PopupMenu3->popup(ListView1->viewport()->mapToGlobal(at));
    });
    // A double click, or Enter on the current row.
    connect(ListView1, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *row) {
        const QString output = outputOf(row);
        if (!output.isEmpty())
            emit outputWanted(output);
    });
    markOutputs(ListView1, 1, kOutputRole);

    CheckErreurs = named(new QCheckBox(QStringLiteral("Erreurs seulement"), this), "CheckErreurs");
    CheckChoisie = named(new QCheckBox(QStringLiteral("Programmation choisie seulement"), this), "CheckChoisie");
    CheckChoisie->setEnabled(false);
    for (QCheckBox *filter : {CheckErreurs, CheckChoisie})
        connect(filter, &QCheckBox::toggled, this, &EventsPage::applyFilters);

    Button10 = named(new QPushButton(QStringLiteral("Vider l'historique"), this), "Button10");

    GroupBox4 = named(new QGroupBox(QStringLiteral(" Suppression des fichiers journaux "), this),
                      "GroupBox4");
    CheckBox_1 = named(new QCheckBox(QStringLiteral("Suppression après"), GroupBox4), "CheckBox_1");
    CheckBox_1->setChecked(true);
    SpinEdit_1 = named(new QSpinBox(GroupBox4), "SpinEdit_1");
    SpinEdit_1->setRange(0, 365);
    SpinEdit_1->setValue(1);
    Label7 = named(new QLabel(QStringLiteral("Jours"), GroupBox4), "Label7");
    auto *purgeRow = new QHBoxLayout(GroupBox4);
    purgeRow->addWidget(CheckBox_1);
    purgeRow->addWidget(SpinEdit_1);
    purgeRow->addWidget(Label7);
    purgeRow->addStretch();

    // Created in the order the settings file lists them.
    CheckBox_9 = named(
        new QCheckBox(QStringLiteral("Inscrire les événements dans un fichier journal"), this),
        "CheckBox_9");
    CheckBox_9->setChecked(true);
    CheckBox_11 = named(new QCheckBox(QStringLiteral("Bip si erreur"), this), "CheckBox_11");
    CheckBox_12 = named(new QCheckBox(QStringLiteral("Fenêtre surgissante si erreur"), this),
                        "CheckBox_12");
    CheckBox_13 = named(new QCheckBox(QStringLiteral("Démarrer avec la session"), this), "CheckBox_13");
    CheckBox_14 = named(new QCheckBox(QStringLiteral("Notifier les erreurs au bureau"), this), "CheckBox_14");
    CheckBox_14->setChecked(true);

    Button11 = named(new QPushButton(QStringLiteral("suppression"), this), "Button11");
    Button11->setVisible(false);

    auto *options = new QGridLayout;
    options->addWidget(Button10, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    options->addWidget(GroupBox4, 1, 0);
    options->addWidget(CheckBox_9, 2, 0);
    // The switches of what a failure does, then the start with the session.
    auto *switches = new QVBoxLayout;
    switches->addWidget(CheckBox_12);
    switches->addWidget(CheckBox_14);
    switches->addWidget(CheckBox_11);
    switches->addWidget(CheckBox_13);
    options->addLayout(switches, 0, 1, 3, 1);
    options->setColumnStretch(1, 1);

    auto *heading = new QHBoxLayout;
    heading->addWidget(Label5);
    heading->addStretch();
    heading->addWidget(CheckErreurs);
    heading->addWidget(CheckChoisie);
    QWidget *order[] = {CheckErreurs, CheckChoisie, ListView1, Button10, CheckBox_1, SpinEdit_1,
                        CheckBox_9, CheckBox_12, CheckBox_14, CheckBox_11, CheckBox_13};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    layout->addWidget(ListView1, 1);
    layout->addLayout(options);
}

QString EventsPage::outputOf(const QTreeWidgetItem *row)
{
    // A run that wrote nothing left no file.
    const QString output = row ? row->data(1, kOutputRole).toString() : QString();
    return !output.isEmpty() && QFileInfo(output).isFile() ? output : QString();
}

void EventsPage::setChosenEntry(const QString &subject)
{
    CheckChoisie->setEnabled(!subject.isEmpty());
    if (subject == m_chosenEntry)
        return;
    m_chosenEntry = subject;
    if (CheckChoisie->isChecked())
        applyFilters();
}

bool EventsPage::filteredOut(const QTreeWidgetItem *row) const
{
    if (CheckErreurs->isChecked() && !row->data(0, kFailureRole).toBool())
        return true;
    // With no entry chosen, there is nothing to narrow to.
    return CheckChoisie->isChecked() && !m_chosenEntry.isEmpty() && row->text(1) != cellText(m_chosenEntry);
}

void EventsPage::applyFilters()
{
    for (int row = 0; row < ListView1->topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = ListView1->topLevelItem(row);
        item->setHidden(filteredOut(item));
    }
    m_scrollPending = true;
    if (isVisible())
        scrollToNewest();
}

void EventsPage::appendHistoryRow(const QString &time, const QString &subject, const QString &output,
                                  bool failure)
{
    // Following the newest row unless the user scrolled away from the end:
    // as the first row of a batch found the list.
    if (!m_settlePending) {
        QScrollBar *scroll = ListView1->verticalScrollBar();
        m_followNewest = scroll->value() >= scroll->maximum();
        m_settlePending = true;
        QMetaObject::invokeMethod(this, &EventsPage::settleHistory, Qt::QueuedConnection);
    }
    const QString shownTime = cellText(time);
    auto *row = new QTreeWidgetItem({shownTime, cellText(subject)});
    if (!output.isEmpty())
        row->setData(1, kOutputRole, output);
    if (failure)
        row->setData(0, kFailureRole, true);
    ListView1->addTopLevelItem(row);
    if (filteredOut(row))
        row->setHidden(true);
    // The "Heures" column grows to what it holds: a failure's status follows
    // the time ("14:30:37 Fichier inexistant"), a network error on two lines.
    int needed = 0;
    for (const QString &line : shownTime.split(QLatin1Char('\n')))
        needed = qMax(needed, ListView1->fontMetrics().horizontalAdvance(line.trimmed()));
    needed += 3 * ListView1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    if (needed > ListView1->columnWidth(0))
        ListView1->setColumnWidth(0, needed);
}

void EventsPage::settleHistory()
{
    // Once for all the rows that came since the last turn of the event loop:
    // a scroll or a removal lays the whole list out again, which for each of
    // thousands of rows started in one minute would hold the window.
    m_settlePending = false;
    // The journal keeps everything; the screen only the newest rows, or a
    // day of thousands of starts a minute would fill the memory by midnight.
    const int excess = ListView1->topLevelItemCount() - kHistoryRows;
    if (excess > 0)
        ListView1->model()->removeRows(0, excess);
    // Hidden in the tray, the list is laid out again only when it shows.
    m_scrollPending = m_followNewest;
    if (isVisible())
        scrollToNewest();
}

void EventsPage::scrollToNewest()
{
    if (std::exchange(m_scrollPending, false) && ListView1->topLevelItemCount() > 0)
        ListView1->scrollToBottom();
}

void EventsPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    scrollToNewest();
}
