#include "app/ModoConsola.h"

#include "app/Arranque.h"
#include "app/VentanaConsola.h"
#include "app/VistaPreviaConsola.h"
#include "config/AjustarDesdeLinea.h"
#include "config/Configuracion.h"
#include "servicelib/Compartidos.h"
#include "servicelib/TextoImprimible.h"
#include "sync/MotivoDeFin.h"
#include "sync/clsProcedimenti.h"

#include <QFile>
#include <QTextStream>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <termios.h>
#include <unistd.h>
#endif

namespace ModoConsola {
namespace {
// One line of standard input. Typed at a terminal, the user is asked for it on standard
// error and it is not echoed, as a password prompt does.
std::optional<QByteArray> leeLineaDeEntrada(const QString& clave) {
    static QFile entrada;
    if (!entrada.isOpen() && !entrada.open(stdin, QIODevice::ReadOnly)) return std::nullopt;
#ifdef Q_OS_UNIX
    termios antes{};
    const bool terminal = ::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &antes) == 0;
    if (terminal) {
        QTextStream(stderr) << "Valor para \"" << clave << "\" (no se muestra): " << Qt::flush;
        termios sinEco = antes;
        sinEco.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &sinEco);
    }
#else
    Q_UNUSED(clave);
#endif
    const QByteArray linea = entrada.readLine();
#ifdef Q_OS_UNIX
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &antes);
        QTextStream(stderr) << "\n";
    }
#endif
    if (linea.isEmpty()) return std::nullopt;
    return linea;
}
}

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
    const int estado = AjustarDesdeLinea(pares, salida, errores, leeLineaDeEntrada);
    G().liberar();
    return estado;
}

int Enviar(bool prueba) {
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
    if (prueba) {
        const int estado = ImprimeVistaPrevia(proc, salida, errores);
        g.liberar();
        return estado;
    }
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
        for (const QString& aviso : r.avisos) errores << "Aviso: " << TextoImprimible(aviso) << "\n";
        if (const QString motivo = MotivoDeFin(r); !motivo.isEmpty())
            errores << "Aviso: " << TextoImprimible(motivo) << "\n";
        estado = r.completo() && r.recortados == 0 ? 0 : 1;
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
