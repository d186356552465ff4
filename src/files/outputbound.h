#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

// Keeps the output files of running programs from filling the disk where a
// program writes to its file itself (on Windows, or where its relay could
// not start): nothing of ours reads what it writes, and only the first
// bytes are kept once it ends. While it runs, the space of what lies beyond
// them is given back every second; the file's length still counts every
// byte written, for the note at its end.
class OutputBound : public QObject
{
    Q_OBJECT

public:
    explicit OutputBound(qint64 kept, QObject *parent = nullptr);

    void watch(const QString &outputFile);
    void forget(const QString &outputFile);

    // One round over the watched files; the timer calls it.
    void bound();

private:
    // Smaller gains are left for a later round: a slow writer costs a
    // punch now and then, not one every second.
    static constexpr qint64 kWorthFreeing = qint64(64) * 1024;

    const qint64 m_kept;
    // Each file with the length its space is already given back up to.
    QHash<QString, qint64> m_freedUpTo;
    QTimer m_timer;
};
