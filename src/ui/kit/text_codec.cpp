#include "ui/kit/text_codec.h"

#include <QHash>
#include <QStringDecoder>

#include <array>

namespace comtrax {

namespace {

// The code page is single-byte, so the converter is asked once per byte and
// the answers are kept. This also makes '?' for unmappable characters exact:
// Qt's encoder writes 0x1A for them, which is indistinguishable from a real
// SUB character in the output.
struct Cp1251Table {
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, char> fromUnicode;

    Cp1251Table()
    {
        QStringDecoder decoder("windows-1251");
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            const QString s = decoder.decode(QByteArrayView(&byte, 1));
            // The converter maps the code page's one unassigned byte (0x98) to
            // the C1 control of the same value; should a build lack that, keep
            // the byte reachable the same way rather than losing it.
            char16_t u = static_cast<char16_t>(b);
            if (decoder.isValid() && s.size() == 1 && s.at(0) != QChar::ReplacementCharacter)
                u = s.at(0).unicode();
            toUnicode[static_cast<std::size_t>(b)] = u;
            fromUnicode.insert(u, byte);
        }
    }
};

const Cp1251Table& table()
{
    static const Cp1251Table t;
    return t;
}

}  // namespace

QString fromCp1251(const std::string& bytes)
{
    const Cp1251Table& t = table();
    QString out;
    out.resize(static_cast<qsizetype>(bytes.size()));
    QChar* p = out.data();
    for (unsigned char b : bytes)
        *p++ = QChar(t.toUnicode[b]);
    return out;
}

std::string toCp1251(const QString& text)
{
    const Cp1251Table& t = table();
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        // A surrogate pair is one character outside the code page: one '?'.
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        const auto it = t.fromUnicode.constFind(c.unicode());
        out.push_back(it != t.fromUnicode.cend() ? *it : '?');
    }
    return out;
}

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace comtrax
