#include "Unit1.h"
#include "trayicon.h"

#include "messagespage.h"
#include "journal/eventspage.h"
#include "platform/platform.h"
#include "runner/nextrun.h"
#include "engine/captionwords.h"
#include "files/runtimeerror.h"
#include "journal/celltext.h"
#include "schedule/entrysentence.h"
#include "schedule/lineedit.h"
#include "schedule/schedulefile.h"
#include "schedule/scheduleentry.h"
#include "schedule/newentrypage.h"
#include "widgets/filechoice.h"
#include "schedule/schedulerow.h"
#include "schedule/spinedit.h"
#include "schedule/viewpage.h"

#include <QApplication>
#include <QHash>
#include <QScrollBar>
#include <QSet>

#include <algorithm>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

// TForm1: the schedule file, its view page and the new-entry page.

// ---- Schedule --------------------------------------------------------------

void TForm1::lirefiche(bool load)
{
    if (load)
        m_engine.loadSchedule();
    else
        m_engine.clearSchedule();
}

void TForm1::showNewEntryPage()
{
    Affiche1Click();
    PageControl1->setCurrentIndex(1);
}

void TForm1::showScheduleRows()
{
    QTreeWidget *list = TabSheet4->ListView2;
    const int scrolled = list->verticalScrollBar()->value();
    m_rebuildingRows = true;
    TabSheet4->clearRows();
    const auto fileExists = [](const QString &path) { return Platform::isRegularFile(path); };
    const NextRunWords words = nextRunWords();
    const SentenceWords sentence = sentenceWords();
    const QDateTime now = m_engine.now();
    const SchedulerMinutes state = schedulerMinutes();
    int paused = 0;
    for (int index = 0; index < ListBox1.count(); ++index) {
        if (ListBox1.item(index).isEmpty())
            continue;
        const ScheduleEntry entry = ListBox1.entry(index);
        ScheduleRow row = makeScheduleRow(index, entry, fileExists);
        if (index > 0 && row.paused)
            ++paused;
        // The header line is no entry and never runs.
        if (index > 0) {
            row.next = nextRunText(nextRunOf(entry, now, state), now.date(), words, &row.nextReason);
            row.optionsInWords = optionsInWords(sentence, entry.options());
            if (const std::optional<PastRun> past = m_engine.past().of(ListBox1.item(index))) {
                row.lastRun = pastRunText(past->at, now.date(), words);
                row.result = past->result;
                row.output = past->output;
            }
        }
        TabSheet4->addRow(row);
    }
    TabSheet4->fitColumns();
    TabSheet4->selectNumbers(keptRowsNow());
    list->verticalScrollBar()->setValue(scrolled);
    m_rebuildingRows = false;
    // Where the lines now stand; a line gone takes its selection with it.
    keepSelection();
    ListView2Click();
    m_pausedEntries = paused;
    showTrayToolTip();
    showRunsGoing();
}

QList<int> TForm1::keptRowsNow() const
{
    // The same line where it was, or else the nearest line that reads the
    // same: the user's own selection, whoever moved the lines.
    QHash<QString, QList<int>> indexesOf;
    for (int index = 0; index < ListBox1.count(); ++index) {
        if (!ListBox1.item(index).isEmpty())
            indexesOf[ListBox1.item(index)].append(index);
    }
    QList<int> rows;
    QSet<int> taken;
    for (const auto &[index, line] : m_keptSelection) {
        int nearest = -1;
        for (int candidate : indexesOf.value(line)) {
            if (!taken.contains(candidate) && (nearest < 0 || qAbs(candidate - index) < qAbs(nearest - index)))
                nearest = candidate;
        }
        if (nearest >= 0) {
            taken.insert(nearest);
            rows << nearest;
        }
    }
    return rows;
}

void TForm1::keepSelection()
{
    m_keptSelection.clear();
    for (int index : TabSheet4->selectedNumbers()) {
        if (index >= 0 && index < ListBox1.count())
            m_keptSelection.append({index, ListBox1.item(index)});
    }
}

