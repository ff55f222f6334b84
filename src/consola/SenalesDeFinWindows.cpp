#include "consola/SenalesDeFin.h"

#include <QMetaObject>
#include <atomic>

#include <windows.h>

namespace {
// The handler runs on a thread of the system's own; it only hands the event to the object's
// thread (a queued call) and, for the events that end the process, waits.
SenalesDeFin* activo = nullptr;
HANDLE terminado = nullptr;
std::atomic<bool> recibidaAntes{false};
// An event that came before the object existed ("INT" or "TERM"), handed on by its constructor.
std::atomic<int> pendiente{0};
bool manejadorPuesto = false;

// Windows ends the process a few seconds after a close, log-off or shutdown event's handler
// returns, or after about 5 s; the wait stays inside that.
constexpr DWORD kEsperaCierre = 4500;

// The end of the session, asked of every top-level window (hidden ones too; a message-only
// window is not asked). It runs on the thread that made the window, between the send's chunks.
HWND ventanaSesion = nullptr;
constexpr wchar_t kClaseSesion[] = L"MoraviFinDeSesion";

LRESULT CALLBACK alMensaje(HWND ventana, UINT mensaje, WPARAM w, LPARAM l) {
    if (mensaje == WM_QUERYENDSESSION) {
        SenalesDeFin* s = activo;
        if (!s) return TRUE;
        const bool retener = s->Ocupado();
        s->Entrega(QStringLiteral("TERM"));
        if (!retener) return TRUE;
        // Windows shows this beside the program while it waits; once the send has recorded
        // itself the program ends and the session goes on.
        ShutdownBlockReasonCreate(ventana, L"Moravi sync termina el envío de productos en curso.");
        return FALSE;
    }
    if (mensaje == WM_ENDSESSION) return 0;
    return DefWindowProcW(ventana, mensaje, w, l);
}

void creaVentanaDeSesion() {
    const HINSTANCE modulo = GetModuleHandleW(nullptr);
    WNDCLASSW clase{};
    clase.lpfnWndProc = alMensaje;
    clase.hInstance = modulo;
    clase.lpszClassName = kClaseSesion;
    RegisterClassW(&clase);  // fails harmlessly when already registered
    ventanaSesion =
        CreateWindowExW(0, kClaseSesion, L"Moravi sync", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, modulo, nullptr);
}

BOOL WINAPI alLlegar(DWORD evento) {
    // Log-off and shutdown come here only to a process without windows; this one has its own.
    const bool fin = evento == CTRL_CLOSE_EVENT || evento == CTRL_LOGOFF_EVENT || evento == CTRL_SHUTDOWN_EVENT;
    const bool interrupcion = evento == CTRL_C_EVENT || evento == CTRL_BREAK_EVENT;
    if (!fin && !interrupcion) return FALSE;
    // A second Ctrl+C is the system's own again: the process ends at once.
    if (interrupcion && recibidaAntes.exchange(true)) return FALSE;
    recibidaAntes = true;
    if (SenalesDeFin* s = activo) {
        const QString nombre = interrupcion ? QStringLiteral("INT") : QStringLiteral("TERM");
        QMetaObject::invokeMethod(
            s, [s, nombre] { s->Entrega(nombre); }, Qt::QueuedConnection);
    } else {
        pendiente = interrupcion ? 1 : 2;
    }
    if (fin && terminado) WaitForSingleObject(terminado, kEsperaCierre);
    return TRUE;
}
}

void SenalesDeFin::Anticipa() {
    if (!manejadorPuesto) manejadorPuesto = SetConsoleCtrlHandler(alLlegar, TRUE) != 0;
}

SenalesDeFin::SenalesDeFin(std::function<void(const QString& senal)> alRecibir, std::function<bool()> ocupado)
    : alRecibir_(std::move(alRecibir)), ocupado_(std::move(ocupado)) {
    terminado = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    activo = this;
    Anticipa();
    if (const int antes = pendiente.exchange(0)) {
        const QString nombre = antes == 1 ? QStringLiteral("INT") : QStringLiteral("TERM");
        QMetaObject::invokeMethod(
            this, [this, nombre] { Entrega(nombre); }, Qt::QueuedConnection);
    }
    creaVentanaDeSesion();
}

SenalesDeFin::~SenalesDeFin() {
    SetConsoleCtrlHandler(alLlegar, FALSE);
    manejadorPuesto = false;
    recibidaAntes = false;
    activo = nullptr;
    if (ventanaSesion) {
        ShutdownBlockReasonDestroy(ventanaSesion);
        DestroyWindow(ventanaSesion);
        ventanaSesion = nullptr;
    }
    if (terminado) {
        SetEvent(terminado);  // a waiting close or shutdown lets the process end now
        CloseHandle(terminado);
        terminado = nullptr;
    }
}

void SenalesDeFin::Entrega(const QString& nombre) {
    if (recibida_.isEmpty()) recibida_ = nombre;
    alRecibir_(nombre);
}

void SenalesDeFin::lee() {}
