#pragma once
#include <QStringList>
#include <QTextStream>

// "moravi -ajustar "Clave=valor" ...": writes keys of section "Configuración" without the
// screen, in their stored form (scrambled where the key is kept scrambled), with the checks
// the configuration screen makes. Either every pair is valid and all are written, or nothing
// is. Returns the exit status: 0 written, 2 an unknown key or a bad value.
int AjustarDesdeLinea(const QStringList& pares, QTextStream& salida, QTextStream& errores);
