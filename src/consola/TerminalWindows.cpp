#include "consola/Terminal.h"

#include <io.h>
#include <windows.h>

// After windows.h, which it needs.
#include <shellapi.h>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace Terminal {
namespace {
// A standard handle the caller gave (a file, a pipe, a console) is kept.
bool dado(DWORD cual) {
    const HANDLE h = GetStdHandle(cual);
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}

void alRegistrar(QtMsgType tipo, const QMessageLogContext& contexto, const QString& mensaje) {
    const QString linea = qFormatLogMessage(tipo, contexto, mensaje) + QLatin1Char('\n');
    const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stderr)));
    DWORD modo = 0, escritos = 0;
    if (h == nullptr || h == INVALID_HANDLE_VALUE) {
        // A window program started from the desktop has no standard error: the debugger's channel.
        OutputDebugStringW(reinterpret_cast<const wchar_t*>(linea.utf16()));
    } else if (GetConsoleMode(h, &modo)) {
        WriteConsoleW(h, linea.utf16(), static_cast<DWORD>(linea.size()), &escritos, nullptr);
    } else {
        const QByteArray bytes = linea.toUtf8();
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
        std::fflush(stderr);
    }
    if (tipo == QtFatalMsg) std::abort();
}
}

QStringList Argumentos(int argc, char** argv) {
    int n = 0;
    LPWSTR* palabras = CommandLineToArgvW(GetCommandLineW(), &n);
    if (!palabras) {
        QStringList argumentos;
        for (int i = 0; i < argc; ++i) argumentos << QString::fromLocal8Bit(argv[i]);
        return argumentos;
    }
    QStringList argumentos;
    for (int i = 0; i < n; ++i) argumentos << QString::fromWCharArray(palabras[i]);
    LocalFree(palabras);
    return argumentos;
}

void MensajesEnUtf8() { qInstallMessageHandler(alRegistrar); }

void PreparaSalida() {
    const bool salida = dado(STD_OUTPUT_HANDLE), errores = dado(STD_ERROR_HANDLE), entrada = dado(STD_INPUT_HANDLE);
    // Joined to the caller's console even when every stream is redirected: Ctrl+C, Ctrl+Break
    // and closing that console reach the program only through it.
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
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
