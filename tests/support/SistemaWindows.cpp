#include "support/Sistema.h"

#include <windows.h>
#include <wincrypt.h>

namespace prueba {
QString SinProgramasLinux() {
    return QStringLiteral("la prueba de Windows corre bajo Wine y no puede ejecutar php ni redis-server de Linux "
                          "(WordPress y WooCommerce se prueban en la ejecución de Linux)");
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
