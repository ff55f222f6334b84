#include "platform/ValorNumerico.h"

#include <cmath>

namespace ValorNumerico {

double val(const QString& texto) {
    qsizetype i = 0;
    const qsizetype n = texto.size();
    while (i < n && (texto[i] == QLatin1Char(' ') || texto[i] == QLatin1Char('\t'))) ++i;
    QString numero;
    if (i < n && (texto[i] == QLatin1Char('-') || texto[i] == QLatin1Char('+'))) numero += texto[i++];
    bool punto = false, digitos = false;
    for (; i < n; ++i) {
        const QChar c = texto[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            numero += c;
            digitos = true;
        } else if (c == QLatin1Char('.') && !punto) {
            numero += c;
            punto = true;
        } else {
            break;
        }
    }
    if (!digitos) return 0.0;
    bool ok = false;
    const double v = numero.toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

std::optional<std::int16_t> entero16(const QString& texto) {
    bool ok = false;
    const int v = texto.trimmed().toInt(&ok);
    if (!ok || v < INT16_MIN || v > INT16_MAX) return std::nullopt;
    return static_cast<std::int16_t>(v);
}
}
