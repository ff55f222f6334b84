#include "app/ModoConsola.h"

#include "app/AnotaEnvio.h"
#include "app/Arranque.h"
#include "app/HistorialEnvios.h"
#include "app/ProgresoConsola.h"
#include "app/RegistroSoporte.h"
#include "app/ResumenEnvio.h"
#include "app/VentanaConsola.h"
#include "app/VistaPreviaConsola.h"
#include "config/AjustarDesdeLinea.h"
#include "config/Configuracion.h"
#include "servicelib/Compartidos.h"
#include "servicelib/TextoImprimible.h"
#include "sync/MotivoDeFin.h"
#include "sync/clsProcedimenti.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <cstdio>
#include <optional>

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

bool PideHistorial(const QStringList& argumentos) {
    return argumentos.mid(1).contains(QStringLiteral("-historial"));
}

int Historial() {
    QTextStream salida(stdout), errores(stderr);
    Arranque::PreparaRutas();
    HistorialEnvios historial(HistorialEnvios::RutaJunto(G().ArchivoIni));
    if (const QString aviso = historial.Cargar(); !aviso.isEmpty()) {
        errores << aviso << "\n";
        RegistroSoporte(RegistroSoporte::RutaJunto(G().ArchivoIni)).Escribe(QStringLiteral("aviso"), aviso);
        return 1;
    }
    if (historial.Envios().isEmpty()) {
        salida << "No hay envíos registrados en " << historial.Ruta() << "\n";
        return 0;
    }
    salida << "Últimos " << historial.Envios().size() << " envíos (" << historial.Ruta() << "), el más reciente primero:\n";
    // Reasons may carry text from the databases: one printable line each.
    for (const EnvioRegistrado& e : historial.Envios())
        salida << RegistroSoporte::EscapaControles(ResumenEnvio::Linea(e)) << "\n";
    return 0;
}

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

    // On a terminal one line shows the progress; to a file or a pipe, a line per chunk as before.
    std::optional<ProgresoConsola> progreso;
    if (ProgresoConsola::SalidaEsTerminal()) ventana.setProgreso(&progreso.emplace(salida));

    bool interrumpir = false;
    int estado = 0;
    QString motivo, error, claveDelFallo;
    QElapsedTimer reloj;
    reloj.start();
    try {
        proc.EnviarProductos(campos, interrumpir, nullptr);
        motivo = MotivoDeFin(proc.Resultado());
        estado = proc.Resultado().limpio() ? 0 : 1;
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
        motivo = QStringLiteral("el envío no terminó: ") + error;
        claveDelFallo = ClaveDeTexto(ventana.textoProducto());
        estado = 1;
    }
    const qint64 ms = reloj.elapsed();
    if (progreso) progreso->Termina();
    const ResultadoEnvio& r = proc.Resultado();
    // Names and messages from the data or the servers are printed with their control
    // characters written out (see TextoImprimible).
    for (const QString& aviso : r.avisos) errores << "Aviso: " << TextoImprimible(aviso) << "\n";
    if (!error.isEmpty()) errores << "El envío terminó por un error: " << TextoImprimible(error) << "\n";
    else if (!motivo.isEmpty()) errores << "Aviso: " << TextoImprimible(motivo) << "\n";
    errores.flush();

    // The window's history and the support log hear of this send too.
    const EnvioRegistrado anotado = EnvioRegistrado::De(r, QDateTime::currentDateTime(), ms, motivo);
    HistorialEnvios historial(HistorialEnvios::RutaJunto(g.ArchivoIni));
    RegistroSoporte registro(RegistroSoporte::RutaJunto(g.ArchivoIni));
    if (const QString aviso = historial.Cargar(); !aviso.isEmpty()) {
        errores << "Aviso: " << aviso << "\n";
        registro.Escribe(QStringLiteral("aviso"), aviso);
    }
    if (!AnotaEnvio(historial, registro, anotado, r.avisos, claveDelFallo))
        errores << "Aviso: no se pudo escribir el historial de envíos " << historial.Ruta() << "\n";
    errores.flush();

    salida << "Valores cambiados: " << r.cambiados << ", tiempo: " << ResumenEnvio::Duracion(ms) << "\n";
    salida << "Productos enviados: " << r.enviados << " de " << r.total << " (nuevos: " << r.nuevos << ")\n";
    salida.flush();
    g.liberar();
    return estado;
}

}
