#pragma once
#include <QString>
#include "config/VistaConfiguracion.h"

namespace kesa5 {
class LibTORVA;
}

// Reads the key through `lib` and, when it reads exactly empty, stores `defecto` and reads it again.
QString LeeIniConDefecto(const QString& seccion, const QString& clave, const QString& defecto, kesa5::LibTORVA& lib,
                         const QString& archivo);

// Reads every send setting into Config(), shows them in the settings boxes, hides the image
// check box and switches the send timer on for an interval of 1 or more ("Sin definir" otherwise).
void LeerConfiguracion(VistaConfiguracion& vista);
