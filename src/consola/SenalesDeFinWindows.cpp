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

// Windows ends the process a few seconds after a close, log-off or shutdown event's handler
// returns, or after about 5 s; the wait stays inside that.
constexpr DWORD kEsperaCierre = 4500;

BOOL WINAPI alLlegar(DWORD evento) {
    const bool fin = evento == CTRL_CLOSE_EVENT || evento == CTRL_LOGOFF_EVENT || evento == CTRL_SHUTDOWN_EVENT;
    const bool interrupcion = evento == CTRL_C_EVENT || evento == CTRL_BREAK_EVENT;
    if (!fin && !interrupcion) return FALSE;
    // A second Ctrl+C is the system's own again: the process ends at once.
    if (interrupcion && recibidaAntes.exchange(true)) return FALSE;
    recibidaAntes = true;
    if (SenalesDeFin* s = activo) {
        const QString nombre = interrupcion ? QStringLiteral("INT") : QStringLiteral("TERM");
        QMetaObject::invokeMethod(s, [s, nombre] { s->Entrega(nombre); }, Qt::QueuedConnection);
    }
    if (fin && terminado) WaitForSingleObject(terminado, kEsperaCierre);
    return TRUE;
}
}

SenalesDeFin::SenalesDeFin(std::function<void(const QString& senal)> alRecibir) : alRecibir_(std::move(alRecibir)) {
    recibidaAntes = false;
    terminado = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    activo = this;
    SetConsoleCtrlHandler(alLlegar, TRUE);
}

SenalesDeFin::~SenalesDeFin() {
    SetConsoleCtrlHandler(alLlegar, FALSE);
    activo = nullptr;
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
