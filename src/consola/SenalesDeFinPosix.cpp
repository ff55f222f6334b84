#include "consola/SenalesDeFin.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>

namespace {
int tuberia[2] = {-1, -1};
constexpr int kSenales[] = {SIGTERM, SIGINT};

void alLlegar(int senal) {
    const int guardado = errno;  // the interrupted code may be looking at it
    const char byte = static_cast<char>(senal);
    [[maybe_unused]] const ssize_t n = ::write(tuberia[1], &byte, 1);
    errno = guardado;
}
}

void SenalesDeFin::Anticipa() {
    if (tuberia[0] != -1) return;
    if (::pipe2(tuberia, O_CLOEXEC | O_NONBLOCK) != 0) {
        tuberia[0] = tuberia[1] = -1;
        return;
    }
    struct sigaction accion {};
    accion.sa_handler = alLlegar;
    sigemptyset(&accion.sa_mask);
    // Calls under way (a query's read, a write) go on rather than fail; the second signal is
    // the system's own again.
    accion.sa_flags = SA_RESTART | SA_RESETHAND;
    for (const int s : kSenales) ::sigaction(s, &accion, nullptr);
}

SenalesDeFin::SenalesDeFin(std::function<void(const QString& senal)> alRecibir, std::function<bool()> ocupado)
    : alRecibir_(std::move(alRecibir)), ocupado_(std::move(ocupado)) {
    Anticipa();
    if (tuberia[0] == -1) return;
    // A signal already in the pipe is read as soon as the event loop runs.
    notificador_ = new QSocketNotifier(tuberia[0], QSocketNotifier::Read, this);
    connect(notificador_, &QSocketNotifier::activated, this, &SenalesDeFin::lee);
}

SenalesDeFin::~SenalesDeFin() {
    if (!notificador_) return;
    for (const int s : kSenales) ::signal(s, SIG_DFL);
    delete notificador_;
    ::close(tuberia[0]);
    ::close(tuberia[1]);
    tuberia[0] = tuberia[1] = -1;
}

void SenalesDeFin::lee() {
    char byte = 0;
    while (::read(tuberia[0], &byte, 1) == 1) {
        Entrega(byte == SIGINT ? QStringLiteral("INT") : QStringLiteral("TERM"));
    }
}

void SenalesDeFin::Entrega(const QString& nombre) {
    if (recibida_.isEmpty()) recibida_ = nombre;
    alRecibir_(nombre);
}
