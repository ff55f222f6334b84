#include "sync/Reloj.h"

#include <QTimeZone>

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

QString texto(const QString& formato, int horasMas) {
    const QDateTime local = ahora();
    // Taken as a plain reading: adding to a UTC value never skips or repeats an hour.
    const QDateTime lectura(local.date(), local.time(), QTimeZone::utc());
    return lectura.addSecs(horasMas * 3600).toString(formatoQt(formato));
}
}
