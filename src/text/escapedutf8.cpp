#include "escapedutf8.h"

namespace EscapedUtf8 {

QString decode(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const uchar *const end = p + bytes.size();
    while (p < end) {
        const uchar lead = *p;
        if (lead < 0x80) {
            text += QChar(lead);
            ++p;
            continue;
        }
        int length = 0;
        char32_t code = 0, least = 0;
        if ((lead & 0xe0) == 0xc0) {
            length = 2, code = lead & 0x1f, least = 0x80;
        } else if ((lead & 0xf0) == 0xe0) {
            length = 3, code = lead & 0x0f, least = 0x800;
        } else if ((lead & 0xf8) == 0xf0) {
            length = 4, code = lead & 0x07, least = 0x10000;
        }
        bool wellFormed = length > 0 && end - p >= length;
        for (int i = 1; wellFormed && i < length; ++i) {
            wellFormed = (p[i] & 0xc0) == 0x80;
            code = (code << 6) | (p[i] & 0x3f);
        }
        // Overlong forms and encoded surrogates would not come back the same.
        wellFormed = wellFormed && code >= least && code <= 0x10ffff &&
                     !(code >= 0xd800 && code <= 0xdfff);
        if (!wellFormed) {
            text += QChar(char16_t(0xdc00 + lead));
            ++p;
            continue;
        }
        if (QChar::requiresSurrogates(code)) {
            text += QChar(QChar::highSurrogate(code));
            text += QChar(QChar::lowSurrogate(code));
        } else {
            text += QChar(char16_t(code));
        }
        p += length;
    }
    return text;
}

namespace {
bool isHeldByte(const QString &text, qsizetype i)
{
    const char16_t c = text.at(i).unicode();
    return c >= 0xdc80 && c <= 0xdcff && (i == 0 || !text.at(i - 1).isHighSurrogate());
}
} // namespace

QByteArray encode(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isHeldByte(text, i))
            continue;
        bytes += QStringView(text).mid(run, i - run).toUtf8();
        bytes += char(text.at(i).unicode() - 0xdc00);
        run = i + 1;
    }
    bytes += QStringView(text).mid(run).toUtf8();
    return bytes;
}

QString display(const QString &text)
{
    QString shown = text;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (isHeldByte(text, i))
            shown[i] = QChar::ReplacementCharacter;
    }
    return shown;
}

} // namespace EscapedUtf8
