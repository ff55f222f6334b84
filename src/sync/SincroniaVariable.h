#pragma once
#include "sync/ProductoEnvio.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A variable product (a shirt whose sizes are the point of sale's keys) as its variations
// leave it: what WooCommerce's own sync of the parent (WC_Product_Variable::sync) would write
// after a variation's price or stock changed. Pure: the rows come from one read per chunk.
struct VariacionLeida {
    bool publicada = false;  // post_status "publish": shown, its prices count
    bool privada = false;    // "private": counts for the stock status only
    std::vector<std::string> precios;  // its _price rows
    std::string estado;                // its _stock_status
};

struct VariableLeida {
    std::int64_t id = 0;
    std::vector<ValorTienda> precios;      // its _price rows, in meta_id order
    std::vector<std::int64_t> sobrantes;   // its _sale_price and _regular_price rows
    ValorTienda estado;                    // its first _stock_status row
    bool gestiona = false;                 // it manages stock itself: its own stock decides
    std::vector<VariacionLeida> variaciones;
};

struct CambiosVariable {
    // The _price rows are replaced (with `sobrantes`) by one per distinct price of the shown
    // variations, lowest first, when they are not exactly that already.
    bool reescribePrecios = false;
    std::vector<std::int64_t> borrar;  // meta_ids
    std::vector<std::string> precios;
    std::optional<std::string> estado;  // a new _stock_status
    bool cambia() const { return reescribePrecios || estado.has_value(); }
};

// `ocultaAgotados`: the store hides out-of-stock items, and so out-of-stock variations'
// prices do not count.
CambiosVariable SincronizaVariable(const VariableLeida& padre, bool ocultaAgotados);
