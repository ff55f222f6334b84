#pragma once
#include "servicelib/BasesDD.h"

#include <QString>
#include <cstdint>
#include <optional>

// The reads and writes of the shop's WordPress tables wp_posts and wp_postmeta for one
// product of a send run, through the run's web database object and connection. Every value
// placed in a statement is escaped with the connection. A failing statement raises
// ErrorServicio, which passes to the run.
class EscrituraWeb {
public:
    // `rsSku` and `rsPost` are the run's recordsets: the SKU lookup leaves the first open
    // (empty when the product is new) for the SKU row of a new product.
    EscrituraWeb(kesa5::BasesDD& web, ConexionPtr& cn, RecordsetPtr& rsSku, RecordsetPtr& rsPost,
                 const QString& formatoFecha);

    // The post ID linked to the product key by a "_sku" row, or nothing when the shop lacks it.
    std::optional<std::int64_t> BuscarProducto(const QString& clave);

    // Adds the product's post (13 columns and its unique post_name), its "_sku" row and the
    // 25 default values; returns the new post's ID. Called inside a transaction (the run makes
    // each product one), so a lost connection or a failure on the way leaves none of them:
    // never a post without its SKU row, which the next run would create a second time.
    std::int64_t CrearProducto(const QString& clave, const QString& titulo);

    // post_modified and post_modified_gmt become now.
    void TocarPost(std::int64_t postId);

    // "_regular_price", "_stock", "_stock_status" and "_price", in that order.
    // A NULL price writes neither price key: the shop keeps the price it has (a new product
    // has none, so it cannot be bought at a wrong price). A NULL stock is taken as no stock:
    // "_stock" "0" and "outofstock", never advertised as available.
    void ValoresProducto(std::int64_t postId, const std::optional<QString>& precio,
                         const std::optional<QString>& existencia);

    // One named value of one post: looked up, added when missing (looked up again), then
    // updated by its meta_id; when even two added rows cannot be found the value is not written.
    static void ActualizarMeta(kesa5::BasesDD& web, ConexionPtr& cn, std::int64_t postId, const QString& clave,
                               const QString& valor);

private:
    QString ahora(int horasMas = 0) const;
    QString slugUnico(const QString& base);

    kesa5::BasesDD& web_;
    ConexionPtr& cn_;
    RecordsetPtr& rsSku_;
    RecordsetPtr& rsPost_;
    QString formatoFecha_;
};
