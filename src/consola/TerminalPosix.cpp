#include "consola/Terminal.h"

#include <termios.h>
#include <unistd.h>
#include <cstdio>

namespace Terminal {
QStringList Argumentos(int argc, char** argv) {
    QStringList argumentos;
    for (int i = 0; i < argc; ++i) argumentos << QString::fromLocal8Bit(argv[i]);
    return argumentos;
}

void MensajesEnUtf8() {}

void PreparaSalida() {}

bool SalidaEsTerminal() { return ::isatty(STDOUT_FILENO) != 0; }

SinEco::SinEco() {
    termios modo{};
    terminal_ = ::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &modo) == 0;
    if (!terminal_) return;
    antes_ = modo.c_lflag;
    modo.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &modo);
}

SinEco::~SinEco() {
    termios modo{};
    if (!terminal_ || ::tcgetattr(STDIN_FILENO, &modo) != 0) return;
    modo.c_lflag = static_cast<tcflag_t>(antes_);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &modo);
}
}
