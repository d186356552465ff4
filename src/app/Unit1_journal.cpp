#include "Unit1.h"

#include "journal/Unit2.h"
#include "journal/errorboundary.h"
#include "journal/eventspage.h"
#include "journal/journal.h"
#include "platform/platform.h"
#include "trayicon.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>

#include <utility>

// TForm1: history, journal, purge and journal viewer.

// ---- History and journal ---------------------------------------------------

using ErrorBoundary::guarded;

void TForm1::Button10Click()
{
    TabSheet1->ListView1->clear();
}

void TForm1::ApplicationEvents1Exception(const QString &message)
{
    m_engine.recorder().recordError(message);
}

void TForm1::showRecorded(const RecordedEvent &event)
{
    TabSheet1->appendHistoryRow(event.historyTime(), event.subject, event.output,
                                event.kind == RecordedEvent::Failure || event.kind == RecordedEvent::Error);
    if (event.kind != RecordedEvent::Failure)
        return;
    // Told before the Error signal, which would bring the window into view.
    notifyFailure(event.status, event.subject);
    errorSignal();
}

void TForm1::errorSignal()
{
    if (TabSheet1->CheckBox_12->isChecked())
        Affiche1Click();
    if (TabSheet1->CheckBox_11->isChecked()) {
        QApplication::beep();
        Platform::tone(100, 500);
    }
}

void TForm1::CheckBox_13Click()
{
    const QString failure = Platform::setStartWithSession(TabSheet1->CheckBox_13->isChecked(),
                                                          QCoreApplication::applicationFilePath());
    if (failure.isEmpty())
        return;
    // The box says what is so, and the history why.
    if (TabSheet1->CheckBox_13->isChecked()) {
        const QSignalBlocker quiet(TabSheet1->CheckBox_13);
        TabSheet1->CheckBox_13->setChecked(false);
    }
    ApplicationEvents1Exception(failure);
}

void TForm1::notifyFailure(const QString &status, const QString &subject)
{
    // Decided as the first failure of a pass comes: its Error signal may
    // show the window, and the others of the pass join its notice.
    if (m_failuresToTell.isEmpty() &&
        (!TabSheet1->CheckBox_14->isChecked() || (isVisible() && !isMinimized())))
        return;
    m_failuresToTell.append({status, subject});
    // The failures of one pass make one notice.
    if (m_failuresToTell.size() == 1)
        QTimer::singleShot(0, this, guarded([this] { tellFailures(); }));
}

void TForm1::tellFailures()
{
    const FailureNotice notice = FailureNotice::of(std::exchange(m_failuresToTell, {}));
    // The action reads as the tray menu's item that does the same.
    QString show = findChild<QAction *>(QStringLiteral("Affiche1"))->text();
    show.remove(QLatin1Char('&'));
    if (m_options.notify) {
        m_options.notify(notice.summary, notice.body, show);
        return;
    }
    QPointer<TForm1> self(this);
    Platform::notifyDesktop(
        notice.summary, notice.body, show,
        [self] {
            if (self)
                ErrorBoundary::run([&] { self->Affiche1Click(); });
        },
        [self, notice] {
            if (self)
                self->RxTrayIcon1->showMessage(self->windowTitle(), notice.body + QLatin1Char('\n') + notice.summary);
        });
}

void TForm1::ecrirejournal(const QString &line)
{
    m_engine.recorder().ecrirejournal(line);
}

void TForm1::ecrire(const QString &line)
{
    // Into the user's own folder: an install for everyone is no one's to write.
    Journal::appendToLanguageFile(m_options.programDirectory, line);
}

// ---- Journal purge and viewer ----------------------------------------------

void TForm1::d()
{
    m_engine.purgeJournals();
}

void TForm1::ScruteDossier1Fichier(const QString &Nom)
{
    m_engine.purgeJournal(Nom);
}

void TForm1::showOutput(const QString &path)
{
    if (!m_form2 || path.isEmpty())
        return;
    m_form2->loadOutput(path);
    m_form2->show();
    m_form2->raise();
}

void TForm1::Voirlesfichiersjuornaux1Click()
{
    if (!m_form2)
        return;
    m_form2->chooseJournalFile(this, [this](const QString &path) {
        m_form2->loadChosen(path);
        m_form2->show();
        m_form2->raise();
    });
}
