#include "config/Configuracion.h"

Configuracion& Config() {
    static Configuracion c;
    return c;
}
