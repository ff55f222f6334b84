#pragma once
#include "servicelib/Conexion.h"
#include "sync/ProductoEnvio.h"

#include <QSet>
#include <QString>
#include <functional>
#include <vector>

// What the shop holds for the products of a send, read in a few large queries (never one per
// product), from product `desde` on. `latido` runs now and then during a long read.
namespace LecturaTienda {
using Latido = std::function<void()>;

// Links each product to its post by the "_sku" rows whose value equals its key byte for byte
// (the shop's own collation would take "BAR1" for "BÄR1" or "bar1"). When several posts carry
// the key, the lowest post ID wins, the same on every send.
void Enlaza(Conexion& cn, const QString& prefijo, std::vector<ProductoEnvio>& productos, int desde, const Latido& latido);

// The shop's rows of the four values of every linked product; of two rows of one key, the
// lowest meta_id (the one the product got first) is the one written.
void LeeValores(Conexion& cn, const QString& prefijo, std::vector<ProductoEnvio>& productos, int desde,
                const Latido& latido);

// The product post names (lower case) that the names of the new products could collide with.
QSet<QString> NombresOcupados(Conexion& cn, const QString& prefijo, const std::vector<ProductoEnvio>& productos,
                              int desde, const Latido& latido);

// Of `nombres`, the ones a name made from `bases` could collide with: each base itself, or a
// base (or, for a long one, its start) followed by "-" and a number.
QSet<QString> Relevantes(const QSet<QString>& bases, const QStringList& nombres);
}
