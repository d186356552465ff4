#include "outputbound.h"

#include "platform/platform.h"

#include <QFileInfo>

#include <limits>

OutputBound::OutputBound(qint64 kept, QObject *parent) : QObject(parent), m_kept(kept)
{
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &OutputBound::bound);
}

void OutputBound::watch(const QString &outputFile)
{
    m_freedUpTo.insert(outputFile, m_kept);
    if (!m_timer.isActive())
        m_timer.start();
}

void OutputBound::forget(const QString &outputFile)
{
    m_freedUpTo.remove(outputFile);
    if (m_freedUpTo.isEmpty())
        m_timer.stop();
}

void OutputBound::bound()
{
    for (auto file = m_freedUpTo.begin(); file != m_freedUpTo.end(); ++file) {
        // One stat a file and a round: most runs never pass what is kept.
        if (QFileInfo(file.key()).size() - file.value() < kWorthFreeing)
            continue;
        const qint64 freed = Platform::freeFileSpace(file.key(), file.value());
        // A file system that cannot is not asked again for this run: its
        // end still cuts the file.
        file.value() = freed >= 0 ? freed : std::numeric_limits<qint64>::max();
    }
}
