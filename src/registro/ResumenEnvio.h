#pragma once
#include "registro/HistorialEnvios.h"

#include <QDateTime>
#include <QString>

// The texts that tell about a send: the main tab, the history table, the icon's tip,
// "moravi -historial" and the log all say it the same way.
namespace ResumenEnvio {
// "0.4 s", "12 s", "3 min 05 s", "1 h 02 min".
QString Duracion(qint64 ms);
// How the warnings of a send are told: whole, or only counted (the log has a line for each).
enum class Avisos { Enteros, Contados };
// "completo", "interrumpido 16 de 120", "otro envío en curso", "falló: <reason>", each followed by what the
// send noted: ", con avisos: a; b" (or ", con 2 avisos" when only counted).
QString Resultado(const EnvioRegistrado& e, Avisos avisos = Avisos::Enteros);
// True when the send ended before the products were read (a database could not be opened...).
bool SinLeer(const EnvioRegistrado& e);
// "120 de 120" (products sent of selected); "sin leer" when they were never read.
QString Productos(const EnvioRegistrado& e);
// The main tab's lines about the last send.
QString UltimoEnvio(const EnvioRegistrado& e);
// "Último envío completo: ..." (`e` nullptr: none in the history).
QString UltimoCompleto(const EnvioRegistrado* e);
// One line of "moravi -historial" and of the log.
QString Linea(const EnvioRegistrado& e, Avisos avisos = Avisos::Enteros);
// The icon's tip: the caption, how the last send ended, when the next one is due
// (`proximo` invalid: no automatic send is counting down).
QString TextoIcono(const QString& titulo, const EnvioRegistrado* ultimo, const QDateTime& proximo);
}
