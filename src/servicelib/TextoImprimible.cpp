#include "servicelib/TextoImprimible.h"

namespace {

// Characters that change how a terminal or a text viewer lays out what follows.
bool esControl(char16_t c) {
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029 || (c >= 0x202a && c <= 0x202e) ||
           (c >= 0x2066 && c <= 0x2069);
}

}

QString TextoImprimible(const QString& texto) {
    QString r;
    r.reserve(texto.size());
    for (const QChar q : texto) {
        const char16_t c = q.unicode();
        if (!esControl(c)) {
            r += q;
        } else if (c == u'\n') {
            r += QLatin1String("\\n");
        } else if (c == u'\r') {
            r += QLatin1String("\\r");
        } else if (c == u'\t') {
            r += QLatin1String("\\t");
        } else if (c <= 0xff) {
            r += QStringLiteral("\\x%1").arg(static_cast<int>(c), 2, 16, QLatin1Char('0'));
        } else {
            r += QStringLiteral("\\u%1").arg(static_cast<int>(c), 4, 16, QLatin1Char('0'));
        }
    }
    return r;
}
