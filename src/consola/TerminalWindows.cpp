#include "consola/Terminal.h"

#include <cstdio>
#include <io.h>
#include <windows.h>

namespace Terminal {
namespace {
// A standard handle the caller gave (a file, a pipe, a console) is kept.
bool dado(DWORD cual) {
    const HANDLE h = GetStdHandle(cual);
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}
}

void PreparaSalida() {
    const bool salida = dado(STD_OUTPUT_HANDLE), errores = dado(STD_ERROR_HANDLE), entrada = dado(STD_INPUT_HANDLE);
    if (!(salida && errores && entrada) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (!salida) std::freopen("CONOUT$", "w", stdout);
        if (!errores) std::freopen("CONOUT$", "w", stderr);
        if (!entrada) std::freopen("CONIN$", "r", stdin);
    }
    // The program writes UTF-8 (QTextStream's default): the console shows it as such; a file
    // or a pipe receives the bytes unchanged.
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
}

bool SalidaEsTerminal() {
    DWORD modo = 0;
    return GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout))), &modo) != 0;
}

SinEco::SinEco() {
    const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdin)));
    DWORD modo = 0;
    terminal_ = GetConsoleMode(h, &modo) != 0;
    if (!terminal_) return;
    antes_ = modo;
    SetConsoleMode(h, modo & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
}

SinEco::~SinEco() {
    if (terminal_) SetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdin))), static_cast<DWORD>(antes_));
}
}
