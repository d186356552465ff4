#include "socketerrortext.h"

namespace {

struct Entry
{
    QAbstractSocket::SocketError error;
    int number;
    const char *description;
};

// clang-format off
const Entry kEntries[] = {
    {QAbstractSocket::HostNotFoundError, 11001, "Hôte non trouvé."},
    {QAbstractSocket::ConnectionRefusedError, 10061, "Connexion refusée."},
    {QAbstractSocket::RemoteHostClosedError, 10054, "Connexion réinitialisée par le correspondant."},
    {QAbstractSocket::SocketAccessError, 10013, "Autorisation refusée."},
    {QAbstractSocket::SocketResourceError, 10055, "Aucun espace de tampon disponible."},
    {QAbstractSocket::SocketTimeoutError, 10060, "Délai d'attente de connexion dépassé."},
    {QAbstractSocket::NetworkError, 10051, "Le réseau est inaccessible."},
    {QAbstractSocket::AddressInUseError, 10048, "Adresse déjà utilisée."},
    {QAbstractSocket::SocketAddressNotAvailableError, 10049, "Impossible d'attribuer l'adresse demandée."},
    {QAbstractSocket::UnsupportedSocketOperationError, 10047, "Famille d'adresses non prise en charge par le protocole."},
    {QAbstractSocket::DatagramTooLargeError, 10040, "Message trop long."},
};
// clang-format on

const Entry *find(QAbstractSocket::SocketError error)
{
    for (const Entry &entry : kEntries) {
        if (entry.error == error)
            return &entry;
    }
    return nullptr;
}

} // namespace

int windowsSocketsError(QAbstractSocket::SocketError error)
{
    const Entry *entry = find(error);
    // WSASYSCALLFAILURE: what Windows reports when no better number applies.
    return entry ? entry->number : 10107;
}

QString socketErrorText(QAbstractSocket::SocketError error, const QString &fallbackDescription)
{
    const Entry *entry = find(error);
    const QString description =
        entry ? QString::fromUtf8(entry->description) : fallbackDescription;
    return QStringLiteral("Erreur de socket # %1\r\n%2").arg(windowsSocketsError(error)).arg(description);
}
