#pragma once
#include "servicelib/Conexion.h"
#include "sync/ProductoEnvio.h"

#include <QString>
#include <functional>
#include <vector>

// Reads the selected products from the point-of-sale database: only the columns a send uses
// (key, description, the chosen price column, stock), streamed into one compact copy.
// `tabla` is the product query's table text ("productos WHERE ... ORDER BY Clave");
// `latido` runs now and then so the window stays alive during a long read.
// A missing price column is an error of the server (1054) before anything is written.
std::vector<ProductoEnvio> LeeProductosPuntoDeVenta(Conexion& cn, const QString& tabla, int numeroPrecio,
                                                    const std::function<void()>& latido);
