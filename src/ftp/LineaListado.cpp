#include "ftp/LineaListado.h"

#include <QRegularExpression>

namespace LineaListado {

std::optional<EntradaRemota> interpreta(const QString& linea) {
    // "drwxr-xr-x 2 owner group 4096 Dec 08 05:31 name": the size is the last number before the
    // date, so lines without a group, or with spaces in the owner, read the same. After the
    // date comes one space, and the rest is the name, spaces included.
    static const QRegularExpression formaUnix(QStringLiteral(
        "^([-dlcbps])([-rwxsStT]{9})\\S*\\s+\\d+\\s+.*?(\\d+)\\s+"
        "([A-Za-z]{3}\\s+\\d{1,2}\\s+(?:\\d{1,2}:\\d{2}|\\d{4})) (.+)$"));
    // "03-04-20  10:31AM       <DIR>          name" or "... 1234 name".
    static const QRegularExpression formaDos(QStringLiteral(
        "^(\\d{2}-\\d{2}-\\d{2,4}\\s+\\d{1,2}:\\d{2}\\s*[AaPp][Mm])\\s+(<DIR>|\\d+)\\s+(.+)$"));

    QString l = linea;
    while (l.endsWith(QLatin1Char('\r')) || l.endsWith(QLatin1Char('\n'))) l.chop(1);
    EntradaRemota e;
    if (const auto m = formaUnix.match(l); m.hasMatch()) {
        e.carpeta = m.captured(1) == QLatin1String("d");
        e.soloLectura = m.captured(2).at(1) != QLatin1Char('w');
        e.tamano = m.captured(3).toLongLong();
        e.hora = m.captured(4);
        e.nombre = m.captured(5);
        if (m.captured(1) == QLatin1String("l")) {  // a link: "name -> target"
            const qsizetype flecha = e.nombre.indexOf(QLatin1String(" -> "));
            if (flecha > 0) e.nombre.truncate(flecha);
        }
    } else if (const auto d = formaDos.match(l); d.hasMatch()) {
        e.hora = d.captured(1);
        e.carpeta = d.captured(2) == QLatin1String("<DIR>");
        e.tamano = e.carpeta ? 0 : d.captured(2).toLongLong();
        e.nombre = d.captured(3);
    } else {
        return std::nullopt;
    }
    if (e.nombre == QLatin1String(".") || e.nombre == QLatin1String("..")) return std::nullopt;
    return e;
}

}
