#include "sync/SlugWordPress.h"

#include <algorithm>

#include <QHash>
#include <QRegularExpression>

namespace SlugWordPress {
namespace {
const qsizetype kLargo = 200;

// Letters that Unicode does not decompose into a base letter and a mark.
const QHash<QChar, QString>& especiales() {
    static const QHash<QChar, QString> t{
        {QChar(0x00DF), QStringLiteral("ss")}, {QChar(0x00C6), QStringLiteral("AE")},
        {QChar(0x00E6), QStringLiteral("ae")}, {QChar(0x0152), QStringLiteral("OE")},
        {QChar(0x0153), QStringLiteral("oe")}, {QChar(0x00D8), QStringLiteral("O")},
        {QChar(0x00F8), QStringLiteral("o")},  {QChar(0x0110), QStringLiteral("D")},
        {QChar(0x0111), QStringLiteral("d")},  {QChar(0x00D0), QStringLiteral("D")},
        {QChar(0x00F0), QStringLiteral("d")},  {QChar(0x0141), QStringLiteral("L")},
        {QChar(0x0142), QStringLiteral("l")},  {QChar(0x00DE), QStringLiteral("TH")},
        {QChar(0x00FE), QStringLiteral("th")}, {QChar(0x0131), QStringLiteral("i")},
        {QChar(0x0138), QStringLiteral("k")},  {QChar(0x014A), QStringLiteral("N")},
        {QChar(0x014B), QStringLiteral("n")},  {QChar(0x0149), QStringLiteral("n")},
        {QChar(0x017F), QStringLiteral("s")},  {QChar(0x00D7), QStringLiteral("x")},
    };
    return t;
}

bool guion(QChar c) {
    const char16_t u = c.unicode();
    return c == QLatin1Char('/') || c == QLatin1Char('.') || u == 0x00A0 || u == 0x2013 || u == 0x2014 ||
           (u >= 0x2000 && u <= 0x200A) || u == 0x2028 || u == 0x2029 || u == 0x202F || u == 0x205F ||
           u == 0x3000;
}

QString doblaAcentos(const QString& texto) {
    QString salida;
    for (const QChar c : texto) {
        const auto it = especiales().constFind(c);
        if (it != especiales().constEnd()) salida += *it;
        else salida += c;
    }
    const QString separado = salida.normalized(QString::NormalizationForm_KD);
    salida.clear();
    for (const QChar c : separado)
        if (c.category() != QChar::Mark_NonSpacing) salida += c;
    return salida;
}
}

QString sanitiza(const QString& titulo) {
    static const QRegularExpression etiquetas(QStringLiteral("<[^>]*>"));
    static const QRegularExpression entidades(QStringLiteral("&.+?;"));
    static const QRegularExpression blancos(QStringLiteral(" +"));
    static const QRegularExpression guiones(QStringLiteral("-+"));

    QString t = titulo;
    t.remove(etiquetas);
    t = doblaAcentos(t);
    for (QChar& c : t)
        if (guion(c)) c = QLatin1Char('-');
    t = t.toLower();
    t.remove(entidades);

    QString limpio;
    for (const QChar c : t) {
        const char16_t u = c.unicode();
        if ((u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_' || u == '-' || u == ' ') limpio += c;
    }
    limpio.replace(blancos, QStringLiteral("-"));
    limpio.replace(guiones, QStringLiteral("-"));
    limpio = limpio.left(kLargo);
    while (limpio.startsWith(QLatin1Char('-'))) limpio.remove(0, 1);
    while (limpio.endsWith(QLatin1Char('-'))) limpio.chop(1);
    return limpio;
}

QString unico(const QString& base, const QSet<QString>& ocupados, int* desde) {
    static const QSet<QString> reservados{QStringLiteral("feed"), QStringLiteral("rdf"), QStringLiteral("rss"),
                                          QStringLiteral("rss2"), QStringLiteral("atom"), QStringLiteral("embed")};
    if (!ocupados.contains(base) && !reservados.contains(base)) return base;
    for (int sufijo = desde ? std::max(2, *desde) : 2;; ++sufijo) {
        const QString cola = QLatin1Char('-') + QString::number(sufijo);
        QString corto = base.left(kLargo - cola.size());
        while (corto.endsWith(QLatin1Char('-'))) corto.chop(1);
        const QString candidato = corto + cola;
        if (!ocupados.contains(candidato)) {
            if (desde) *desde = sufijo + 1;
            return candidato;
        }
    }
}
}
