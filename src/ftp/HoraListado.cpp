#include "ftp/HoraListado.h"

#include <QRegularExpression>
#include <QTimeZone>

namespace HoraListado {
namespace {

int mesDe(const QString& nombre) {
    static const QStringList meses = {
        QStringLiteral("jan"), QStringLiteral("feb"), QStringLiteral("mar"), QStringLiteral("apr"),
        QStringLiteral("may"), QStringLiteral("jun"), QStringLiteral("jul"), QStringLiteral("aug"),
        QStringLiteral("sep"), QStringLiteral("oct"), QStringLiteral("nov"), QStringLiteral("dec")};
    return static_cast<int>(meses.indexOf(nombre.toLower())) + 1;  // 0 when unknown
}

QDateTime utc(const QDate& fecha, const QTime& hora) {
    if (!fecha.isValid() || !hora.isValid()) return {};
    return QDateTime(fecha, hora, QTimeZone::utc());
}

}

QDateTime interpreta(const QString& texto, const QDateTime& ahora) {
    static const QRegularExpression formaUnix(
        QStringLiteral("^([A-Za-z]{3})\\s+(\\d{1,2})\\s+(?:(\\d{1,2}):(\\d{2})|(\\d{4}))$"));
    static const QRegularExpression dos(
        QStringLiteral("^(\\d{2})-(\\d{2})-(\\d{2}|\\d{4})\\s+(\\d{1,2}):(\\d{2})\\s*([AaPp][Mm])?$"));
    const QString t = texto.trimmed();

    if (const auto m = formaUnix.match(t); m.hasMatch()) {
        const int mes = mesDe(m.captured(1));
        const int dia = m.captured(2).toInt();
        if (mes == 0) return {};
        if (!m.captured(5).isEmpty()) return utc(QDate(m.captured(5).toInt(), mes, dia), QTime(0, 0));
        const QTime hora(m.captured(3).toInt(), m.captured(4).toInt());
        const QDateTime limite = ahora.toUTC().addDays(1);
        // Servers leave the year out for recent entries only, so the entry is in this year or the last.
        for (int anio = limite.date().year(); anio >= limite.date().year() - 1; --anio) {
            const QDateTime candidato = utc(QDate(anio, mes, dia), hora);
            if (candidato.isValid() && candidato <= limite) return candidato;
        }
        return {};
    }
    if (const auto m = dos.match(t); m.hasMatch()) {
        int anio = m.captured(3).toInt();
        if (m.captured(3).size() == 2) anio += anio < 70 ? 2000 : 1900;
        int hora = m.captured(4).toInt();
        const QString ampm = m.captured(6).toUpper();
        if (!ampm.isEmpty()) {
            if (hora < 1 || hora > 12) return {};
            hora = hora % 12 + (ampm == QLatin1String("PM") ? 12 : 0);
        }
        return utc(QDate(anio, m.captured(1).toInt(), m.captured(2).toInt()), QTime(hora, m.captured(5).toInt()));
    }
    return {};
}

double diasDesde1899(const QDateTime& momento) {
    const QDateTime local = momento.toLocalTime();
    return static_cast<double>(QDate(1899, 12, 30).daysTo(local.date())) +
           local.time().msecsSinceStartOfDay() / 86400000.0;
}

}
