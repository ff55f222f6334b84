#include "sync/ProductoEnvio.h"

#include "sync/TextoDecimal.h"

#include <QString>

std::string TituloDe(const ProductoEnvio& p) {
    return QString::fromStdString(p.descrip).trimmed().isEmpty() ? p.clave : p.descrip;
}

std::array<std::optional<ValorDeseado>, 4> ValoresDeseados(const ProductoEnvio& p) {
    const std::string stock = p.existencia.value_or("0");
    const bool hay = MayorQueCero(QString::fromStdString(stock));
    std::array<std::optional<ValorDeseado>, 4> v;
    if (p.precio) v[0] = ValorDeseado{Valor::PrecioRegular, *p.precio};
    v[1] = ValorDeseado{Valor::Existencia, stock};
    v[2] = ValorDeseado{Valor::EstadoExistencia, hay ? "instock" : "outofstock"};
    if (p.precio) v[3] = ValorDeseado{Valor::Precio, *p.precio};
    return v;
}
