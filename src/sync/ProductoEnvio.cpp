#include "sync/ProductoEnvio.h"

#include "sync/TextoDecimal.h"

#include <QDateTime>
#include <QString>
#include <cmath>

namespace {
std::optional<double> numero(const std::string& texto) {
    bool ok = false;
    const double d = QString::fromStdString(texto).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d)) return std::nullopt;
    return d;
}

// WooCommerce counts stock in whole units (wc_stock_amount: PHP's intval, toward zero).
std::string unidades(const std::string& stock) {
    const QString t = QString::fromStdString(stock);
    const qsizetype punto = t.indexOf(QLatin1Char('.'));
    const QString entero = punto < 0 ? t : t.left(punto);
    return (entero.isEmpty() || entero == QStringLiteral("-") || entero == QStringLiteral("-0")) ? "0"
                                                                                                : entero.toStdString();
}

bool gestionada(const ProductoEnvio& p) { return p.ajustes.gestion != AjustesTienda::Gestion::No; }

// The owner's sale price, as it stands after the send's regular price: WooCommerce clears a
// sale price at or above a regular price that changed.
std::string ofertaTrasEnvio(const ProductoEnvio& p, bool& borrada) {
    borrada = false;
    const ValorTienda& oferta = p.tienda[size_t(Valor::PrecioOferta)];
    if (oferta.metaId == 0 || oferta.valor.empty() || !p.precio) return oferta.valor;
    const ValorTienda& regular = p.tienda[size_t(Valor::PrecioRegular)];
    const auto o = numero(oferta.valor), r = numero(*p.precio);
    if (regular.valor != *p.precio && o && r && *o >= *r) {
        borrada = true;
        return {};
    }
    return oferta.valor;
}

// WooCommerce's is_on_sale(): a sale price below the regular one, within its dates.
bool enOferta(const std::string& oferta, const std::string& regular, const AjustesTienda& a, std::int64_t ahora) {
    if (oferta.empty()) return false;
    const auto o = numero(oferta), r = numero(regular);
    if (!o || !r || !(*r > *o)) return false;
    if (a.ofertaDesde != 0 && a.ofertaDesde > ahora) return false;
    if (a.ofertaHasta != 0 && a.ofertaHasta < ahora) return false;
    return true;
}

int enteroDe(const std::string& unidades) { return QString::fromStdString(unidades).toInt(); }
}

std::string TituloDe(const ProductoEnvio& p) {
    return QString::fromStdString(p.descrip).trimmed().isEmpty() ? p.clave : p.descrip;
}

ValoresProducto ValoresDeseados(const ProductoEnvio& p, const ReglasTienda& reglas) {
    const std::string stock = p.existencia.value_or("0");
    ValoresProducto v;
    if (!reglas.woocommerce) {
        const bool hay = MayorQueCero(QString::fromStdString(stock));
        if (p.precio) v[0] = ValorDeseado{Valor::PrecioRegular, *p.precio};
        if (!p.existenciaIlegible) {
            v[1] = ValorDeseado{Valor::Existencia, stock};
            v[2] = ValorDeseado{Valor::EstadoExistencia, hay ? "instock" : "outofstock"};
        }
        if (p.precio) v[3] = ValorDeseado{Valor::Precio, *p.precio};
        return v;
    }
    if (p.precio) {
        bool borrada = false;
        const std::string oferta = ofertaTrasEnvio(p, borrada);
        v[0] = ValorDeseado{Valor::PrecioRegular, *p.precio};
        v[3] = ValorDeseado{Valor::Precio, enOferta(oferta, *p.precio, p.ajustes, reglas.ahora) ? oferta : *p.precio};
        if (borrada) v[4] = ValorDeseado{Valor::PrecioOferta, {}};
    }
    if (gestionada(p) && !p.existenciaIlegible) {
        const std::string enteras = unidades(stock);
        const char* estado = enteroDe(enteras) > reglas.umbralAgotado ? "instock"
                             : p.ajustes.pendientes                   ? "onbackorder"
                                                                      : "outofstock";
        v[1] = ValorDeseado{Valor::Existencia, enteras};
        v[2] = ValorDeseado{Valor::EstadoExistencia, estado};
    }
    return v;
}

std::string MotivoDe(const ProductoEnvio& p, Valor cual, const ReglasTienda& reglas) {
    if (!reglas.woocommerce) return {};
    const std::string stock = p.existencia.value_or("0");
    const std::string enteras = unidades(stock);
    switch (cual) {
    case Valor::PrecioRegular:
    case Valor::Precio: {
        bool borrada = false;
        const std::string oferta = ofertaTrasEnvio(p, borrada);
        if (!p.precio || !enOferta(oferta, *p.precio, p.ajustes, reglas.ahora)) return {};
        if (p.ajustes.ofertaHasta == 0) return "en oferta";
        return "en oferta hasta " + QDateTime::fromSecsSinceEpoch(p.ajustes.ofertaHasta, Qt::UTC)
                                        .toString(QStringLiteral("yyyy-MM-dd"))
                                        .toStdString();
    }
    case Valor::PrecioOferta: return "la oferta no queda por debajo del nuevo precio";
    case Valor::Existencia:
        if (!gestionada(p)) return "existencias no gestionadas en la tienda";
        return enteras != stock ? "la tienda cuenta unidades enteras" : "";
    case Valor::EstadoExistencia:
        if (!gestionada(p)) return "existencias no gestionadas en la tienda";
        if (enteroDe(enteras) > reglas.umbralAgotado) return {};
        if (p.ajustes.pendientes) return "acepta pedidos pendientes";
        if (reglas.umbralAgotado > 0 && MayorQueCero(QString::fromStdString(stock)))
            return "la tienda da por agotado lo que no pasa de " + std::to_string(reglas.umbralAgotado);
        return {};
    }
    return {};
}
