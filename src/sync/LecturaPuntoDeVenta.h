#pragma once
#include "servicelib/Conexion.h"
#include "sync/ProductoEnvio.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// Reads the selected products from the point-of-sale database: only the columns a send uses
// (key, description, the chosen price column, stock), streamed into one compact copy.
// `tabla` is the product query's table text ("productos WHERE ... ORDER BY Clave");
// `latido` runs now and then so the window stays alive during a long read.
// A missing price column is an error of the server (1054) before anything is written.
// A product whose key is empty or only blanks is left out (it would match any shop product
// with an empty SKU); a price or stock that cannot be read as a number is not written (never
// taken as 0): each is told in `avisos`, and `ilegibles` counts the values left unread.
struct LecturaPuntoDeVenta {
    std::vector<ProductoEnvio> productos;
    QStringList avisos;
    int ilegibles = 0;
};
LecturaPuntoDeVenta LeeProductosPuntoDeVenta(Conexion& cn, const QString& tabla, int numeroPrecio,
                                             const std::function<void()>& latido);
