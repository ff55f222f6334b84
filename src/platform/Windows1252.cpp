#include "platform/Windows1252.h"

namespace Windows1252 {
namespace {
// 0x80..0x9F; the five bytes Windows leaves undefined stand for the same code point.
constexpr char16_t kAltos[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}

QString decodifica(const QByteArray& bytes) {
    QString texto;
    texto.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        texto += QChar(b >= 0x80 && b <= 0x9F ? kAltos[b - 0x80] : static_cast<char16_t>(b));
    }
    return texto;
}

std::optional<QByteArray> codifica(const QString& texto) {
    QByteArray bytes;
    bytes.reserve(texto.size());
    for (const QChar c : texto) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes += static_cast<char>(u);
            continue;
        }
        int b = 0;
        while (b < 32 && kAltos[b] != u) ++b;
        if (b == 32) return std::nullopt;
        bytes += static_cast<char>(0x80 + b);
    }
    return bytes;
}
}
