#pragma once

#include <QList>
#include <QSslCertificate>

// The authorities a user trusts beside the system's store, as OpenSSL-based
// tools take them: the certificates of the file SSL_CERT_FILE names and of
// the folders SSL_CERT_DIR lists (separated by ':'), in PEM. A user may so
// trust a private authority without root.
QList<QSslCertificate> userTrustedAuthorities();
