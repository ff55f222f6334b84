#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

// The four values every send writes, in the order they are written.
enum class Valor { PrecioRegular, Existencia, EstadoExistencia, Precio };
constexpr std::array<const char*, 4> kClavesValor{"_regular_price", "_stock", "_stock_status", "_price"};

// One row of a product's value in the shop: meta_id 0 while the shop lacks it.
struct ValorTienda {
    std::int64_t metaId = 0;
    std::string valor;
};

// One product of a send: what the point of sale says and what the shop holds for it.
// Text is kept as UTF-8 (about half the memory of QString for a large catalogue).
struct ProductoEnvio {
    std::string clave;    // exactly as the point of sale holds it
    std::string descrip;  // "" for NULL
    std::optional<std::string> precio, existencia;  // decimal text; nothing for NULL
    std::int64_t postId = 0;                        // the shop's post, 0 while the shop lacks the product
    std::array<ValorTienda, 4> tienda;              // indexed by Valor
};

// The title the shop shows: a product without a description (NULL or blanks) goes by its key.
std::string TituloDe(const ProductoEnvio& p);

// The values the send writes for the product, in order: no price keys when the price is
// NULL (the shop keeps its price; a new product gets none rather than a wrong one), and a
// NULL stock taken as none in stock.
struct ValorDeseado {
    Valor cual;
    std::string valor;
};
std::array<std::optional<ValorDeseado>, 4> ValoresDeseados(const ProductoEnvio& p);
