#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTemporaryDir>

#include <functional>

// A program directory of its own for one test: a temporary folder, given
// with the trailing separator the program expects.
class TestProgramDir
{
public:
    TestProgramDir();
    bool isValid() const { return m_dir.isValid(); }
    QString path() const; // with trailing separator
    QString file(const QString &name) const { return path() + name; }

    void write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const;
    // Sets a file's last-write time, as an editor saving later would.
    static void setModified(const QString &path, const QDateTime &time);

private:
    QTemporaryDir m_dir;
};

// Runs `work` where permissions bind: in place for an ordinary user; as root
// (which passes every permission check, as CI runs), in a child process that
// has become the user "nobody". Returns what `work` returned.
bool asUnprivilegedUser(const std::function<bool()> &work);
// Hands a folder and what it holds to that user, so that it may work there.
void giveToUnprivilegedUser(const QString &path);

// A clock the test moves by hand.
class FakeClock
{
public:
    explicit FakeClock(QDateTime now) : m_now(std::move(now)) {}
    QDateTime now() const { return m_now; }
    void set(const QDateTime &now) { m_now = now; }
    void advance(qint64 seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now;
};
