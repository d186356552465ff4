#include "httprequest.h"

#include "files/runtimeerror.h"
#include "platform/platform.h"
#include "runner/duerules.h"

#include <QUrl>

HttpAddress parseHttpAddress(const QString &url)
{
    QString rest = url;
    rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
    HttpAddress address;
    const qsizetype schemeEnd = rest.indexOf(QLatin1String("://"));
    if (schemeEnd >= 0) {
        address.scheme = rest.left(schemeEnd);
        rest = rest.mid(schemeEnd + 3);
    }
    const qsizetype fragment = rest.indexOf(QLatin1Char('#'));
    if (fragment >= 0)
        rest.truncate(fragment);

    qsizetype authorityEnd = rest.size();
    for (const QChar c : {QLatin1Char('/'), QLatin1Char('?')}) {
        const qsizetype at = rest.indexOf(c);
        if (at >= 0 && at < authorityEnd)
            authorityEnd = at;
    }
    QString authority = rest.left(authorityEnd);
    address.target = rest.mid(authorityEnd);
    if (!address.target.startsWith(QLatin1Char('/')))
        address.target.prepend(QLatin1Char('/'));

    const qsizetype credentials = authority.lastIndexOf(QLatin1Char('@'));
    if (credentials >= 0)
        authority = authority.mid(credentials + 1);

    const qsizetype bracket = authority.startsWith(QLatin1Char('[')) ? authority.indexOf(']') : -1;
    const qsizetype colon = authority.indexOf(QLatin1Char(':'), bracket < 0 ? 0 : bracket);
    address.host = colon >= 0 ? authority.left(colon) : authority;
    if (colon >= 0) {
        const QString portText = authority.mid(colon + 1);
        const int port = StrToInt(portText);
        if (port < 0 || port > 65535)
            throw EConvertError(
                QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(portText));
        address.port = port;
    }
    if (colon < 0 && address.secure())
        address.port = 443;
    address.connectHost = address.host;
    if (bracket > 0)
        address.connectHost = address.host.mid(1, bracket - 1);
    return address;
}

bool isPlausibleHost(const QString &host)
{
    if (host.isEmpty())
        return false;
    for (const QChar c : host) {
        if (c.unicode() <= 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

namespace {

// The Host header names the site as the name was looked up and sent in the
// TLS handshake: a name with letters beyond ASCII in its ACE form, or the
// server answers with its default site. ASCII names go as written.
QByteArray hostHeaderName(const QString &host)
{
    for (const QChar c : host) {
        if (c.unicode() >= 0x80) {
            const QByteArray ace = QUrl::toAce(host);
            return ace.isEmpty() ? host.toUtf8() : ace;
        }
    }
    return host.toLatin1();
}

} // namespace

QByteArray buildHttpRequest(const HttpAddress &address)
{
    QByteArray host = hostHeaderName(address.host);
    if (address.port != (address.secure() ? 443 : 80))
        host += ':' + QByteArray::number(address.port);
    // Blanks, controls and non-ASCII characters go as UTF-8 percent escapes;
    // everything else, escapes already written included, as written.
    QByteArray target;
    for (const char c : Platform::encodeText(address.target)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7f || c == '"' || c == '<' || c == '>')
            target += '%' + QByteArray::number(byte, 16).toUpper().rightJustified(2, '0');
        else
            target += c;
    }
    return "GET " + target + " HTTP/1.1\r\n"
           "Content-Type: text/html\r\n"
           "Host: " + host + "\r\n"
           "Accept: text/html, */*\r\n"
           "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
           "\r\n";
}
