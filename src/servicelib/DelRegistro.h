#pragma once
#include "servicelib/Objeto.h"
#include <QString>

namespace kesa5 {

// The point-of-sale product's own stored settings.
class DelRegistro : public Objeto {
public:
    // Non-empty only when `carpeta` holds an installation of the point-of-sale product;
    // the installation found is the one DatosS0W and GuardaDatosS0W then use.
    virtual QString BuscarRegistroS0W(const QString& carpeta) = 0;
    virtual QString DatosS0W(const QString& nombre) = 0;
    virtual void GuardaDatosS0W(const QString& nombre, const QString& valor) = 0;
};

}  // namespace kesa5
