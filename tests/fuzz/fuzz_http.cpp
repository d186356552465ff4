// A server's reply, in any cutting of its bytes, and any address turned into
// a request: no control character or blank reaches the request head outside
// its fixed text; a status line shown is clean.
#include "files/runtimeerror.h"
#include "runner/httpclient.h"
#include "runner/httpreplyreader.h"
#include "runner/httprequest.h"

#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkRequest(const QString &url)
{
    HttpAddress address;
    try {
        address = parseHttpAddress(url);
    } catch (const EConvertError &) {
        return; // a port that is not a number: the task raises, nothing is sent
    }
    if (!isPlausibleHost(address.host))
        return; // the client sends nothing
    const QByteArray head = buildHttpRequest(address);
    const QList<QByteArray> lines = head.split('\n');
    check(lines.size() == 7 && lines.last().isEmpty() && lines.at(5) == "\r");
    check(lines.at(0).startsWith("GET /") && lines.at(0).endsWith(" HTTP/1.1\r"));
    const QByteArray target = lines.at(0).mid(4, lines.at(0).size() - 4 - 10);
    const QByteArray host = lines.at(2).mid(6, lines.at(2).size() - 7);
    check(lines.at(2).startsWith("Host: "));
    for (const QByteArray &free : {target, host}) {
        for (const char c : free)
            check(static_cast<unsigned char>(c) > 0x20 && c != 0x7f);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    checkRequest(QString::fromUtf8(bytes));
    checkRequest(QStringLiteral("http://") + QString::fromLatin1(bytes));

    // The same reply whole and cut at every 7th byte must read the same.
    HttpReplyReader whole, cut;
    whole.feed(bytes);
    for (qsizetype at = 0; at < bytes.size(); at += 7)
        cut.feed(bytes.mid(at, 7));
    check(whole.hasHead() == cut.hasHead() && whole.finished() == cut.finished());
    check(whole.head().statusLine == cut.head().statusLine);
    check(whole.head().statusLine.size() <= HttpReplyReader::kLongestLine);
    whole.endOfStream();
    check(whole.finished() || whole.closedBeforeHead());
    const QString shown = cleanStatusLine(whole.head().statusLine);
    check(shown.size() <= 256);
    for (const QChar c : shown)
        check(c.unicode() >= 0x20 && c.unicode() != 0x7f);
    return 0;
}
