// "moravi -h": what every switch does, printed without a window or a display.
#include "consola/ModoConsola.h"

#include "consola/Arranque.h"

#include <QTextStream>

namespace ModoConsola {

bool PideAyuda(const QStringList& argumentos) {
    for (const QString& a : argumentos.mid(1))
        if (a == QLatin1String("-h") || a == QLatin1String("--help") || a == QLatin1String("-ayuda")) return true;
    return false;
}

int Ayuda(FILE* destino) {
    QTextStream(destino) << "Moravi sync" << Arranque::TextoVersion().trimmed().mid(1)
                        << ": envía los productos del punto de venta a la tienda en línea.\n"
                           "\n"
                           "Uso: " << Arranque::NombreEjecutable() << " [opciones]\n"
                           "  (sin opciones)      se queda en el área de notificación y envía según el intervalo\n"
                           "  -torva              arranca con la ventana a la vista\n"
                           "  -enviar             un envío sin ventana y termina (0 todo enviado, 1 no, 2 carpeta\n"
                           "                      del punto de venta incorrecta); a un archivo o tubería escribe\n"
                           "                      solo los productos nuevos o cambiados\n"
                           "  -enviar -todos      igual, con una línea por cada producto enviado\n"
                           "  -enviar -prueba     muestra lo que cambiaría en la tienda, sin escribir nada\n"
                           "  -historial          los últimos envíos, el más reciente primero\n"
                           "  -ajustar \"Clave=valor\" ...\n"
                           "                      escribe claves de [Configuración] (valor \"-\": de la entrada\n"
                           "                      estándar)\n"
                           "  -h, --help          esta ayuda\n"
                           "\n"
                           "Una sola ventana por carpeta del programa: arrancarlo otra vez muestra la que ya está\n"
                           "abierta. -enviar, -historial y -ajustar funcionan junto a ella.\n";
    return 0;
}

}
