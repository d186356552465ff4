#include "trustedauthorities.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>

namespace {

QList<QSslCertificate> read(const QString &file, const QString &folders)
{
    QList<QSslCertificate> certificates;
    if (!file.isEmpty() && QFileInfo(file).isFile())
        certificates << QSslCertificate::fromPath(file, QSsl::Pem, QSslCertificate::PatternSyntax::FixedString);
    for (const QString &folder : folders.split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
        const QDir dir(folder);
        for (const QFileInfo &entry : dir.entryInfoList(QDir::Files | QDir::Readable))
            certificates << QSslCertificate::fromPath(entry.filePath(), QSsl::Pem,
                                                      QSslCertificate::PatternSyntax::FixedString);
    }
    return certificates;
}

} // namespace

QList<QSslCertificate> userTrustedAuthorities()
{
    // Read again only when the variables change, not for every request.
    static QMutex mutex;
    static QString readFile, readFolders;
    static QList<QSslCertificate> cached;
    const QString file = qEnvironmentVariable("SSL_CERT_FILE");
    const QString folders = qEnvironmentVariable("SSL_CERT_DIR");
    const QMutexLocker lock(&mutex);
    if (file != readFile || folders != readFolders || (cached.isEmpty() && !(file + folders).isEmpty())) {
        cached = read(file, folders);
        readFile = file;
        readFolders = folders;
    }
    return cached;
}
