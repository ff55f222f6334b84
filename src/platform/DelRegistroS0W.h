#pragma once
#include "servicelib/DelRegistro.h"

// The point-of-sale product keeps its MySQL settings in S0W.ini, section [S0W], inside
// its installation folder; a folder is an installation when it holds that file.
class DelRegistroS0W : public kesa5::DelRegistro {
public:
    QString BuscarRegistroS0W(const QString& carpeta) override;
    QString DatosS0W(const QString& nombre) override;
    void GuardaDatosS0W(const QString& nombre, const QString& valor) override;
    QString GuardaVariosS0W(const QList<kesa5::CambioIni>& cambios) override;

private:
    QString archivo_;
};
