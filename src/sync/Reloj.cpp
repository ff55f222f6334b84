#include "sync/Reloj.h"

namespace Reloj {
namespace {
Fuente& actual() {
    static Fuente f;
    return f;
}

// The classic format letters in Qt's terms: m month, n minute, h hour of 24.
QString formatoQt(const QString& clasico) {
    QString qt;
    qt.reserve(clasico.size());
    for (const QChar c : clasico) {
        if (c == QLatin1Char('m')) qt += QLatin1Char('M');
        else if (c == QLatin1Char('n')) qt += QLatin1Char('m');
        else if (c == QLatin1Char('h')) qt += QLatin1Char('H');
        else qt += c;
    }
    return qt;
}
}

Fuente fijar(Fuente fuente) {
    Fuente anterior = std::move(actual());
    actual() = std::move(fuente);
    return anterior;
}

QDateTime ahora() { return actual() ? actual()() : QDateTime::currentDateTime(); }

QString texto(const QString& formato) { return ahora().toString(formatoQt(formato)); }

Fecha fecha(const QString& formato) {
    const QDateTime t = ahora();
    return {t.toString(formatoQt(formato)), t.toUTC().toString(formatoQt(formato))};
}
}
