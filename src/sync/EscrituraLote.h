#pragma once
#include "servicelib/BasesDD.h"
#include "sync/PlanEnvio.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class WooCommerce;

// How a chunk that meets another writer's row locks is tried again: a lock wait timeout or a
// deadlock (1205, 1213) undoes the chunk, waits a little longer each time, and writes it anew.
struct ReintentosLote {
    int intentos = 4;
    int esperaMs = 250;  // doubled after each try
    std::function<void(int intento)> antesDeReintentar;  // lets a test let go of its locks
};

// Writes one chunk of the plan into the shop's wp_posts and wp_postmeta as one transaction,
// with a few multi-row statements (none longer than the chunk's byte bound): the new posts,
// their meta rows and the rows the shop lacks, the changed values, and the touch of every
// product of the chunk. Knows nothing of the window.
class EscrituraLote {
public:
    EscrituraLote(ConexionPtr cn, QString formatoFecha, int bytes, WooCommerce* woo = nullptr);

    // Whole or not at all; the new posts' IDs, in the order of lote.nuevos. An error passes on
    // (ErrorServicio) after the transaction is undone.
    std::vector<std::int64_t> Escribe(const LotePlan& lote, const std::vector<ProductoEnvio>& productos,
                                      const ReintentosLote& reintentos);

private:
    std::vector<std::int64_t> unaVez(const LotePlan& lote, const std::vector<ProductoEnvio>& productos);
    std::vector<std::int64_t> insertaPosts(const LotePlan& lote);
    void nombraPorId(const LotePlan& lote, const std::vector<std::int64_t>& ids);
    QString texto(const std::string& s) const;

    ConexionPtr cn_;
    QString formatoFecha_;
    int bytes_;
    WooCommerce* woo_;
};

// The pieces [desde, hasta) of `largos` (each row's length in bytes) such that a statement of
// `fijo` bytes plus one piece's rows stays within `bytes`; a row too long alone goes alone.
std::vector<std::pair<int, int>> PartesPorBytes(const std::vector<int>& largos, int fijo, int bytes);
