#include "sync/SincroniaVariable.h"

#include <QString>
#include <algorithm>

namespace {
double numero(const std::string& s) { return QString::fromStdString(s).trimmed().toDouble(); }
}

CambiosVariable SincronizaVariable(const VariableLeida& padre, bool ocultaAgotados) {
    CambiosVariable c;
    // sync_price: the distinct _price values of the shown variations, numerically sorted.
    std::vector<std::string> precios;
    for (const VariacionLeida& v : padre.variaciones) {
        if (!v.publicada || (ocultaAgotados && v.estado == "outofstock")) continue;
        for (const std::string& p : v.precios)
            if (std::find(precios.begin(), precios.end(), p) == precios.end()) precios.push_back(p);
    }
    std::stable_sort(precios.begin(), precios.end(),
                     [](const std::string& a, const std::string& b) { return numero(a) < numero(b); });
    precios.erase(std::remove(precios.begin(), precios.end(), std::string()), precios.end());

    bool iguales = padre.sobrantes.empty() && padre.precios.size() == precios.size();
    for (size_t i = 0; iguales && i < precios.size(); ++i) iguales = padre.precios[i].valor == precios[i];
    if (!iguales) {
        c.reescribePrecios = true;
        for (const ValorTienda& p : padre.precios) c.borrar.push_back(p.metaId);
        c.borrar.insert(c.borrar.end(), padre.sobrantes.begin(), padre.sobrantes.end());
        c.precios = std::move(precios);
    }

    // sync_stock_status, over every variation (shown or private); a parent that manages its
    // own stock keeps the status that stock gives it.
    if (!padre.gestiona) {
        const auto alguna = [&](const char* estado) {
            return std::any_of(padre.variaciones.begin(), padre.variaciones.end(), [&](const VariacionLeida& v) {
                return (v.publicada || v.privada) && v.estado == estado;
            });
        };
        const std::string estado = alguna("instock") ? "instock" : alguna("onbackorder") ? "onbackorder" : "outofstock";
        if (padre.estado.metaId == 0 || padre.estado.valor != estado) c.estado = estado;
    }
    return c;
}
