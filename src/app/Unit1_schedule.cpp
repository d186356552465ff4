#include "Unit1.h"

#include "messagespage.h"
#include "platform/platform.h"
#include "runner/nextrun.h"
#include "schedule/entrysentence.h"
#include "schedule/fields.h"
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
    ListBox1.clear();
    TabSheet4->clearRows();
    if (!load)
        return;
    if (!m_schedule.exists()) {
        m_schedule.CreateScheduleFile();
        Affiche1Click();
        PageControl1->setCurrentIndex(1);
    }
    const QStringList lines = m_schedule.readLines();
    const auto fileExists = [](const QString &path) { return Platform::isRegularFile(path); };
    const NextRunWords words = nextRunWords();
    const QDateTime now = m_options.clock();
    for (int index = 0; index < lines.size(); ++index) {
        if (!lines.at(index).isEmpty()) {
            ScheduleRow row = makeScheduleRow(index, lines.at(index), fileExists);
            // The header line is no entry and never runs.
            if (index > 0)
                row.next = nextRunText(nextRunOf(lines.at(index), now), now.date(), words, &row.nextReason);
            TabSheet4->addRow(row);
        }
        ListBox1.add(lines.at(index));
    }
}

void TForm1::refreshNextRuns()
{
    const NextRunWords words = nextRunWords();
    const QDateTime now = m_options.clock();
    QTreeWidget *list = TabSheet4->ListView2;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = list->topLevelItem(row);
        const int index = item->text(0).toInt();
        if (index <= 0 || index >= ListBox1.count())
            continue;
        QString reason;
        item->setText(4, nextRunText(nextRunOf(ListBox1.item(index), now), now.date(), words, &reason));
        item->setToolTip(4, reason);
    }
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
    const QList<QLabel *> labels = page->nextRunLabels();
    for (int day = 0; day < 7; ++day)
        words.days[day] = labels.at(5 + day)->text();
    return words;
}

void TForm1::Button4Click()
{
    m_schedule.writeBack(ListBox1.items());
    Button1Click();
}

void TForm1::Button1Click()
{
    const ScheduleFile::Stamp current = m_schedule.stamp();
    if (current == LastScheduleSize)
        return;
    // Kept only once the read succeeded: after a failed one, the next check
    // tries again, whatever the file then looks like, instead of leaving the
    // schedule empty until it changes.
    LastScheduleSize = ScheduleFile::Stamp::unknown();
    lirefiche(true);
    LastScheduleSize = current;
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
        TabSheet4->showEntry(index, readSelectedEntry(ListBox1.item(index)));
    }
    TabSheet4->splitEdit7();
}

void TForm1::Button16Click()
{
    // Through the same split and launch as the scheduler, recorded the same
    // way; the scheduler's own minutes are not touched.
    const int index = ListBox1.itemIndex();
    if (index <= 0)
        return;
    startTarget(fieldOf(ListBox1.item(index), QLatin1Char('|'), 10));
}

void TForm1::Button8Click()
{
    ListBox1.DeleteAt(ListBox1.itemIndex());
    Button4Click();
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
    auto flag = [](const QCheckBox *box) { return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0"); };
    const QString parameters = withoutLineBreaks(TabSheet3->Edit3->text());
    const QString source = withoutLineBreaks(TabSheet3->Editsource->text());
    const QString target = parameters.isEmpty() ? source : source + QLatin1Char(' ') + parameters;
    if (!ScheduleFile::canHoldTarget(target)) {
        TabSheet3->Label43->setVisible(true);
        return;
    }
    m_schedule.AppendEntry(QString::number(TabSheet3->SpinMinutes->value()),
                           QString::number(TabSheet3->Spinheures->value()), flag(TabSheet3->CheckLundi),
                           flag(TabSheet3->CheckMardi), flag(TabSheet3->CheckMercredi),
                           flag(TabSheet3->CheckJeudi), flag(TabSheet3->CheckVendredi),
                           flag(TabSheet3->CheckSamedi), flag(TabSheet3->CheckDimanche), target);
    PageControl1->setCurrentWidget(TabSheet4);
    TabSheet4->ListView2->setFocus();
    // Without the keyboard focus (a window not active) the page is entered all the same.
    if (!TabSheet4->isAncestorOf(QApplication::focusWidget()))
        TabSheet4Enter();
}