void TForm1::showRunsGoing()
{
    TabSheet4->showRunsGoing(TabSheet2->Label76->text(), m_engine.past().openRunCount());
    // Stopping is offered only where there is a run to stop.
    const int index = ListBox1.itemIndex();
    bool running = false;
    if (index > 0 && TabSheet4->Button16->isEnabled()) {
        for (int selected : TabSheet4->selectedNumbers()) {
            if (selected > 0 && selected < ListBox1.count() && m_engine.past().isRunning(ListBox1.item(selected))) {
                running = true;
                break;
            }
        }
    }
    TabSheet4->setStopEnabled(running);
}

QString TForm1::optionsInWords(const SentenceWords &words, const EntryOptions &options)
{
    // Each part comes after " ; ", as it follows the sentence on the new-entry page.
    return composeEntryOptionsSentence(words, options).mid(3);
}

QString TForm1::trayToolTip() const
{
    return RxTrayIcon1 ? RxTrayIcon1->toolTip() : QString();
}

void TForm1::showTrayToolTip()
{
    // Entries switched off are easily forgotten: the tray says they are there.
    if (!RxTrayIcon1)
        return;
    RxTrayIcon1->setToolTip(m_pausedEntries == 0
                                ? windowTitle()
                                : QStringLiteral("%1 (%2 %3)").arg(windowTitle(), TabSheet2->Label60->text())
                                      .arg(m_pausedEntries));
}

SchedulerMinutes TForm1::schedulerMinutes() const
{
    return {m_engine.scheduler().lastTick(), m_engine.scheduler().lastExamined()};
}

void TForm1::refreshNextRuns()
{
    const NextRunWords words = nextRunWords();
    const QDateTime now = m_engine.now();
    const SchedulerMinutes state = schedulerMinutes();
    forEachEntryRow([&](QTreeWidgetItem *item, int index) {
        QString reason;
        const QString next = nextRunText(nextRunOf(ListBox1.entry(index), now, state), now.date(), words, &reason);
        if (item->text(ViewPage::NextRunColumn) != next)
            item->setText(ViewPage::NextRunColumn, next);
        item->setToolTip(ViewPage::NextRunColumn, reason);
    });
    refreshPastColumns();
    showTrayToolTip();
}

void TForm1::refreshPastColumns()
{
    const NextRunWords words = nextRunWords();
    const QDate today = m_engine.now().date();
    forEachEntryRow([&](QTreeWidgetItem *item, int index) {
        const std::optional<PastRun> past = m_engine.past().of(ListBox1.item(index));
        const QString lastRun = past ? pastRunText(past->at, today, words) : QString();
        const QString result = past ? cellText(past->result) : QString();
        // Unchanged cells are left alone: a refresh after thousands of starts stays cheap.
        if (item->text(ViewPage::LastRunColumn) != lastRun)
            item->setText(ViewPage::LastRunColumn, lastRun);
        if (item->text(ViewPage::ResultColumn) != result) {
            item->setText(ViewPage::ResultColumn, result);
            item->setToolTip(ViewPage::ResultColumn, result);
        }
        ViewPage::setOutputOf(item, past ? past->output : QString());
    });
    showRunsGoing();
}

void TForm1::forEachEntryRow(const std::function<void(QTreeWidgetItem *, int)> &visit)
{
    // The header line's row and rows the file no longer has are left as they are.
    QTreeWidget *list = TabSheet4->ListView2;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = list->topLevelItem(row);
        const int index = item->text(0).toInt();
        if (index > 0 && index < ListBox1.count())
            visit(item, index);
    }
}

NextRunWords TForm1::nextRunWords() const
{
    return nextRunWordsFrom([this](const QString &name) { return labelCaption(name); });
}

QString TForm1::labelCaption(const QString &name) const
{
    // The hidden labels of the messages page, and the view's own.
    const QLabel *label = TabSheet2->findChild<QLabel *>(name);
    if (!label)
        label = TabSheet4->findChild<QLabel *>(name);
    return label ? label->text() : QString();
}

void TForm1::Button4Click()
{
    m_engine.writeBack();
}

void TForm1::Button1Click()
{
    m_engine.reloadWhenChanged();
}

void TForm1::Button3Click()
{
    lirefiche(true);
}

void TForm1::TabSheet4Enter()
{
    // The rows come back selected as they were: the buttons follow them.
    lirefiche(true);
    ListView2Click();
}

void TForm1::ListView2Click()
{
    if (TabSheet4->firstSelectedNumber() < 0) {
        TabSheet4->setEntryActionsEnabled(false);
        TabSheet1->setChosenEntry(QString());
        return;
    }
    ListBox1Click();
}

