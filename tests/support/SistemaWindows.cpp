#include "support/Sistema.h"

#include <QProcess>

#include <windows.h>
#include <wincrypt.h>

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

QByteArray FinDeLinea() { return QByteArrayLiteral("\r\n"); }

// MariaDB Connector/C's Schannel trusts a CA file through a chain engine whose only root is that
// file (hExclusiveRoot), with the configuration Windows 7 and later take. Wine 8 refuses that
// configuration's size with E_INVALIDARG; Windows itself accepts it.
QString SinVerificacionConCA() {
    HCERTSTORE raices = CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr);
    CERT_CHAIN_ENGINE_CONFIG config{};
    config.cbSize = sizeof config;
    config.hExclusiveRoot = raices;
    HCERTCHAINENGINE motor = nullptr;
    const bool creado = CertCreateCertificateChainEngine(&config, &motor);
    const DWORD error = creado ? 0 : GetLastError();
    if (creado) CertFreeCertificateChainEngine(motor);
    if (raices) CertCloseStore(raices, 0);
    if (creado) return {};
    return QStringLiteral("este sistema no crea un motor de cadenas de certificados con una raíz exclusiva "
                          "(CertCreateCertificateChainEngine, error 0x%1; Wine 8 no acepta la configuración de "
                          "Windows 7 y posteriores), y con él se verifica un certificado CA dado en archivo: se "
                          "prueba en la ejecución de Linux")
        .arg(error, 8, 16, QLatin1Char('0'));
}

// Wine's Schannel does not check the server's certificate against the system's authorities.
QString SinRechazoDeAutoridadesAjenas() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return {};
    return QStringLiteral("la prueba corre bajo Wine, cuyo Schannel no comprueba el certificado del servidor con las "
                          "autoridades del sistema (Windows sí)");
}
}
