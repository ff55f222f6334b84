#pragma once
#include "servicelib/BasesDD.h"
#include "sync/PlanEnvio.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

class CacheTienda;
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
    // `prefijo`: the shop's table prefix ("wp_"), already checked.
    EscrituraLote(ConexionPtr cn, QString formatoFecha, int bytes, WooCommerce* woo = nullptr,
                  QString prefijo = QStringLiteral("wp_"));

    // Whole or not at all; the new posts' IDs, in the order of lote.nuevos. An error passes on
    // (ErrorServicio) after the transaction is undone.
    std::vector<std::int64_t> Escribe(const LotePlan& lote, const std::vector<ProductoEnvio>& productos,
                                      const ReintentosLote& reintentos);

    // What the shop's server cut or changed while storing the last chunk written (a value its
    // column cannot hold: too long, or a character its character set lacks), one text per
    // product and field: "clave: campo (message of the server)".
    const QStringList& Recortes() const { return recortes_; }

    // The change rows of the posts each chunk creates or changes go into `cache` (see CacheTienda).
    void AnotaCambiosEn(CacheTienda* cache) { cache_ = cache; }

private:
    std::vector<std::int64_t> unaVez(const LotePlan& lote, const std::vector<ProductoEnvio>& productos);
    std::vector<std::int64_t> insertaPosts(const LotePlan& lote, const std::function<QString(int producto)>& claveDe);
    void nombraPorId(const LotePlan& lote, const std::vector<std::int64_t>& ids);
    QString texto(const std::string& s) const;
    QString P(const QString& plantilla) const;  // a statement template for the shop's prefix
    // Runs `sql`, then reads the server's warnings, if it raised any, and notes each against
    // the product of the row it names (`claveDeFila(1)` is the statement's first row).
    void ejecuta(const QString& sql, const std::function<QString(int fila)>& claveDeFila);
    QStringList recortes_;

    ConexionPtr cn_;
    QString formatoFecha_;
    int bytes_;
    WooCommerce* woo_;
    QString prefijo_;
    CacheTienda* cache_ = nullptr;
};

// The pieces [desde, hasta) of `largos` (each row's length in bytes) such that a statement of
// `fijo` bytes plus one piece's rows stays within `bytes`; a row too long alone goes alone.
std::vector<std::pair<int, int>> PartesPorBytes(const std::vector<int>& largos, int fijo, int bytes);
