#pragma once
#include <array>

// The shop's bookkeeping values of a new product, in the order they are written.
struct ValorInicial {
    const char* clave;
    const char* valor;
};
extern const std::array<ValorInicial, 25> kValoresIniciales;
// What WooCommerce's own save of a new product writes beyond those, written where the shop has
// WooCommerce: a product without them is
// untaxed in a shop that charges tax (an empty tax status is not "taxable") and missing from
// meta queries on total_sales (best sellers).
extern const std::array<ValorInicial, 3> kValoresWooCommerce;
