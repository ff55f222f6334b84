#include "platform/Autoarranque.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace Autoarranque {
namespace {
// The XDG autostart folder; tests point XDG_CONFIG_HOME elsewhere.
QString carpeta() {
    const QString propia = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString base = propia.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : propia;
    return base + QStringLiteral("/autostart");
}

QString archivo(const QString& nombre) { return carpeta() + QLatin1Char('/') + nombre + QStringLiteral(".desktop"); }
}

// A path as one argument of a desktop entry's Exec key: quoted, with the characters the
// format reserves escaped, and "%" doubled.
QString Orden(const QString& programa) {
    QString r;
    for (QChar c : programa) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            r += QLatin1Char('\\');
        if (c == QLatin1Char('%')) r += QLatin1Char('%');
        r += c;
    }
    // A desktop entry reads "\\" in a value as one backslash, so the escapes are doubled once more.
    r.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + r + QLatin1Char('"');
}

QString Actual(const QString& nombre) {
    QFile f(archivo(nombre));
    if (!f.open(QIODevice::ReadOnly)) return {};
    QString actual;
    for (const QByteArray& linea : f.readAll().split('\n'))
        if (linea.startsWith("Exec=")) actual = QString::fromUtf8(linea.mid(5)).trimmed();
    return actual;
}

bool Registra(const QString& nombre, const QString& programa) {
    const QString deseado = Orden(programa);
    if (Actual(nombre) == deseado) return false;
    if (!QDir().mkpath(carpeta())) return false;
    QSaveFile salida(archivo(nombre));
    if (!salida.open(QIODevice::WriteOnly)) return false;
    salida.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=Moravi sync\n"
                                "Comment=Envía los productos del punto de venta a la tienda en línea\n"
                                "Exec=%1\nX-GNOME-Autostart-enabled=true\n")
                     .arg(deseado)
                     .toUtf8());
    return salida.commit();
}
}
