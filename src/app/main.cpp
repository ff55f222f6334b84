#include "app/Mensajes.h"
#include "app/frmInicial.h"
#include "consola/ModoConsola.h"
#include "consola/SenalesDeFin.h"
#include "platform/Registrar.h"

#include <QApplication>
#include <QSystemTrayIcon>

int main(int argc, char** argv) {
    QStringList argumentos;
    for (int i = 0; i < argc; ++i) argumentos << QString::fromLocal8Bit(argv[i]);

    if (ModoConsola::PideHistorial(argumentos)) {
        QCoreApplication app(argc, argv);
        return ModoConsola::Historial();
    }
    if (ModoConsola::PideAjuste(argumentos) || ModoConsola::PideEnvio(argumentos)) {
        // No display needed: a plain core application.
        QCoreApplication app(argc, argv);
        RegistrarPlataforma();
        return ModoConsola::PideAjuste(argumentos)
                   ? ModoConsola::Ajustar(argumentos)
                   : ModoConsola::Enviar(argumentos.contains(QStringLiteral("-prueba")));
    }

    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    RegistrarPlataforma();
    frmInicial ventana;
    InstalarRespondedorVentana(&ventana);
    // TERM and INT interrupt a send under way (recorded as interrupted), then end the program
    // as "Terminar" does, with what it saves at shutdown.
    const SenalesDeFin senales([&ventana](const QString&) { ventana.TerminarPorSenal(); });
    if (!ventana.Cargar(argumentos)) return 2;
    // The window opens minimised, which hides it behind its icon; without a notification
    // area it stays reachable as an ordinary minimised window.
    if (!ventana.isVisible() && !QSystemTrayIcon::isSystemTrayAvailable()) ventana.showMinimized();
    return app.exec();
}
