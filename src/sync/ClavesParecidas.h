#pragma once
#include "sync/ProductoEnvio.h"

#include <QStringList>
#include <vector>

// Keys the point of sale keeps apart but the shop's collation takes for one (it ignores case,
// accents and trailing blanks: "A1" and "A1 ", "ab1" and "AB1"). The send keeps them apart, but
// WooCommerce's own SKU lookup finds the other product and its admin refuses to save either
// ("Invalid or duplicated SKU"): one warning per group of such keys.
QStringList ClavesParecidas(const std::vector<ProductoEnvio>& productos);
