#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// TScruteDossier: walks a folder tree depth-first, in pre-order, and reports
// each file matching one of its patterns and each subfolder it meets.
// Pending events are delivered during the walk, so the window stays alive;
// a walk started from inside another works on its own copy of the settings.
class TScruteDossier
{
public:
    using TScruteEvent = std::function<void(TScruteDossier &sender, const QString &Nom)>;
    using TNotifyEvent = std::function<void(TScruteDossier &sender)>;

    QString Dossier = QStringLiteral("c:\\");
    // Patterns separated by ";", with the platform's wildcards.
    QString Filtre = QStringLiteral("*.*");
    bool SousDossier = true;
    // Deepest level entered, Dossier being 0; negative means no limit.
    int MaxPenetration = 10000;

    TScruteEvent OnFichier;
    TScruteEvent OnDossier;
    TNotifyEvent OnExecute;
    TNotifyEvent OnFinExecute;
    // Lets the window system deliver pending messages.
    std::function<void()> processMessages;

    void Execute();

private:
    struct Walk
    {
        QStringList patterns;
        bool descend;
        int maxLevel;
    };
    void ParcourirDossier(const Walk &walk, QString folder, int level);
    void ListerFichiers(const Walk &walk, const QString &folder);
    void pump();
};
