#include "launcher.h"

#include "journal/errorboundary.h"
#include "journal/eventrecorder.h"

#include <QFileInfo>

#include <memory>

namespace {
const QString kMissing = QStringLiteral("Fichier inexistant");
const QString kRefused = QStringLiteral("Lancement impossible");
} // namespace

Launcher::Launcher(EventRecorder &events, Hooks hooks) : m_events(events), m_hooks(std::move(hooks))
{
}

bool Launcher::targetExists(const QString &path)
{
    return Platform::isRegularFile(path);
}

void Launcher::start(const QString &path, const QString &parameters, const QString &detail)
{
    if (!targetExists(path)) {
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
    m_hooks.open(path, parameters, [this, detail, inCall](const Platform::TargetEvent &event) {
        // Within the call an error belongs to the pass, which records it and
        // goes on; later it leaves an event handler and must be recorded here.
        if (*inCall)
            record(event, detail);
        else
            ErrorBoundary::run([&] { record(event, detail); });
    });
}

void Launcher::record(const Platform::TargetEvent &event, const QString &detail)
{
    switch (event.kind) {
    case Platform::TargetEvent::Started:
        m_events.recordStart(detail);
        break;
    case Platform::TargetEvent::Refused:
        m_events.recordFailure(kRefused, detail);
        break;
    case Platform::TargetEvent::Exited:
        // A healthy end writes nothing: the journal of a good day stays as it was.
        if (event.number != 0)
            m_events.recordFailure(QStringLiteral("Terminé (code %1)").arg(event.number), detail);
        break;
    case Platform::TargetEvent::Killed:
        m_events.recordFailure(QStringLiteral("Terminé (signal %1)").arg(event.number), detail);
        break;
    }
}

QString Launcher::subjectOf(const QString &target, const QString &name)
{
    return name.isEmpty() ? target : target + QStringLiteral(" (") + name + QLatin1Char(')');
}

void Launcher::Exe(const QString &program, const QString &parameters, const QString &name)
{
    start(program, parameters, subjectOf(program + QLatin1Char(' ') + parameters, name));
}

void Launcher::ExecuteWait(const QString &target, const QString &name)
{
    if (target.contains(QLatin1String("http://")) || target.contains(QLatin1String("https://"))) {
        m_hooks.http(target, subjectOf(target, name));
        return;
    }
    start(target, QString(), subjectOf(target, name));
}
