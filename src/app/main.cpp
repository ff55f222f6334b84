#include "app/InstanciaUnica.h"
#include "app/Mensajes.h"
#include "app/clsInicio.h"
#include "app/frmInicial.h"
#include "consola/ModoConsola.h"
#include "consola/SenalesDeFin.h"
#include "consola/Terminal.h"
#include "platform/Pantalla.h"
#include "platform/Registrar.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <cstdio>

int main(int argc, char** argv) {
    Terminal::MensajesEnUtf8();
    const QStringList argumentos = Terminal::Argumentos(argc, argv);
    if (ModoConsola::PideAyuda(argumentos) || ModoConsola::PideHistorial(argumentos) ||
        ModoConsola::PideAjuste(argumentos) || ModoConsola::PideEnvio(argumentos))
        Terminal::PreparaSalida();

    if (const QString opcion = ModoConsola::OpcionDesconocida(argumentos); !opcion.isEmpty()) {
        QCoreApplication app(argc, argv);
        return ModoConsola::AvisaOpcionDesconocida(opcion);
    }
    if (ModoConsola::PideAyuda(argumentos)) {
        QCoreApplication app(argc, argv);
        return ModoConsola::Ayuda();
    }
    if (ModoConsola::PideHistorial(argumentos)) {
        QCoreApplication app(argc, argv);
        return ModoConsola::Historial();
    }
    if (ModoConsola::PideAjuste(argumentos) || ModoConsola::PideEnvio(argumentos)) {
        // No display needed: a plain core application.
        QCoreApplication app(argc, argv);
        RegistrarPlataforma();
        return ModoConsola::PideAjuste(argumentos) ? ModoConsola::Ajustar(argumentos)
                                                   : ModoConsola::Enviar(argumentos.contains(QStringLiteral("-prueba")),
                                                                         argumentos.contains(QStringLiteral("-todos")));
    }

    if (!HayPantalla()) {
        QCoreApplication app(argc, argv);
        return ModoConsola::AvisaSinPantalla();
    }
    // TERM and INT (Windows: Ctrl+C, closing the console) that come while the window is still
    // being built (a slow start) wait for it instead of ending the program half-started.
    SenalesDeFin::Anticipa();
    QApplication app(argc, argv);
    // TERM and INT interrupt a send under way (recorded as interrupted), then end the program
    // as "Terminar" does, with what it saves at shutdown. Installed first: a signal that comes
    // while the window is still being built waits for it instead of killing the process.
    frmInicial* principal = nullptr;
    const SenalesDeFin senales(
        [&principal](const QString&) {
            if (principal) principal->TerminarPorSenal();
        },
        [&principal] { return principal && principal->enviando(); });
    app.setQuitOnLastWindowClosed(false);
    RegistrarPlataforma();
    frmInicial ventana;
    principal = &ventana;
    // A second start from this folder shows the running program's window instead.
    InstanciaUnica unica(QCoreApplication::applicationDirPath());
    if (!unica.Toma([&ventana] { clsInicio().Restaurar(ventana); })) {
        std::fprintf(stderr, "%s\n",
                     unica.avisada() ? "Moravi sync ya está abierto desde esta carpeta: se muestra su ventana."
                                     : "Moravi sync ya está abierto desde esta carpeta, pero no respondió.");
        return unica.avisada() ? 0 : 1;
    }
    InstalarRespondedorVentana(&ventana);
    if (!ventana.Cargar(argumentos)) return 2;
    // The window opens minimised, which hides it behind its icon; without a notification
    // area it stays reachable as an ordinary minimised window.
    if (!ventana.isVisible() && !QSystemTrayIcon::isSystemTrayAvailable()) ventana.showMinimized();
    return app.exec();
}
