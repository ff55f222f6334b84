#pragma once
#include "servicelib/LibTORVA.h"
#include "servicelib/Objeto.h"
#include <QList>
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
    // Several keys of section [S0W] in one write of the file (each change's section is not
    // looked at), each with its condition (CambioIni::siEra). "" or what went wrong.
    virtual QString GuardaVariosS0W(const QList<CambioIni>& cambios) = 0;
};

}  // namespace kesa5
