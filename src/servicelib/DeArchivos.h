#pragma once
#include "servicelib/Objeto.h"
#include <QString>

namespace kesa5 {

class DeArchivos : public Objeto {
public:
    // Opens a file in the program the desktop associates with it.
    // False when no program could be started to open it.
    virtual bool AbreDocumento(const QString& ruta) = 0;
    virtual void BorraArchivo(const QString& ruta) = 0;
    // The file-name part of a path (after the last slash or backslash).
    virtual QString NombreDeArchivo(const QString& ruta) = 0;
};

}  // namespace kesa5
