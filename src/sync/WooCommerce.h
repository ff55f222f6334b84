#pragma once
#include "servicelib/Conexion.h"
#include "sync/ProductoEnvio.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <optional>
#include <vector>

// WooCommerce's own records of the products a send writes, kept as WooCommerce's own save
// would leave them, for the values the program owns: the product lookup table
// (wp_wc_product_meta_lookup: SKU search, price filter and sorting), the product type and
// default category of a product that has none, the "outofstock" visibility term, the term
// counts and the caches WooCommerce clears when a price or stock changes.
// Everything is computed on the shop's server from the meta rows the send has just written,
// a few set-based statements per chunk of products, never one per product.
class WooCommerce {
public:
    // Looks once at the shop (table prefix "wp_"): nothing when it lacks the lookup table or
    // the product_type / product_visibility terms (a plain WordPress shop: nothing extra is
    // written). Two reads.
    static std::optional<WooCommerce> Detecta(Conexion& cn, const QString& prefijo = QStringLiteral("wp_"));

    // Inside a chunk's transaction, after that chunk's wp_posts and wp_postmeta rows are
    // written: `enviados` every post of the chunk (products and variations), `padres` the
    // variable products of its variations. Each parent is first brought in step with its
    // variations as WooCommerce's variable sync would (one read, and a few writes when one
    // changed), then the lookup rows and terms of all of them. Safe to call again for the same
    // chunk (after a rollback and a retry). Three statements, and up to four more for parents
    // (one read, then the rows that changed).
    // Returns the parents whose rows changed.
    std::vector<std::int64_t> EscribeLote(Conexion& cn, const std::vector<std::int64_t>& enviados,
                                          const std::vector<std::int64_t>& padres);

    // The same records as statements, to travel with the chunk's other statements: `ids` the
    // posts of the chunk (numbers, or expressions of the session's variables), `cambiados`
    // those created or changed in it (only these, and any post without one, get their lookup
    // row derived anew: WooCommerce's own save leaves an unchanged product's row alone).
    // No variable product is synced here.
    QStringList SentenciasLote(const QString& ids, const QString& cambiados);

    // Once after the last chunk of a run: the exact `count` of every term the run may have
    // touched (one statement, when a chunk was written), and when `huboCambios` (a product
    // created or a value changed) the caches WooCommerce would clear (two statements).
    // Returns what the shop's rights kept from being done (a warning each, the send stands).
    // `junto`: more statements to travel in the same round trip (the cache helper's rows).
    QStringList Termina(Conexion& cn, bool huboCambios, const QStringList& junto = {});

    // The store's settings that WooCommerce's save applies to every product.
    const ReglasTienda& Reglas() const { return reglas_; }

    // The stock status, before and after, of a variable product whose sync in the last chunk
    // changed it (nothing otherwise): what the shop's helper tells its listeners.
    std::optional<std::pair<std::string, std::string>> EstadoVariable(std::int64_t id) const {
        const auto it = estadosVariables_.find(id);
        if (it == estadosVariables_.end()) return std::nullopt;
        return it->second;
    }

    // What Detecta found (term_taxonomy_id of each term; 0 when the shop has none).
    std::int64_t TipoSimple() const { return tipoSimple_; }
    std::int64_t SinExistencias() const { return sinExistencias_; }
    std::int64_t CategoriaPredeterminada() const { return categoria_; }

private:
    WooCommerce() = default;
    std::vector<std::int64_t> sincronizaVariables(Conexion& cn, const std::vector<std::int64_t>& padres);
    QString P(const QString& sql) const;  // a statement for the shop's table prefix

    std::int64_t tipoSimple_ = 0;      // product_type "simple"
    std::int64_t sinExistencias_ = 0;  // product_visibility "outofstock"
    std::int64_t categoria_ = 0;       // product_cat named by option default_product_cat
    int decimalesPrecio_ = 2;          // option woocommerce_price_num_decimals
    bool ocultaAgotados_ = false;      // option woocommerce_hide_out_of_stock_items
    ReglasTienda reglas_;
    QString prefijo_ = QStringLiteral("wp_");
    std::vector<std::int64_t> padresCambiados_;  // variable products brought in step in this run
    // Of the last chunk's, those whose stock status changed: before and after.
    std::map<std::int64_t, std::pair<std::string, std::string>> estadosVariables_;
    bool escrito_ = false;             // a chunk was written in this run
};