void TForm1::ListBox1Click()
{
    const int index = TabSheet4->firstSelectedNumber();
    if (index < 0) {
        TabSheet4->setEntryActionsEnabled(false);
        TabSheet1->setChosenEntry(QString());
        return;
    }
    ListBox1.setItemIndex(index);
    if (ListBox1.itemIndex() < 0 || index == 0) {
        TabSheet4->setEntryActionsEnabled(false);
    } else {
        TabSheet4->setEntryActionsEnabled(true);
        TabSheet4->showEntry(index, ListBox1.entry(index));
    }
    TabSheet4->splitEdit7();
    showPauseCaption();
    showRunsGoing();
    // The history can be narrowed to what the chosen entry did.
    const bool entry = index > 0 && ListBox1.itemIndex() == index;
    TabSheet1->setChosenEntry(
        entry ? Launcher::subjectOf(ListBox1.entry(index).target, ListBox1.entry(index).options().name()) : QString());
}

void TForm1::showPauseCaption()
{
    const int index = ListBox1.itemIndex();
    const bool paused = index > 0 && ListBox1.entry(index).options().paused();
    TabSheet4->setPauseCaption((paused ? TabSheet2->Label64 : TabSheet2->Label65)->text());
}

void TForm1::Button17Click()
{
    const int index = ListBox1.itemIndex();
    if (index <= 0 || index >= ListBox1.count())
        return;
    const ScheduleEntry entry = ListBox1.entry(index);
    const EntryOptions options = entry.options();
    NewEntryFields fields;
    const TargetParts parts = selectionParts(entry.target);
    fields.source = parts.program;
    fields.parameters = parts.parameters;
    fields.minute = entry.minute.toInt();
    fields.hour = entry.hour.toInt();
    for (int day = 0; day < 7; ++day)
        fields.days[day] = entry.runsOn(day + 1);
    fields.name = options.name();
    fields.monthDays = options.value(QStringLiteral("jours")).value_or(QString());
    fields.months = options.value(QStringLiteral("mois")).value_or(QString());
    fields.paused = options.paused();
    fields.alone = options.alone();
    fields.catchUp = options.catchesUp();
    // A bad limit is shown as none; saving writes the one the page then holds.
    try {
        fields.stopAfterMinutes = options.stopAfterMinutes();
    } catch (const EConvertError &) {
        fields.stopAfterMinutes = 0;
    }
    fields.stopAfter = fields.stopAfterMinutes > 0;
    if (!fields.stopAfter)
        fields.stopAfterMinutes = 60;
    TabSheet3->beginEditing(index, ListBox1.item(index),
                            TabSheet2->Label66->text() + QLatin1Char(' ') +
                                QStringLiteral("%1").arg(index, 3, 10, QLatin1Char('0')));
    TabSheet3->setFields(fields);
    TabSheet3->keepFieldTexts(entry.minute, entry.hour);
    PageControl1->setCurrentWidget(TabSheet3);
    Button6Click();
    TabSheet3->Editsource->setFocus();
}

void TForm1::Button18Click()
{
    TabSheet3->endEditing();
    Button6Click();
    PageControl1->setCurrentWidget(TabSheet4);
    TabSheet4->ListView2->setFocus();
}

void TForm1::Button19Click()
{
    const QList<int> selected = TabSheet4->selectedNumbers();
    if (selected.isEmpty())
        return;
    // As the caption says: the first selected entry decides for all.
    const bool pause = !ListBox1.entry(selected.first()).options().paused();
    m_engine.setPaused(selected, pause);
    TabSheet4->selectNumbers(selected);
    showPauseCaption();
}

void TForm1::Button20Click()
{
    m_engine.stopRuns(TabSheet4->selectedNumbers());
}

void TForm1::Button16Click()
{
    m_engine.runNow(ListBox1.itemIndex());
}

void TForm1::Button8Click()
{
    // The deleted line's selection goes with it, not to a line that reads the same.
    const int index = ListBox1.itemIndex();
    m_keptSelection.removeIf([index](const std::pair<int, QString> &kept) { return kept.first == index; });
    m_engine.deleteSelected();
}

// ---- New-entry page --------------------------------------------------------

