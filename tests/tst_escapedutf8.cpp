#include "text/escapedutf8.h"

#include <QTest>

namespace {

// The character a byte that starts no well-formed sequence is held as.
QChar held(uchar byte)
{
    return QChar(char16_t(0xdc00 + byte));
}

// Each of the bytes held, as when none of them starts a well-formed sequence.
QString heldEach(const QByteArray &bytes)
{
    QString text;
    for (const char byte : bytes)
        text += held(uchar(byte));
    return text;
}

QString fromUtf16(std::u16string_view units)
{
    return QString(reinterpret_cast<const QChar *>(units.data()), qsizetype(units.size()));
}

} // namespace

class TestEscapedUtf8 : public QObject
{
    Q_OBJECT
private slots:
    void bytesAndText_data();
    void bytesAndText();
};

// `text` is what the bytes decode to and `shown` what a window shows of it;
// a null text leaves only the round trip to check.
void TestEscapedUtf8::bytesAndText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    const QChar fffd = QChar::ReplacementCharacter;
    const QString ascii = QStringLiteral("1|0|/bin/true \"x\"|\r\n");
    QTest::newRow("ascii") << ascii.toLatin1() << ascii << ascii;
    QTest::newRow("two-byte sequence")
        << QByteArray("d\xc3\xa9j\xc3\xa0") << QStringLiteral("déjà") << QStringLiteral("déjà");
    QTest::newRow("three-byte sequence")
        << QByteArray("\xe2\x82\xac") << QStringLiteral("€") << QStringLiteral("€");
    const QString grin = fromUtf16(u"\xd83d\xde00");
    QTest::newRow("four-byte sequence") << QByteArray("\xf0\x9f\x98\x80") << grin << grin;
    const QString highest = fromUtf16(u"\xdbff\xdfff");
    QTest::newRow("highest code point") << QByteArray("\xf4\x8f\xbf\xbf") << highest << highest;
    // U+10080's low surrogate is U+DC80: in a pair it is no held byte.
    const QString pair = fromUtf16(u"\xd800\xdc80");
    QTest::newRow("pair ending in a held value") << QByteArray("\xf0\x90\x82\x80") << pair << pair;
    QTest::newRow("held byte after such a pair")
        << QByteArray("\xf0\x90\x82\x80\x80") << pair + held(0x80) << pair + fffd;
    QTest::newRow("latin-1 byte") << QByteArray("caf\xe9") << QStringLiteral("caf") + held(0xe9)
                                  << QStringLiteral("caf") + fffd;
    QTest::newRow("lone continuation byte")
        << QByteArray("a\x80z") << QStringLiteral("a") + held(0x80) + QLatin1Char('z')
        << QStringLiteral("a") + fffd + QLatin1Char('z');
    QTest::newRow("sequence cut by the end")
        << QByteArray("\xf0\x9f\x98") << heldEach("\xf0\x9f\x98") << QString(3, fffd);
    QTest::newRow("sequence cut by a letter")
        << QByteArray("\xe2\x82x") << heldEach("\xe2\x82") + QLatin1Char('x')
        << QString(2, fffd) + QLatin1Char('x');
    const QByteArray overlong2 = "\xc0\xaf\xc1\xbf";
    QTest::newRow("overlong two-byte forms")
        << overlong2 << heldEach(overlong2) << QString(4, fffd);
    const QByteArray overlong34 = "\xe0\x80\xaf\xf0\x80\x80\xaf";
    QTest::newRow("overlong three- and four-byte forms")
        << overlong34 << heldEach(overlong34) << QString(7, fffd);
    const QByteArray surrogates = "\xed\xa0\x80\xed\xbf\xbf";
    QTest::newRow("encoded surrogates") << surrogates << heldEach(surrogates) << QString(6, fffd);
    const QByteArray tooHigh = "\xf4\x90\x80\x80\xf8\x88\x80\x80\x80";
    QTest::newRow("above U+10FFFF") << tooHigh << heldEach(tooHigh) << QString(9, fffd);

    // Ascending, no two bytes make a sequence: each is ASCII or held.
    QByteArray everyByte;
    QString everyText, everyShown;
    for (int b = 0; b < 256; ++b) {
        everyByte += char(b);
        everyText += b < 0x80 ? QChar(char16_t(b)) : held(uchar(b));
        everyShown += b < 0x80 ? QChar(char16_t(b)) : fffd;
    }
    QTest::newRow("every byte value") << everyByte << everyText << everyShown;
    for (const quint32 seed : {1u, 77u, 4099u}) {
        QByteArray noise;
        quint32 state = seed;
        for (int i = 0; i < 4096; ++i) {
            state = state * 1103515245u + 12345u;
            noise += char(state >> 24);
        }
        QTest::addRow("arbitrary bytes %u", seed) << noise << QString() << QString();
    }
}

void TestEscapedUtf8::bytesAndText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    const QString decoded = EscapedUtf8::decode(bytes);
    const QString display = EscapedUtf8::display(decoded);
    if (!text.isNull()) {
        QCOMPARE(decoded, text);
        QCOMPARE(display, shown);
    }
    QCOMPARE(EscapedUtf8::encode(decoded), bytes);
    // What a window shows is well-formed: no held byte is left in it.
    QCOMPARE(QString::fromUtf8(display.toUtf8()), display);
}

QTEST_GUILESS_MAIN(TestEscapedUtf8)
#include "tst_escapedutf8.moc"
