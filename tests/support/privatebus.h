#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QTest>

// A D-Bus daemon of the test's own, for stand-ins of the desktop's services.
// start() gives its address, or an empty one with the test already failed;
// stop() ends it and drops the connection made under `connectionName`.
class PrivateBus
{
public:
    QByteArray start()
    {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!m_daemon.waitForStarted()) {
            QTest::qFail("dbus-daemon (Debian's dbus) is missing", __FILE__, __LINE__);
            return {};
        }
        while (!m_daemon.canReadLine())
            if (!m_daemon.waitForReadyRead(10000)) {
                QTest::qFail("dbus-daemon gave no address", __FILE__, __LINE__);
                return {};
            }
        return m_daemon.readLine().trimmed();
    }

    void stop(const QString &connectionName)
    {
        QDBusConnection::disconnectFromBus(connectionName);
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

private:
    QProcess m_daemon;
};
