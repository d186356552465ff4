#include "Unit1.h"
#include "trayicon.h"

#include "messagespage.h"
#include "platform/platform.h"
#include "runner/nextrun.h"
#include "schedule/entrysentence.h"
#include "schedule/scheduleentry.h"
#include "schedule/newentrypage.h"
#include "schedule/schedulerow.h"
#include "schedule/spinedit.h"
#include "schedule/viewpage.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
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
    TabSheet4->clearRows();
    const auto fileExists = [](const QString &path) { return Platform::isRegularFile(path); };
    const NextRunWords words = nextRunWords();
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
        if (index > 0)
            row.next = nextRunText(nextRunOf(entry, now, state), now.date(), words, &row.nextReason);
        TabSheet4->addRow(row);
    }
    m_pausedEntries = paused;
    showTrayToolTip();
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
    QTreeWidget *list = TabSheet4->ListView2;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = list->topLevelItem(row);
        const int index = item->text(0).toInt();
        if (index <= 0 || index >= ListBox1.count())
            continue;
        QString reason;
        item->setText(4, nextRunText(nextRunOf(ListBox1.entry(index), now, state), now.date(), words, &reason));
        item->setToolTip(4, reason);
    }
    showTrayToolTip();
}

NextRunWords TForm1::nextRunWords() const
{
    const MessagesPage *page = TabSheet2;
    NextRunWords words;
    words.today = page->Label44->text();
    words.tomorrow = page->Label45->text();
    words.never = page->Label46->text();
    words.noDay = page->Label47->text();
    words.notANumber = page->Label48->text();
    words.paused = page->Label58->text();
    words.noDate = page->Label59->text();
    const QList<QLabel *> labels = page->nextRunLabels();
    for (int day = 0; day < 7; ++day)
        words.days[day] = labels.at(5 + day)->text();
    return words;
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
    lirefiche(true);
    TabSheet4->setEntryActionsEnabled(false);
}

void TForm1::ListView2Click()
{
    if (TabSheet4->firstSelectedNumber() < 0) {
        TabSheet4->setEntryActionsEnabled(false);
        return;
    }
    ListBox1Click();
}

void TForm1::ListBox1Click()
{
    const int index = TabSheet4->firstSelectedNumber();
    if (index < 0) {
        TabSheet4->setEntryActionsEnabled(false);
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
}

void TForm1::Button16Click()
{
    m_engine.runNow(ListBox1.itemIndex());
}

void TForm1::Button8Click()
{
    m_engine.deleteSelected();
}

// ---- New-entry page --------------------------------------------------------

void TForm1::Button6Click()
{
    SentenceWords words;
    words.opening = TabSheet2->Label42->text();
    words.intervalJoin = TabSheet2->Label33->text();
    words.weekdayJoin = TabSheet2->Label34->text();
    words.minutes = TabSheet4->Label1->text();
    words.hours = TabSheet4->Label2->text();
    words.hoursAndMinutes = TabSheet2->Label32->text();
    const QLabel *dayWords[] = {TabSheet2->Label35, TabSheet2->Label36, TabSheet2->Label37,
                                TabSheet2->Label38, TabSheet2->Label39, TabSheet2->Label40,
                                TabSheet2->Label41};
    bool days[7];
    const QList<QCheckBox *> boxes = TabSheet3->dayBoxes();
    for (int day = 0; day < 7; ++day) {
        words.days[day] = dayWords[day]->text();
        days[day] = boxes.at(day)->isChecked();
    }
    TabSheet3->Label6->setText(composeEntrySentence(words, TabSheet3->SpinMinutes->value(),
                                                    TabSheet3->Spinheures->value(), days));
}

void TForm1::TabSheet3Show()
{
    for (QCheckBox *box : TabSheet3->dayBoxes())
        box->setChecked(false);
}

void TForm1::Button14Click()
{
    const QStringList filters =
        qtNameFilters(kTargetFileFilter, Platform::allFilesPattern());
    const QString chosen = m_options.chooseFile
                               ? m_options.chooseFile(this, filters, QString())
                               : QFileDialog::getOpenFileName(this, QString(), QString(),
                                                              filters.join(QStringLiteral(";;")),
                                                              const_cast<QString *>(&filters.first()));
    if (!chosen.isEmpty())
        TabSheet3->Editsource->setText(QDir::toNativeSeparators(chosen));
}

void TForm1::Button15Click()
{
    const QString parameters = withoutLineBreaks(TabSheet3->Edit3->text());
    const QString source = withoutLineBreaks(TabSheet3->Editsource->text());
    ScheduleEntry entry;
    entry.target = parameters.isEmpty() ? source : source + QLatin1Char(' ') + parameters;
    if (!ScheduleFile::canHoldTarget(entry.target)) {
        TabSheet3->Label43->setVisible(true);
        return;
    }
    entry.minute = QString::number(TabSheet3->SpinMinutes->value());
    entry.hour = QString::number(TabSheet3->Spinheures->value());
    const QList<QCheckBox *> boxes = TabSheet3->dayBoxes();
    for (int day = 0; day < 7; ++day)
        entry.days[day] = boxes.at(day)->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    // Saved, it would never run, while the sentence says "every minute".
    if (entry.isIntervalEntry() && TabSheet3->SpinMinutes->value() == 0 &&
        TabSheet3->Spinheures->value() == 0) {
        TabSheet3->Label57->setVisible(true);
        return;
    }
    m_engine.appendEntry(entry);
    PageControl1->setCurrentWidget(TabSheet4);
    TabSheet4->ListView2->setFocus();
    // Without the keyboard focus (a window not active) the page is entered all the same.
    if (!TabSheet4->isAncestorOf(QApplication::focusWidget()))
        TabSheet4Enter();
}
