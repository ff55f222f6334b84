#include "support/Sistema.h"

#include <QProcess>

#include <windows.h>

namespace prueba {
QString SinProgramasLinux() {
    return QStringLiteral("la prueba de Windows corre bajo Wine y no puede ejecutar php ni redis-server de Linux "
                          "(WordPress y WooCommerce se prueban en la ejecución de Linux)");
}

QString SinZonaPorProceso() {
    return QStringLiteral("Windows toma la zona horaria de la configuración del equipo, no de TZ: solo se prueba la "
                          "zona del equipo (las demás, en la ejecución de Linux)");
}

QString SinEntradaDeEscritorio() {
    return QStringLiteral("en Windows el arranque automático es el valor «moravi» de la clave Run del registro, y el "
                          "programa con ventana no termina con una petición de cierre (se oculta en su icono): lo "
                          "comprueba la prueba del instalador (tests/windows/prueba_instalador.sh)");
}

void PreparaInterrupcion(QProcess& p) {
    // Ctrl+Break reaches the processes of a console: the test takes one (it fails harmlessly
    // when it has one already), which the program joins as it would join cmd's. Its own process
    // group keeps the event away from the test.
    AllocConsole();
    p.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* a) {
        a->flags = (a->flags & ~static_cast<DWORD>(CREATE_NO_WINDOW)) | CREATE_NEW_PROCESS_GROUP;
    });
}

QString Interrumpe(QProcess& p, QString& motivo) {
    if (GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, static_cast<DWORD>(p.processId()))) return QStringLiteral("INT");
    // Wine's console, with no display behind it, refuses the event.
    motivo = QStringLiteral("la consola no pudo enviar Ctrl+Break al programa (GenerateConsoleCtrlEvent, error %1); "
                            "bajo Wine sin pantalla es lo esperado: en Windows, pruebe Ctrl+C en cmd durante un envío")
                 .arg(GetLastError());
    return {};
}
}
