#include "launcher.h"

#include "files/outputfile.h"
#include "journal/errorboundary.h"
#include "journal/eventrecorder.h"

#include <QFileInfo>

#include <memory>
#include <utility>

namespace {
const QString kMissing = QStringLiteral("Fichier inexistant");
const QString kRefused = QStringLiteral("Lancement impossible");
} // namespace

Launcher::Launcher(EventRecorder &events, Hooks hooks)
    : m_events(events), m_hooks(std::move(hooks)), m_outputs(OutputFile::kKeptBytes)
{
}

bool Launcher::isWebAddress(const QString &target)
{
    return target.contains(QLatin1String("http://")) || target.contains(QLatin1String("https://"));
}

bool Launcher::targetExists(const QString &path)
{
    return Platform::isRegularFile(path);
}

void Launcher::start(const QString &path, const QString &parameters, const QString &detail,
                     const Outcome &outcome, const Platform::StartOptions &options)
{
    if (!targetExists(path)) {
        if (outcome)
            outcome(kMissing, true);
        m_events.recordFailure(kMissing, detail);
        return;
    }
    const auto inCall = std::make_shared<bool>(true);
    // Over also when recording the start raised: the end of what started
    // comes later, outside the pass, and must still be recorded.
    struct Leave
    {
        std::shared_ptr<bool> inCall;
        ~Leave() { *inCall = false; }
    } leave{inCall};
    const QString output = options.outputFile;
    Platform::StartOptions cut = options;
    if (!output.isEmpty()) {
        m_outputs.watch(output);
        cut.keptOutput = OutputFile::kKeptBytes;
        cut.droppedNoteBefore = OutputFile::droppedNoteBefore();
        cut.droppedNoteAfter = OutputFile::droppedNoteAfter();
    }
    m_hooks.open(path, parameters, cut,
                 [this, detail, inCall, outcome, output](const Platform::TargetEvent &event) {
                     // Within the call an error belongs to the pass, which records it and
                     // goes on; later it leaves an event handler and must be recorded here.
                     if (*inCall)
                         record(event, detail, outcome, output);
                     else
                         ErrorBoundary::run([&] { record(event, detail, outcome, output); });
                 });
}

QString Launcher::resultOf(const Platform::TargetEvent &event)
{
    switch (event.kind) {
    case Platform::TargetEvent::Started:
        return event.endFollows ? QStringLiteral("En cours") : QStringLiteral("Lancé");
    case Platform::TargetEvent::Refused:
        return kRefused;
    case Platform::TargetEvent::Exited:
        return QStringLiteral("Terminé (code %1)").arg(event.number);
    case Platform::TargetEvent::Killed:
        return QStringLiteral("Terminé (signal %1)").arg(event.number);
    case Platform::TargetEvent::Stopped:
        return QStringLiteral("Arrêté après %1 min").arg(event.number);
    case Platform::TargetEvent::StoppedOnRequest:
        return QStringLiteral("Arrêté à la demande");
    case Platform::TargetEvent::KeeperLost:
        return event.number > 0 ? QStringLiteral("Suivi perdu (gardien arrêté par le signal %1)").arg(event.number)
                                : QStringLiteral("Suivi perdu (gardien arrêté)");
    }
    return QString();
}

void Launcher::record(const Platform::TargetEvent &event, const QString &detail, const Outcome &outcome,
                      const QString &outputFile)
{
    const bool ended = event.kind != Platform::TargetEvent::Started && event.kind != Platform::TargetEvent::Refused;
    const bool over = !(event.kind == Platform::TargetEvent::Started && event.endFollows);
    // A document handed to the opener writes nothing of its own; a file its
    // writer cuts as it goes needs no bounding of ours.
    if (!outputFile.isEmpty() && (over || event.outputCut))
        m_outputs.forget(outputFile);
    // Refused: a file the start made stays empty and goes.
    if (!outputFile.isEmpty() && (ended || event.kind == Platform::TargetEvent::Refused) && !event.outputCut)
        OutputFile::finish(outputFile);
    if (outcome)
        outcome(resultOf(event), over);
    // An end that came while we were not running is recorded at its own time.
    const auto failure = [&](const QString &status, const QString &output) {
        if (event.endedAt > 0 && ended)
            m_events.recordFailureAt(QDateTime::fromSecsSinceEpoch(event.endedAt), status, detail, output);
        else
            m_events.recordFailure(status, detail, output);
    };
    switch (event.kind) {
    case Platform::TargetEvent::Started:
        if (event.withoutKeeper && !std::exchange(m_toldWithoutKeeper, true))
            m_events.recordNotice(QStringLiteral("Sans gardien"),
                                  QStringLiteral("pendulix-run ne peut être lancé : les programmes sont lancés "
                                                 "directement, sans limite ni suivi après un redémarrage"));
        m_events.recordStart(detail, event.endFollows ? outputFile : QString());
        break;
    case Platform::TargetEvent::Refused:
        m_events.recordFailure(kRefused, detail);
        break;
    case Platform::TargetEvent::Exited:
        // A healthy end writes nothing: the journal of a good day stays as it was.
        if (event.number != 0)
            failure(resultOf(event), outputFile);
        break;
    case Platform::TargetEvent::Killed:
    case Platform::TargetEvent::Stopped:
    case Platform::TargetEvent::StoppedOnRequest:
    case Platform::TargetEvent::KeeperLost:
        failure(resultOf(event), outputFile);
        break;
    }
}

QString Launcher::subjectOf(const QString &target, const QString &name)
{
    return name.isEmpty() ? target : target + QStringLiteral(" (") + name + QLatin1Char(')');
}

void Launcher::Exe(const QString &program, const QString &parameters, const QString &name,
                   const Outcome &outcome, const Platform::StartOptions &options)
{
    start(program, parameters, subjectOf(program + QLatin1Char(' ') + parameters, name), outcome,
          options);
}

void Launcher::ExecuteWait(const QString &target, const QString &name, const Outcome &outcome,
                           const Platform::StartOptions &options)
{
    if (isWebAddress(target)) {
        m_hooks.http(target, subjectOf(target, name), outcome);
        return;
    }
    start(target, QString(), subjectOf(target, name), outcome, options);
}
