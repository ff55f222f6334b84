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
// Now plus `horasMas` hours, added to the wall-clock reading itself (no time zone or
// daylight-saving rule is consulted), written with a date format of the classic kind
// ("yyyy-mm-dd hh:nn:ss": mm month, nn minutes, hh 24-hour).
QString texto(const QString& formato, int horasMas = 0);
}
