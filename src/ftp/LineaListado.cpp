#include "ftp/LineaListado.h"

#include <QRegularExpression>

namespace {

// "drwxr-xr-x 2 owner group 4096 Dec 08 05:31 name" is read word by word, in one pass over the
// line: a pattern with a lazy "anything" before the size took time growing with the square of
// the line's length, and a server decides how long a line is.

struct Palabra {
    qsizetype inicio = 0, fin = 0;  // [inicio, fin) in the line
};

bool digitos(QStringView t, qsizetype minimo, qsizetype maximo) {
    if (t.size() < minimo || t.size() > maximo) return false;
    for (const QChar c : t)
        if (!c.isDigit()) return false;
    return true;
}

bool esMes(QStringView t) {  // three letters, as in "Dec"
    if (t.size() != 3) return false;
    for (const QChar c : t)
        if (!((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'))) return false;
    return true;
}

bool esHoraOAnio(QStringView t) {  // "05:31", "5:31" or "2020"
    const qsizetype dosPuntos = t.indexOf(u':');
    if (dosPuntos < 0) return digitos(t, 4, 4);
    return digitos(t.left(dosPuntos), 1, 2) && digitos(t.mid(dosPuntos + 1), 2, 2);
}

std::optional<EntradaRemota> formaUnix(const QString& l) {
    // The type and the nine permission letters open the first word.
    if (l.size() < 10 || !QStringView(u"-dlcbps").contains(l[0])) return std::nullopt;
    for (qsizetype i = 1; i < 10; ++i)
        if (!QStringView(u"-rwxsStT").contains(l[i])) return std::nullopt;
    QList<Palabra> palabras;
    for (qsizetype i = 0; i < l.size();) {
        while (i < l.size() && l[i].isSpace()) ++i;
        if (i == l.size()) break;
        Palabra p{i, i};
        while (p.fin < l.size() && !l[p.fin].isSpace()) ++p.fin;
        palabras.append(p);
        i = p.fin;
    }
    const auto palabra = [&](qsizetype k) {
        return QStringView(l).mid(palabras[k].inicio, palabras[k].fin - palabras[k].inicio);
    };
    // Then the link count, a number of its own.
    if (palabras.size() < 2 || !digitos(palabra(1), 1, l.size())) return std::nullopt;
    // The size is the number that ends the first word followed by a date ("Dec 08 05:31" or
    // "Mar 04  2020") and one space: lines without a group, or with spaces in the owner, read the
    // same. The rest of the line after that space is the name, spaces included.
    for (qsizetype k = 2; k + 3 < palabras.size(); ++k) {
        const qsizetype finFecha = palabras[k + 3].fin;
        if (!palabra(k).back().isDigit() || !esMes(palabra(k + 1)) || !digitos(palabra(k + 2), 1, 2) ||
            !esHoraOAnio(palabra(k + 3)) || finFecha + 1 >= l.size() || l[finFecha] != u' ')
            continue;
        qsizetype inicioTamano = palabras[k].fin;
        while (inicioTamano > palabras[k].inicio && l[inicioTamano - 1].isDigit()) --inicioTamano;
        EntradaRemota e;
        e.carpeta = l[0] == u'd';
        e.soloLectura = l[2] != u'w';
        e.tamano = QStringView(l).mid(inicioTamano, palabras[k].fin - inicioTamano).toLongLong();
        e.hora = l.mid(palabras[k + 1].inicio, finFecha - palabras[k + 1].inicio);
        e.nombre = l.mid(finFecha + 1);
        if (l[0] == u'l') {  // a link: "name -> target"
            const qsizetype flecha = e.nombre.indexOf(QLatin1String(" -> "));
            if (flecha > 0) e.nombre.truncate(flecha);
        }
        return e;
    }
    return std::nullopt;
}

}

namespace LineaListado {

std::optional<EntradaRemota> interpreta(const QString& linea) {
    // "03-04-20  10:31AM       <DIR>          name" or "... 1234 name": anchored, no part of the
    // pattern can be tried at more than one place, so it takes time in proportion to the line.
    static const QRegularExpression formaDos(QStringLiteral(
        "^(\\d{2}-\\d{2}-\\d{2,4}\\s+\\d{1,2}:\\d{2}\\s*[AaPp][Mm])\\s+(<DIR>|\\d+)\\s+(.+)$"));

    QString l = linea;
    while (l.endsWith(QLatin1Char('\r')) || l.endsWith(QLatin1Char('\n'))) l.chop(1);
    std::optional<EntradaRemota> e = formaUnix(l);
    if (!e) {
        const auto d = formaDos.match(l);
        if (!d.hasMatch()) return std::nullopt;
        e.emplace();
        e->hora = d.captured(1);
        e->carpeta = d.captured(2) == QLatin1String("<DIR>");
        e->tamano = e->carpeta ? 0 : d.captured(2).toLongLong();
        e->nombre = d.captured(3);
    }
    if (e->nombre == QLatin1String(".") || e->nombre == QLatin1String("..")) return std::nullopt;
    return e;
}

}
