#include "app/ModoConsola.h"

#include "app/Arranque.h"
#include "app/VentanaConsola.h"
#include "config/AjustarDesdeLinea.h"
#include "config/Configuracion.h"
#include "servicelib/Compartidos.h"
#include "servicelib/TextoImprimible.h"
#include "sync/MotivoDeFin.h"
#include "sync/clsProcedimenti.h"

#include <QTextStream>
#include <cstdio>

namespace ModoConsola {

bool PideEnvio(const QStringList& argumentos) {
    return argumentos.mid(1).join(QLatin1Char(' ')).contains(QStringLiteral("-enviar"));
}

bool PideAjuste(const QStringList& argumentos) { return argumentos.mid(1).contains(QStringLiteral("-ajustar")); }

int Ajustar(const QStringList& argumentos) {
    QTextStream salida(stdout), errores(stderr);
    Arranque::PreparaRutas();
    Arranque::CreaObjetosCompartidos();
    if (!G().libTORVA || !G().Utilerias) return 2;
    const QStringList pares = argumentos.mid(argumentos.indexOf(QStringLiteral("-ajustar")) + 1);
    const int estado = AjustarDesdeLinea(pares, salida, errores);
    G().liberar();
    return estado;
}

int Enviar() {
    QTextStream salida(stdout), errores(stderr);
    // Message boxes of this run go to standard error (no answerer installed: questions get No).
    Arranque::PreparaRutas();
    Arranque::CreaObjetosCompartidos();
    Compartidos& g = G();
    if (!g.libTORVA || !g.DelRegistro || !g.BasesDD ||
        !Arranque::PreparaHost(*g.libTORVA, *g.DelRegistro, *g.BasesDD, g.ArchivoIni, true)) {
        g.liberar();
        return 2;
    }
    VentanaConsola ventana(salida);
    ColeccionCampos campos;
    clsProcedimenti proc(ventana);
    proc.LeerConfiguracion(campos);
    Config().LineasMarcadas = 0;
    proc.LeerLineas();
    // Names from the settings and messages from the servers are printed with their control
    // characters written out (see TextoImprimible).
    salida << "Enviando productos de " << TextoImprimible(g.BasesDD->cMiBase) << " a "
           << TextoImprimible(Config().BaseWeb) << " (" << TextoImprimible(Config().DireccionIPWeb) << ")"
           << (Config().LineasMarcadas > 0 ? QStringLiteral(", %1 líneas marcadas").arg(Config().LineasMarcadas)
                                           : QString())
           << "\n";
    salida.flush();

    bool interrumpir = false;
    int estado = 0;
    try {
        proc.EnviarProductos(campos, interrumpir, nullptr);
        const ResultadoEnvio& r = proc.Resultado();
        if (const QString motivo = MotivoDeFin(r.fin); !motivo.isEmpty())
            errores << "Aviso: " << TextoImprimible(motivo) << "\n";
        estado = r.completo() ? 0 : 1;
    } catch (const std::exception& e) {
        errores << "El envío terminó por un error: " << TextoImprimible(QString::fromUtf8(e.what())) << "\n";
        estado = 1;
    }
    errores.flush();
    const ResultadoEnvio& r = proc.Resultado();
    salida << "Productos enviados: " << r.enviados << " de " << r.total << " (nuevos: " << r.nuevos << ")\n";
    salida.flush();
    g.liberar();
    return estado;
}

}
