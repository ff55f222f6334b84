// Switches checked before anything runs: a mistyped one from cron must not pass for the window.
#include "consola/ModoConsola.h"

#include "consola/Arranque.h"

#include <QTextStream>

namespace ModoConsola {

QString OpcionDesconocida(const QStringList& argumentos) {
    static const QStringList conocidas = {
        QStringLiteral("-enviar"),    QStringLiteral("-todos"), QStringLiteral("-prueba"),
        QStringLiteral("-historial"), QStringLiteral("-h"),     QStringLiteral("--help"),
        QStringLiteral("-ayuda")};
    for (const QString& a : argumentos.mid(1)) {
        // What follows "-ajustar" are its "Clave=valor" pairs (a value may be "-").
        if (a == QLatin1String("-ajustar")) return {};
        if (!a.startsWith(u'-') || conocidas.contains(a) || a.contains(QLatin1String("-torva"))) continue;
        return a;
    }
    return {};
}

int AvisaOpcionDesconocida(const QString& opcion) {
    QTextStream(stderr) << Arranque::NombreEjecutable() << ": opción desconocida \"" << opcion
                        << "\"; no se hizo nada.\n\n";
    Ayuda(stderr);
    return 2;
}

int AvisaSinPantalla() {
    QTextStream(stderr) << Arranque::NombreEjecutable()
                        << ": no hay pantalla (DISPLAY y WAYLAND_DISPLAY vacías), así que la ventana no se "
                           "puede abrir.\nSin pantalla funcionan: -enviar (con -prueba o -todos), -historial, "
                           "-ajustar y -h.\n";
    return 1;
}

}
