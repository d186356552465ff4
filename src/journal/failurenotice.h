#pragma once

#include <QList>
#include <QString>

// A failure as the desktop's notice tells it: the status, and what failed.
struct FailureToTell
{
    QString status;
    QString subject;
};

// One notice for the failures of one pass, however many: a lone failure's
// status is the summary and its target the body; several are counted in the
// summary ("3 × Fichier inexistant") and listed, the first few, in the body.
struct FailureNotice
{
    static constexpr int kListed = 5;

    QString summary;
    QString body;

    static FailureNotice of(const QList<FailureToTell> &failures);
};
