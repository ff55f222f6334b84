#include "consola/ModoConsola.h"

#include "config/AjustarDesdeLinea.h"
#include "config/Configuracion.h"
#include "consola/Arranque.h"
#include "consola/ProgresoConsola.h"
#include "consola/SenalesDeFin.h"
#include "consola/Terminal.h"
#include "consola/VentanaConsola.h"
#include "consola/VistaPreviaConsola.h"
#include "registro/EjecucionEnvio.h"
#include "registro/HistorialEnvios.h"
#include "registro/RegistroSoporte.h"
#include "registro/ResumenEnvio.h"
#include "servicelib/Compartidos.h"
#include "servicelib/TextoImprimible.h"
#include "sync/clsProcedimenti.h"

#include <QFile>
#include <QTextStream>
#include <cstdio>
#include <optional>


namespace ModoConsola {
namespace {
// One line of standard input. Typed at a terminal, the user is asked for it on standard
// error and it is not echoed, as a password prompt does.
std::optional<QByteArray> leeLineaDeEntrada(const QString& clave) {
    static QFile entrada;
    if (!entrada.isOpen() && !entrada.open(stdin, QIODevice::ReadOnly)) return std::nullopt;
    const Terminal::SinEco sinEco;
    if (sinEco.Terminal()) QTextStream(stderr) << "Valor para \"" << clave << "\" (no se muestra): " << Qt::flush;
    const QByteArray linea = entrada.readLine();
    if (sinEco.Terminal()) QTextStream(stderr) << "\n";
    if (linea.isEmpty()) return std::nullopt;
    return linea;
}
}

bool PideEnvio(const QStringList& argumentos) {
    return argumentos.mid(1).join(QLatin1Char(' ')).contains(QStringLiteral("-enviar"));
}

bool PideAjuste(const QStringList& argumentos) { return argumentos.mid(1).contains(QStringLiteral("-ajustar")); }

bool PideHistorial(const QStringList& argumentos) { return argumentos.mid(1).contains(QStringLiteral("-historial")); }

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
    salida << "Últimos " << historial.Envios().size() << " envíos (" << historial.Ruta()
           << "), el más reciente primero:\n";
    // Reasons may carry text from the databases: one printable line each.
    for (const EnvioRegistrado& e : historial.Envios()) salida << TextoImprimible(ResumenEnvio::Linea(e)) << "\n";
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

int Enviar(bool prueba, bool todos) {
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
    ventana.setTodos(todos);
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

    // The window's history and the support log hear of this send too.
    HistorialEnvios historial(HistorialEnvios::RutaJunto(g.ArchivoIni));
    const RegistroSoporte registro(RegistroSoporte::RutaJunto(g.ArchivoIni));
    if (const QString aviso = historial.Cargar(); !aviso.isEmpty()) {
        errores << "Aviso: " << aviso << "\n";
        registro.Escribe(QStringLiteral("aviso"), aviso);
    }
    // TERM and INT (a timeout, systemd, Ctrl-C) are "Interrumpir": the chunk in flight ends
    // whole and the send is recorded as interrupted.
    bool interrumpir = false;
    const SenalesDeFin senales([&](const QString& senal) {
        if (!interrumpir) registro.Escribe(QStringLiteral("aviso"), QStringLiteral("se recibió la señal %1: el envío se interrumpe").arg(senal));
        interrumpir = true;
    });
    const EnvioTerminado t = EjecucionEnvio(ventana, historial, registro).Ejecuta(interrumpir, nullptr);
    if (progreso) progreso->Termina();
    const ResultadoEnvio& r = t.resultado;
    // Names and messages from the data or the servers are printed with their control
    // characters written out (see TextoImprimible).
    for (const QString& aviso : r.avisos) errores << "Aviso: " << TextoImprimible(aviso) << "\n";
    if (!t.error.isEmpty()) errores << "El envío terminó por un error: " << TextoImprimible(t.error) << "\n";
    else if (t.registrado.fallido()) errores << "Error: " << TextoImprimible(t.registrado.mensaje) << "\n";
    else if (!t.registrado.mensaje.isEmpty()) errores << "Aviso: " << TextoImprimible(t.registrado.mensaje) << "\n";
    if (!t.historialEscrito) errores << "Aviso: " << t.errorHistorial << "\n";
    errores.flush();

    salida << "Valores cambiados: " << r.cambiados << ", tiempo: " << ResumenEnvio::Duracion(t.registrado.duracionMs)
           << "\n";
    if (ResumenEnvio::SinLeer(t.registrado))  // "0 de 0" would read as if nothing had been selected
        salida << "Productos enviados: ninguno (no se llegaron a leer)\n";
    else
        salida << "Productos enviados: " << r.enviados << " de " << r.total << " (nuevos: " << r.nuevos << ")\n";
    salida.flush();
    const int estado = t.estadoSalida();
    g.liberar();
    return estado;
}

}
