#pragma once

#include <QAbstractSocket>
#include <QString>

// The Windows Sockets number of a socket error.
int windowsSocketsError(QAbstractSocket::SocketError error);

// "Erreur de socket # " + number, CR LF, then the error's description, as
// the history and the journal show a network error on every platform.
QString socketErrorText(QAbstractSocket::SocketError error, const QString &fallbackDescription);
