#pragma once
#include <QDateTime>
#include <QString>
#include <functional>

// The clock the send run writes its dates with; a test sets "now" instead of waiting for it.
namespace Reloj {
using Fuente = std::function<QDateTime()>;
// Installs the source of the local time (an empty one means the system clock); returns the
// source it replaces.
Fuente fijar(Fuente fuente);
// The local date and time now.
QDateTime ahora();
// A post's date as WordPress keeps it: the local reading and the same instant in UTC (for the
// *_gmt columns, from the computer's own time zone and its daylight-saving rules), both from one
// reading of the clock and written with a date format of the classic kind ("yyyy-mm-dd hh:nn:ss":
// mm month, nn minutes, hh 24-hour).
struct Fecha {
    QString local, utc;
};
Fecha fecha(const QString& formato);
// The local half alone.
QString texto(const QString& formato);
}
