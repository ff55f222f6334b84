#include "sync/TextoDecimal.h"

#include "servicelib/ValorEntero.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace {
std::optional<QString> deDoble(double d) {
    if (!std::isfinite(d)) return std::nullopt;
    if (d == 0) return QStringLiteral("0");
    // The shortest text that reads back as the same double, never in exponent form.
    return QString::number(d, 'f', QLocale::FloatingPointShortest);
}

// Works on the digits themselves, so a DECIMAL keeps every digit a double would round.
std::optional<QString> deTexto(const QString& texto) {
    static const QRegularExpression decimal(QStringLiteral("^([+-]?)([0-9]*)(?:\\.([0-9]*))?$"));
    const QString t = texto.trimmed();
    const QRegularExpressionMatch m = decimal.match(t);
    if (!m.hasMatch()) {
        bool ok = false;  // exponent forms such as 1.5e3
        const double d = t.toDouble(&ok);
        return ok ? deDoble(d) : std::nullopt;
    }
    QString entero = m.captured(2), fraccion = m.captured(3);
    if (entero.isEmpty() && fraccion.isEmpty()) return std::nullopt;
    while (entero.size() > 1 && entero.front() == QLatin1Char('0')) entero.remove(0, 1);
    if (entero.isEmpty()) entero = QStringLiteral("0");
    while (!fraccion.isEmpty() && fraccion.back() == QLatin1Char('0')) fraccion.chop(1);
    QString salida = entero;
    if (!fraccion.isEmpty()) salida += QLatin1Char('.') + fraccion;
    if (m.captured(1) == QStringLiteral("-") && salida != QStringLiteral("0")) salida.prepend(QLatin1Char('-'));
    return salida;
}
}

std::optional<QString> TextoDecimal(const QVariant& valor) {
    if (valor.isNull()) return std::nullopt;
    if (EsEntero(valor)) return valor.toString();
    if (valor.typeId() == QMetaType::Double || valor.typeId() == QMetaType::Float) return deDoble(valor.toDouble());
    return deTexto(valor.toString());
}

bool MayorQueCero(const QString& decimal) {
    return !decimal.startsWith(QLatin1Char('-')) && decimal != QStringLiteral("0");
}
