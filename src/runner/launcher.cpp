#include "launcher.h"

#include "journal/eventrecorder.h"

#include <QFileInfo>

namespace {
const QString kMissing = QStringLiteral("Fichier inexistant");
}

Launcher::Launcher(EventRecorder &events, Hooks hooks) : m_events(events), m_hooks(std::move(hooks))
{
}

bool Launcher::targetExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

void Launcher::start(const QString &path, const QString &parameters, const QString &detail)
{
    if (!targetExists(path)) {
        // The missing path pumps no messages.
        m_events.recordFailure(kMissing, detail);
        return;
    }
    m_hooks.open(path, parameters);
    m_events.recordStart(detail);
    m_hooks.pumpMessages();
}

void Launcher::Exe(const QString &program, const QString &parameters)
{
    start(program, parameters, program + QLatin1Char(' ') + parameters);
}

void Launcher::ExecuteWait(const QString &target)
{
    if (target.contains(QLatin1String("http://"))) {
        m_hooks.http(target);
        return;
    }
    start(target, QString(), target);
}
