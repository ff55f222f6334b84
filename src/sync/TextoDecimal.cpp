#include "sync/TextoDecimal.h"

#include "servicelib/ValorEntero.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
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

// Groups of exactly three digits after the first (of one to three) between `sep`.
bool agrupado(const QString& entero, QChar sep) {
    const QStringList g = entero.split(sep);
    if (g.size() < 2 || g[0].isEmpty() || g[0].size() > 3) return false;
    for (qsizetype i = 0; i < g.size(); ++i) {
        for (const QChar c : g[i])
            if (!c.isDigit()) return false;
        if (i > 0 && g[i].size() != 3) return false;
    }
    return true;
}

// "1.234,56" -> "1234.56"; nothing when the separators leave it ambiguous or malformed.
std::optional<QString> sinAgrupar(const QString& t) {
    const qsizetype comas = t.count(QLatin1Char(',')), puntos = t.count(QLatin1Char('.'));
    if (comas == 0) {
        if (puntos <= 1) return t;
        return agrupado(t, QLatin1Char('.')) ? std::optional(QString(t).remove(QLatin1Char('.'))) : std::nullopt;
    }
    if (puntos == 0) {
        if (comas > 1) return agrupado(t, QLatin1Char(',')) ? std::optional(QString(t).remove(QLatin1Char(','))) : std::nullopt;
        const qsizetype c = t.indexOf(QLatin1Char(','));
        // "1,234": thousands or decimals? ("0,125" can only be decimals.)
        if (t.size() - c - 1 == 3 && c > 0 && t.left(c).toLongLong() != 0) return std::nullopt;
        return QString(t).replace(QLatin1Char(','), QLatin1Char('.'));
    }
    // Both: the last one is the decimal separator, the other groups the whole part.
    const qsizetype ultimaComa = t.lastIndexOf(QLatin1Char(',')), ultimoPunto = t.lastIndexOf(QLatin1Char('.'));
    const QChar decimal = ultimaComa > ultimoPunto ? QLatin1Char(',') : QLatin1Char('.');
    const QChar grupo = decimal == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(',');
    const qsizetype corte = std::max(ultimaComa, ultimoPunto);
    if (t.count(decimal) != 1) return std::nullopt;
    const QString entero = t.left(corte), fraccion = t.mid(corte + 1);
    if (!agrupado(entero, grupo)) return std::nullopt;
    return QString(entero).remove(grupo) + QLatin1Char('.') + fraccion;
}
}

LecturaDecimal LeeDecimal(const QVariant& valor) {
    if (valor.isNull()) return {};
    if (valor.typeId() != QMetaType::QString && valor.typeId() != QMetaType::QByteArray) {
        LecturaDecimal l{TextoDecimal(valor), false};
        l.ilegible = !l.texto;
        return l;
    }
    QString t = valor.toString().trimmed();
    if (t.isEmpty()) return {std::nullopt, true};
    // A currency sign (or code) and blanks around the number.
    while (!t.isEmpty() && (t.front().category() == QChar::Symbol_Currency || t.front().isSpace() || t.front().isLetter()))
        t.remove(0, 1);
    while (!t.isEmpty() && (t.back().category() == QChar::Symbol_Currency || t.back().isSpace() || t.back().isLetter()))
        t.chop(1);
    if (t.contains(QLatin1Char('e')) || t.contains(QLatin1Char('E'))) return {deTexto(t), !deTexto(t)};
    QString signo;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        signo = t.left(1);
        t = t.mid(1).trimmed();
    }
    const std::optional<QString> plano = sinAgrupar(t);
    if (!plano) return {std::nullopt, true};
    const std::optional<QString> d = deTexto(signo + *plano);
    return {d, !d};
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
