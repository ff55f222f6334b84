#include "support/SinAbridor.h"

#include <QtGlobal>

namespace prueba {
SinAbridor::SinAbridor(const QString& extension) : extension_(extension), anterior_(qgetenv("PATH")) {
    qputenv("PATH", "/sin-programas");
}
SinAbridor::~SinAbridor() { qputenv("PATH", anterior_); }
}
