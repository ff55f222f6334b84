#pragma once
#include <QByteArray>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <optional>

// Reads the line of standard input that holds the value of the key named; nothing when the
// input has ended.
using LectorEntrada = std::function<std::optional<QByteArray>(const QString& clave)>;

// "moravi -ajustar "Clave=valor" ...": writes keys of section "Configuración" without the
// screen, in their stored form (scrambled where the key is kept scrambled), with the checks
// the configuration screen makes. A value of "-" is read from `entrada` (one line), so that a
// password stays out of the shell's history and the process list. Either every pair is valid
// and all are written in one write of the file, or nothing is. Returns the exit status:
// 0 written, 1 the file could not be written (it stays as it was), 2 an unknown key or a bad
// value (not a valid number, or text that is not valid UTF-8).
int AjustarDesdeLinea(const QStringList& pares, QTextStream& salida, QTextStream& errores,
                      const LectorEntrada& entrada = {});
