#include "support/Sistema.h"

#include <QProcess>

#include <string>

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

namespace {
struct Busqueda {
    DWORD proceso;
    HWND ventana;
};
}

QString Interrumpe(QProcess& p, QString& motivo) {
    // The program's hidden window for the end of the session, as Windows asks it at log-off.
    Busqueda b{static_cast<DWORD>(p.processId()), nullptr};
    EnumWindows(
        [](HWND v, LPARAM l) -> BOOL {
            auto* b = reinterpret_cast<Busqueda*>(l);
            DWORD proceso = 0;
            wchar_t clase[64] = {};
            GetWindowThreadProcessId(v, &proceso);
            GetClassNameW(v, clase, 64);
            if (proceso != b->proceso || std::wstring(clase) != L"MoraviFinDeSesion") return TRUE;
            b->ventana = v;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&b));
    if (!b.ventana) {
        motivo = QStringLiteral("el programa no tiene la ventana oculta que atiende el fin de la sesión");
        return {};
    }
    DWORD_PTR respuesta = 1;
    if (!SendMessageTimeoutW(b.ventana, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 30000, &respuesta)) {
        motivo = QStringLiteral("el programa no respondió al fin de la sesión (error %1)").arg(GetLastError());
        return {};
    }
    // During a send the program holds the session until it has recorded itself; a yes would let
    // Windows end it in the middle, and the name returned then tells the test so.
    return respuesta == FALSE ? QStringLiteral("TERM") : QStringLiteral("TERM (el programa dejó terminar la sesión)");
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
