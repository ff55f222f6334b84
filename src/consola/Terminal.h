#pragma once

// The console the headless modes talk to; each system's side is chosen by the build
// (TerminalPosix.cpp, TerminalWindows.cpp).
#include <QStringList>

namespace Terminal {
// The command line as the user typed it. Windows: read as UTF-16 from the system, since
// argv holds it in the ANSI code page, which cannot carry every accent or name.
QStringList Argumentos(int argc, char** argv);
// Log messages on standard error keep their accents: Windows' default writes them in the ANSI
// code page, which the UTF-8 console shows garbled. Linux: nothing.
void MensajesEnUtf8();
// Windows: moravi.exe is a window program, so it has no console of its own. Standard streams
// the caller redirected (a file, a pipe) are kept; otherwise they are joined to the console of
// the process that started it (cmd, PowerShell), which then shows UTF-8 text. Linux: nothing.
void PreparaSalida();
// Standard output is a terminal (a console), not a file or a pipe.
bool SalidaEsTerminal();

// While alive, what is typed at a terminal on standard input is not shown (a password
// prompt); with a file or a pipe on standard input it does nothing.
class SinEco {
public:
    SinEco();
    ~SinEco();
    SinEco(const SinEco&) = delete;
    SinEco& operator=(const SinEco&) = delete;
    bool Terminal() const { return terminal_; }

private:
    bool terminal_ = false;
    unsigned long antes_ = 0;  // the mode to restore (termios' c_lflag, the console's mode)
};
}
