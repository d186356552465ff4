#include "Scrute.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString withoutTrailingSeparator(QString folder)
{
    if (folder.endsWith(QDir::separator()) || folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

} // namespace

void TScruteDossier::pump()
{
    if (processMessages)
        processMessages();
}

void TScruteDossier::Execute()
{
    if (OnExecute)
        OnExecute(*this);
    // Copied now: a handler may change the properties, or start another walk,
    // while this one goes on.
    const Walk walk{Filtre.split(QLatin1Char(';'), Qt::SkipEmptyParts), SousDossier,
                    MaxPenetration};
    ParcourirDossier(walk, Dossier, 0);
    if (OnFinExecute)
        OnFinExecute(*this);
}

void TScruteDossier::ParcourirDossier(const Walk &walk, QString folder, int level)
{
    if (walk.maxLevel >= 0 && level > walk.maxLevel)
        return;
    folder = withoutTrailingSeparator(folder);
    ListerFichiers(walk, folder);

    const QDir dir(folder.isEmpty() ? QString(QDir::separator()) : folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                          QDir::Unsorted);
    for (const QFileInfo &entry : entries) {
        // The system filter also lists pipes, sockets and dangling links:
        // only folders (or links to folders) are folders.
        if (!entry.isDir())
            continue;
        const QString path = folder + QDir::separator() + entry.fileName();
        if (OnDossier)
            OnDossier(*this, path);
        // A link to a folder is reported, never followed: a loop of links
        // would otherwise walk for ever.
        if (walk.descend && !entry.isSymLink())
            ParcourirDossier(walk, path, level + 1);
        pump();
    }
}

void TScruteDossier::ListerFichiers(const Walk &walk, const QString &folder)
{
    const QDir dir(folder.isEmpty() ? QString(QDir::separator()) : folder);
    for (const QString &pattern : walk.patterns) {
        const QFileInfoList entries =
            dir.entryInfoList({pattern}, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                                             QDir::System | QDir::CaseSensitive,
                              QDir::Unsorted);
        for (const QFileInfo &entry : entries) {
            pump();
            if (!entry.isDir() && OnFichier)
                OnFichier(*this, folder + QDir::separator() + entry.fileName());
        }
    }
}
