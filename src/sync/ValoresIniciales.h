#pragma once
#include <array>

// The shop's bookkeeping values of a new product, in the order they are written.
struct ValorInicial {
    const char* clave;
    const char* valor;
};
extern const std::array<ValorInicial, 25> kValoresIniciales;