SentenceWords TForm1::sentenceWords() const
{
    return sentenceWordsFrom([this](const QString &name) { return labelCaption(name); });
}

void TForm1::Button6Click()
{
    const SentenceWords words = sentenceWords();
    bool days[7];
    const QList<QCheckBox *> boxes = TabSheet3->dayBoxes();
    for (int day = 0; day < 7; ++day)
        days[day] = boxes.at(day)->isChecked();
    TabSheet3->Label6->setText(
        composeEntrySentence(words, TabSheet3->SpinMinutes->value(), TabSheet3->Spinheures->value(),
                             days) +
        composeOptionsSentence(words, TabSheet3->EditJours->text(), TabSheet3->EditMois->text(),
                               TabSheet3->CheckPause->isChecked()) +
        composeRunSentence(words, TabSheet3->CheckSeul->isChecked(),
                           TabSheet3->CheckMax->isChecked() ? TabSheet3->SpinMax->value() : 0,
                           TabSheet3->CheckRattrapage->isChecked()));
}

void TForm1::TabSheet3Show()
{
    // An entry being edited keeps its days.
    if (TabSheet3->editing())
        return;
    for (QCheckBox *box : TabSheet3->dayBoxes())
        box->setChecked(false);
}

void TForm1::Button14Click()
{
    const QStringList native =
        Platform::nativeTargetFilters(TabSheet2->Label77->text(), TabSheet2->Label78->text());
    const QStringList filters = qtNameFilters(kTargetFileFilter, Platform::allFilesPattern()) + native;
    const auto take = [this](const QString &chosen) {
        if (!chosen.isEmpty())
            TabSheet3->Editsource->setText(QDir::toNativeSeparators(chosen));
    };
    if (m_options.chooseFile)
        take(m_options.chooseFile(this, filters, QString()));
    else
        chooseExistingFile(this, filters, QString(), take, native.isEmpty() ? QString() : native.last());
}

void TForm1::Button15Click()
{
    const NewEntryFields fields = TabSheet3->fields();
    const QString parameters = withoutLineBreaks(fields.parameters);
    const QString source = withoutLineBreaks(fields.source);
    EntryForm form;
    form.target = parameters.isEmpty() ? source : source + QLatin1Char(' ') + parameters;
    if (!ScheduleFile::canHoldTarget(form.target)) {
        TabSheet3->Label43->setVisible(true);
        return;
    }
    form.name = fields.name;
    form.monthDays = fields.monthDays.trimmed();
    form.months = fields.months.trimmed();
    form.paused = fields.paused;
    form.alone = fields.alone;
    form.stopAfterMinutes = fields.stopAfter ? fields.stopAfterMinutes : 0;
    form.catchUp = fields.catchUp;
    for (const QString &value : {form.name, form.monthDays, form.months}) {
        if (!LineEdit::canHoldOptionValue(value)) {
            TabSheet3->Label71->setVisible(true);
            return;
        }
    }
    form.minute = TabSheet3->minuteText();
    form.hour = TabSheet3->hourText();
    form.days = fields.days;
    // Saved, it would never run, while the sentence says "every minute".
    if (std::find(form.days.cbegin(), form.days.cend(), true) == form.days.cend() &&
        fields.minute == 0 && fields.hour == 0) {
        TabSheet3->Label57->setVisible(true);
        return;
    }
    if (TabSheet3->editing()) {
        const QString line = LineEdit::edited(TabSheet3->editedLine(), form);
        if (!m_engine.replaceLine(TabSheet3->editedIndex(), TabSheet3->editedLine(), line)) {
            TabSheet3->Label72->setVisible(true);
            return;
        }
        const int edited = TabSheet3->editedIndex();
        TabSheet3->endEditing();
        Button6Click();
        TabSheet4->selectNumbers({edited});
    } else {
        m_engine.appendLine(LineEdit::edited(QString(), form));
        // The next entry does not inherit this one's name and options unseen.
        TabSheet3->clearOptions();
        Button6Click();
    }
    PageControl1->setCurrentWidget(TabSheet4);
    TabSheet4->ListView2->setFocus();
    // Without the keyboard focus (a window not active) the page is entered all the same.
    if (!TabSheet4->isAncestorOf(QApplication::focusWidget()))
        TabSheet4Enter();
}
