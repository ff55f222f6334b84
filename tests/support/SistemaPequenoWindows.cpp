#include "support/SistemaPequeno.h"

namespace prueba {
SistemaPequeno::SistemaPequeno(qint64) {
    porQueNo_ = QStringLiteral("Windows no monta un sistema de archivos pequeño sin permisos de administrador; "
                               "el disco lleno se prueba en la ejecución de Linux");
}
SistemaPequeno::~SistemaPequeno() = default;
void SistemaPequeno::llena() {}
void SistemaPequeno::libera() {}
}
