#pragma once
#include "sync/clsProcedimenti.h"

#include <QTextStream>

// "-enviar -prueba": prints what a send would do (products it would create, values it would
// change, how many are already current) and writes nothing. 0 when both databases could be
// read, 1 when not.
int ImprimeVistaPrevia(clsProcedimenti& proc, QTextStream& salida, QTextStream& errores);
