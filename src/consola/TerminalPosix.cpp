#include "consola/Terminal.h"

#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace Terminal {
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
