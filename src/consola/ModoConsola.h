#pragma once
#include <QStringList>
#include <cstdio>

// The program without a window, for servers and scheduled jobs.
namespace ModoConsola {
// "-enviar" anywhere in the command line.
bool PideEnvio(const QStringList& argumentos);
// "-ajustar" as an argument.
bool PideAjuste(const QStringList& argumentos);
// "-historial" as an argument.
bool PideHistorial(const QStringList& argumentos);

// "-h", "--help" or "-ayuda" as an argument; Ayuda prints what every switch does (exit 0).
bool PideAyuda(const QStringList& argumentos);
int Ayuda(FILE* destino = stdout);

// The first argument that looks like a switch ("-...") and is none of the program's; empty
// when all are known. "-torva" is taken anywhere, and nothing after "-ajustar" is a switch.
QString OpcionDesconocida(const QStringList& argumentos);
// "opción desconocida" and the usage on standard error; returns the exit status, 2.
int AvisaOpcionDesconocida(const QString& opcion);
// The window asked for without a display: says so, and which switches need none; returns 1.
int AvisaSinPantalla();

// One send and out. Exit status: 0 every selected product sent; 1 a database could not be
// opened, the run ended early or failed; 2 the point-of-sale folder check failed.
// `prueba` ("-prueba" on the command line): only print what the send would do. `todos`
// ("-todos"): to a file or a pipe, a line for every product sent, not only those created or changed.
int Enviar(bool prueba = false, bool todos = false);
// Prints the history of the last sends, newest first; 0 printed (even when empty), 1 when the
// history file could not be read (it is then set aside).
int Historial();
// Writes the "Clave=valor" pairs that follow "-ajustar" (a value "-" is read from standard
// input); 0 written, 1 the settings file could not be written, 2 refused.
int Ajustar(const QStringList& argumentos);
}
