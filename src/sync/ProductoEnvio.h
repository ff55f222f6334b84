#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

// The values a send writes, in the order they are written; the last one, the sale price, is
// only ever cleared (when a new regular price leaves it at or above that price).
enum class Valor { PrecioRegular, Existencia, EstadoExistencia, Precio, PrecioOferta };
constexpr std::array<const char*, 5> kClavesValor{"_regular_price", "_stock", "_stock_status", "_price",
                                                  "_sale_price"};

// One row of a product's value in the shop: meta_id 0 while the shop lacks it.
struct ValorTienda {
    std::int64_t metaId = 0;
    std::string valor;
};

// What the shop's owner set on the product in WooCommerce, read with the send's own values;
// it decides what WooCommerce's own save would make of the point of sale's price and stock.
struct AjustesTienda {
    enum class Gestion : std::uint8_t { SinDato, Si, No };
    Gestion gestion = Gestion::SinDato;  // _manage_stock
    bool pendientes = false;             // _backorders "yes" or "notify"
    bool variacion = false;              // a variation of a variable product
    std::int64_t padre = 0;              // its variable product
    std::int64_t ofertaDesde = 0, ofertaHasta = 0;  // _sale_price_dates_from / _to (Unix time; 0: none)
};

// One product of a send: what the point of sale says and what the shop holds for it.
// Text is kept as UTF-8 (about half the memory of QString for a large catalogue).
struct ProductoEnvio {
    std::string clave;    // exactly as the point of sale holds it
    std::string descrip;  // "" for NULL
    std::optional<std::string> precio, existencia;  // decimal text; nothing for NULL
    bool existenciaIlegible = false;                // a stock that is not a number: not written
    std::int64_t postId = 0;                        // the shop's post, 0 while the shop lacks the product
    std::array<ValorTienda, 5> tienda;              // indexed by Valor
    AjustesTienda ajustes;
};

// The title the shop shows: a product without a description (NULL or blanks) goes by its key.
std::string TituloDe(const ProductoEnvio& p);

// What the shop says about every product of a send: whether it runs WooCommerce, and then the
// store's own settings that WooCommerce's save applies.
struct ReglasTienda {
    bool woocommerce = false;
    int umbralAgotado = 0;    // woocommerce_notify_no_stock_amount: at or below it, out of stock
    std::int64_t ahora = 0;   // the shop server's Unix time, for sale dates (as WooCommerce's time())
};

// The values the send writes for the product, in order: no price keys when the price is
// NULL (the shop keeps its price; a new product gets none rather than a wrong one), and a
// NULL stock taken as none in stock. In a WooCommerce shop the values are the ones its own save
// would leave: the active price of a sale the owner set, whole units of stock against the
// store's threshold, backorders, and no stock values where the owner does not manage stock.
struct ValorDeseado {
    Valor cual;
    std::string valor;
};
using ValoresProducto = std::array<std::optional<ValorDeseado>, 5>;
ValoresProducto ValoresDeseados(const ProductoEnvio& p, const ReglasTienda& reglas = {});

// Why the shop will show something else than the point of sale's value, in a short phrase
// ("en oferta hasta 2026-12-31"); empty when it shows the point of sale's own.
std::string MotivoDe(const ProductoEnvio& p, Valor cual, const ReglasTienda& reglas);
