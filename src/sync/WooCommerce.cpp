#include "sync/WooCommerce.h"

#include "servicelib/ErrorServicio.h"
#include "sync/SincroniaVariable.h"
#include "sync/TablasTienda.h"

#include <array>
#include <cstdlib>
#include <map>

#include <QStringList>
#include <algorithm>

namespace {

// The transients WooCommerce deletes when a product's price or stock changes
// (wc_delete_product_transients), each with its expiry row.
const char* const kTransitorios[] = {"wc_products_onsale", "wc_featured_products", "wc_outofstock_count",
                                     "wc_low_stock_count"};

// Rating keys go from 1 to 5; a few more are read in case a plugin adds some.
const int kMaxCalificaciones = 10;

QString L(const char* texto) { return QString::fromLatin1(texto); }

QString lista(const std::vector<std::int64_t>& ids) {
    QStringList partes;
    partes.reserve(static_cast<qsizetype>(ids.size()));
    for (std::int64_t id : ids) partes << QString::number(id);
    return partes.join(QLatin1Char(','));
}

// The first value of `clave` for post p.ID, as WordPress's get_post_meta(id, key, true) reads it.
QString meta(const char* clave) {
    // The post's own rows (the post_id index): with "ORDER BY meta_id LIMIT 1" the server may
    // otherwise walk the key's index in meta_id order across every product, once per post.
    return QStringLiteral("(SELECT meta_value FROM wp_postmeta FORCE INDEX (post_id) WHERE post_id=p.ID AND "
                          "meta_key='%1' ORDER BY meta_id LIMIT 1)")
        .arg(L(clave));
}

// The keys the lookup row is derived from. Each post's rows of them are read in one pass (the
// post_id index) for the meta_id of each key's first row (d0.i0, d0.i1, ...), and each value then
// by its meta_id: the first row of a key, as WooCommerce reads a value.
const std::array<const char*, 13> kClavesLookup{"_sku", "_virtual", "_downloadable", "_price", "_sale_price",
                                                 "_manage_stock", "_stock", "_stock_status", "_wc_rating_count",
                                                 "_wc_average_rating", "total_sales", "_tax_status", "_tax_class"};

int indiceLookup(const char* clave) {
    for (size_t i = 0; i < kClavesLookup.size(); ++i)
        if (QLatin1String(kClavesLookup[i]) == QLatin1String(clave)) return static_cast<int>(i);
    return -1;
}

QString primerosIds() {
    QStringList c;
    for (size_t i = 0; i < kClavesLookup.size(); ++i)
        c << QStringLiteral("MIN(IF(m.meta_key = '%1', m.meta_id, NULL)) AS i%2").arg(L(kClavesLookup[i])).arg(i);
    return c.join(QLatin1Char(','));
}

QString primera(const char* clave) {
    return QStringLiteral("(SELECT meta_value FROM wp_postmeta WHERE meta_id = d0.i%1)").arg(indiceLookup(clave));
}

QString clavesLookup() {
    QStringList c;
    for (const char* k : kClavesLookup) c << QStringLiteral("'%1'").arg(L(k));
    return c.join(QLatin1Char(','));
}

// The sum of the values of a serialised PHP array of numbers ("a:2:{i:4;i:1;i:5;i:3;}" gives 4),
// a plain number as itself, nothing as 0: what WooCommerce makes of _wc_rating_count. Written
// with string functions every MySQL and MariaDB has.
QString sumaSerializada(const QString& v) {
    QStringList n;
    for (int i = 1; i <= kMaxCalificaciones; ++i) n << QStringLiteral("SELECT %1 AS n").arg(i);
    const QString cuerpo = QStringLiteral("SUBSTRING(%1, LOCATE('{', %1) + 1)").arg(v);
    // The value of pair k is the 2k-th ";"-separated token, its text after the last ":".
    const QString valor =
        QStringLiteral("TRIM(BOTH '\"' FROM SUBSTRING_INDEX(SUBSTRING_INDEX(SUBSTRING_INDEX(%1, ';', 2 * k.n), ';', -1), ':', -1))")
            .arg(cuerpo);
    const QString cuantos = QStringLiteral("SUBSTRING_INDEX(SUBSTRING_INDEX(%1, ':', 2), ':', -1) + 0").arg(v);
    return QStringLiteral("CASE WHEN %1 IS NULL OR %1 = '' THEN 0 "
                          "WHEN %1 LIKE 'a:%' THEN (SELECT IFNULL(SUM(TRUNCATE(%2 + 0, 0)), 0) FROM (%3) k "
                          "WHERE k.n <= %4) "
                          "ELSE TRUNCATE(%1 + 0, 0) END")
        .arg(v, valor, n.join(L(" UNION ALL ")), cuantos);
}

std::int64_t entero(const QVariant& v) { return v.isNull() ? 0 : v.toLongLong(); }

}  // namespace

QString WooCommerce::P(const QString& sql) const { return TablasTienda::ConPrefijo(sql, prefijo_); }

std::optional<WooCommerce> WooCommerce::Detecta(Conexion& cn, const QString& prefijo) {
    WooCommerce wc;
    wc.prefijo_ = prefijo;
    QVariant decimales;
    // WooCommerce finds a product type by its slug and a visibility term by its name. One read:
    // a shop without one of WooCommerce's tables answers it with 1146 (the last two columns
    // name the tables the other ones do not).
    try {
    cn.Recorre(
        wc.P(L("SELECT"
          " (SELECT tt.term_taxonomy_id FROM wp_term_taxonomy tt JOIN wp_terms t ON t.term_id = tt.term_id"
          "  WHERE tt.taxonomy = 'product_type' AND t.slug = 'simple' ORDER BY tt.term_taxonomy_id LIMIT 1),"
          " (SELECT tt.term_taxonomy_id FROM wp_term_taxonomy tt JOIN wp_terms t ON t.term_id = tt.term_id"
          "  WHERE tt.taxonomy = 'product_visibility' AND t.name = 'outofstock' ORDER BY tt.term_taxonomy_id LIMIT 1),"
          " (SELECT tt.term_taxonomy_id FROM wp_term_taxonomy tt WHERE tt.taxonomy = 'product_cat' AND tt.term_id ="
          "  (SELECT option_value + 0 FROM wp_options WHERE option_name = 'default_product_cat') LIMIT 1),"
          " (SELECT option_value FROM wp_options WHERE option_name = 'woocommerce_price_num_decimals'),"
          " (SELECT option_value FROM wp_options WHERE option_name = 'woocommerce_notify_no_stock_amount'),"
          " (SELECT option_value FROM wp_options WHERE option_name = 'woocommerce_hide_out_of_stock_items'),"
          " UNIX_TIMESTAMP(),"
          " (SELECT 1 FROM wp_wc_product_meta_lookup LIMIT 0), (SELECT 1 FROM wp_term_relationships LIMIT 0)")),
        [&](const FilaLeida& f) {
            wc.tipoSimple_ = entero(f.value(0));
            wc.sinExistencias_ = entero(f.value(1));
            wc.categoria_ = entero(f.value(2));
            decimales = f.value(3);
            // WooCommerce takes absint() of the threshold; sale dates are judged by the server's clock.
            wc.reglas_.umbralAgotado = std::abs(f.value(4).toString().trimmed().toInt());
            wc.ocultaAgotados_ = f.value(5).toString().trimmed() == QLatin1String("yes");
            wc.reglas_.ahora = entero(f.value(6));
        });
    } catch (const ErrorServicio& e) {
        if (e.numero() == 1146) return std::nullopt;
        throw;
    }
    wc.reglas_.woocommerce = true;
    if (wc.tipoSimple_ == 0 || wc.sinExistencias_ == 0) return std::nullopt;
    bool ok = false;
    const int d = decimales.toString().trimmed().toInt(&ok);
    if (ok) wc.decimalesPrecio_ = std::clamp(d < 0 ? -d : d, 0, 10);  // WooCommerce takes absint()
    return wc;
}

std::vector<std::int64_t> WooCommerce::EscribeLote(Conexion& cn, const std::vector<std::int64_t>& enviados,
                                                   const std::vector<std::int64_t>& padres) {
    // A new product is among `enviados` and has no type and no category yet, so the rule
    // below (a product that has none gets them) covers it, and mends the products that
    // earlier versions of the program created without them.
    if (enviados.empty()) return {};
    const std::vector<std::int64_t> cambiados = sincronizaVariables(cn, padres);
    std::vector<std::int64_t> todos = enviados;
    todos.insert(todos.end(), padres.begin(), padres.end());
    for (const QString& sql : SentenciasLote(lista(todos), lista(todos))) cn.Execute(sql);
    return cambiados;
}

QStringList WooCommerce::SentenciasLote(const QString& ids, const QString& cambiados) {
    escrito_ = true;
    QStringList sentencias;

    // 1. Lookup rows, derived from the meta rows as WooCommerce's "Regenerate product lookup
    // tables" does. A row that exists changes only in the columns that come from values the
    // program writes (SKU, price, stock); sales, ratings, tax and the rest stay WooCommerce's.
    const QString estado = meta("_stock_status");
    sentencias << (P(
        QStringLiteral(
            "INSERT INTO wp_wc_product_meta_lookup (product_id, sku, `virtual`, downloadable, min_price, max_price,"
            " onsale, stock_quantity, stock_status, rating_count, average_rating, total_sales, tax_status, tax_class) "
            "SELECT d.id, IFNULL(d.sku, ''), IF(d.virtual_ = 'yes', 1, 0), IF(d.downloadable_ = 'yes', 1, 0),"
            " d.min_price, d.max_price,"
            " IF(CAST(d.price AS DECIMAL) >= 0 AND IFNULL(d.sale, '') <> ''"
            "    AND CAST(d.price AS DECIMAL(10, %1)) = CAST(d.sale AS DECIMAL(10, %1)), 1, 0),"
            " IF(d.manage = 'yes', TRUNCATE(IFNULL(d.stock, '') + 0, 0), NULL),"
            " IFNULL(NULLIF(d.status, ''), 'instock'),"
            " %2,"
            " CAST(IFNULL(NULLIF(d.rating, ''), '0') AS DECIMAL(3, 2)),"
            " TRUNCATE(IFNULL(NULLIF(d.sales, ''), '0') + 0, 0),"
            " IFNULL(NULLIF(d.tax_status, ''), 'taxable'),"
            " IFNULL(d.tax_class, '') "
            "FROM (SELECT d0.id, %3 AS sku, %4 AS virtual_, %5 AS downloadable_, d0.min_price, d0.max_price,"
            " %6 AS price, %7 AS sale, %8 AS manage, %9 AS stock, %10 AS status, %11 AS rc, %12 AS rating,"
            " %13 AS sales, %14 AS tax_status, %15 AS tax_class"
            " FROM (SELECT p.ID AS id, %17,"
            "  MIN(IF(m.meta_key = '_price' AND m.meta_value <> '', m.meta_value + 0, NULL)) AS min_price,"
            "  MAX(IF(m.meta_key = '_price' AND m.meta_value <> '', m.meta_value + 0, NULL)) AS max_price"
            "  FROM wp_posts p LEFT JOIN wp_postmeta m ON m.post_id = p.ID AND m.meta_key IN (%18)"
            "  WHERE p.ID IN (%16) AND p.post_type IN ('product', 'product_variation') AND (p.ID IN (%19) OR NOT EXISTS"
            "  (SELECT 1 FROM wp_wc_product_meta_lookup l WHERE l.product_id = p.ID)) GROUP BY p.ID) d0) d "
            "ON DUPLICATE KEY UPDATE sku = VALUES(sku), min_price = VALUES(min_price), max_price = VALUES(max_price),"
            " onsale = VALUES(onsale), stock_quantity = VALUES(stock_quantity), stock_status = VALUES(stock_status)")
            .arg(QString::number(decimalesPrecio_), sumaSerializada(QStringLiteral("d.rc")), primera("_sku"),
                 primera("_virtual"), primera("_downloadable"), primera("_price"), primera("_sale_price"),
                 primera("_manage_stock"), primera("_stock"))
            .arg(primera("_stock_status"), primera("_wc_rating_count"), primera("_wc_average_rating"),
                 primera("total_sales"), primera("_tax_status"), primera("_tax_class"), ids, primerosIds(),
                 clavesLookup(), cambiados.isEmpty() ? QStringLiteral("0") : cambiados)));

    // 2. Terms added: the simple type and the default category to a product that has no type
    // or no category (as WooCommerce's save of a new product), "outofstock" to a product out of stock.
    const QString sinTaxonomia =
        QStringLiteral("SELECT p.ID, %1, 0 FROM wp_posts p WHERE p.ID IN (%2) AND p.post_type = 'product'"
                       " AND NOT EXISTS (SELECT 1 FROM wp_term_relationships r JOIN wp_term_taxonomy t"
                       " ON t.term_taxonomy_id = r.term_taxonomy_id WHERE r.object_id = p.ID AND t.taxonomy = '%3')");
    QStringList altas{sinTaxonomia.arg(QString::number(tipoSimple_), ids, L("product_type"))};
    if (categoria_ != 0) altas << sinTaxonomia.arg(QString::number(categoria_), ids, L("product_cat"));
    // The stock status, and so its term, moves only with a value the send changed.
    const QString conCambio = cambiados.isEmpty() ? QStringLiteral("0") : cambiados;
    altas << QStringLiteral("SELECT p.ID, %1, 0 FROM wp_posts p WHERE p.ID IN (%2)"
                            " AND p.post_type IN ('product', 'product_variation') AND %3 = 'outofstock'")
                 .arg(QString::number(sinExistencias_), conCambio, estado);
    sentencias << P(QStringLiteral("INSERT IGNORE INTO wp_term_relationships (object_id, term_taxonomy_id, term_order) ") +
                    altas.join(L(" UNION ALL ")));

    // 3. "outofstock" taken from a product no longer out of stock.
    sentencias << (P(QStringLiteral("DELETE FROM wp_term_relationships WHERE term_taxonomy_id = %1 AND object_id IN (%2)"
                              " AND IFNULL((SELECT m.meta_value FROM wp_postmeta m FORCE INDEX (post_id) WHERE m.post_id = "
                              "wp_term_relationships.object_id AND m.meta_key = '_stock_status' ORDER BY m.meta_id "
                              "LIMIT 1), '') <> 'outofstock'")
                   .arg(QString::number(sinExistencias_), conCambio)));
    return sentencias;
}

std::vector<std::int64_t> WooCommerce::sincronizaVariables(Conexion& cn, const std::vector<std::int64_t>& padres) {
    if (padres.empty()) return {};
    const QString ids = lista(padres);
    // The parents' own rows and their variations' prices and stock statuses, in meta_id order
    // (a value's first row is the one WordPress reads).
    std::map<std::int64_t, VariableLeida> variables;
    std::map<std::int64_t, size_t> variacion;  // variation ID -> its place among its parent's
    cn.Recorre(P(QStringLiteral(
                   "SELECT 'v', c.post_parent, c.ID, c.post_status, m.meta_key, m.meta_value, m.meta_id FROM wp_posts c"
                   " LEFT JOIN wp_postmeta m ON m.post_id = c.ID AND m.meta_key IN ('_price', '_stock_status')"
                   " WHERE c.post_parent IN (%1) AND c.post_type = 'product_variation'"
                   " AND c.post_status IN ('publish', 'private') "
                   "UNION ALL SELECT 'p', p.ID, p.ID, p.post_status, m.meta_key, m.meta_value, m.meta_id FROM wp_posts p"
                   " LEFT JOIN wp_postmeta m ON m.post_id = p.ID"
                   " AND m.meta_key IN ('_price', '_sale_price', '_regular_price', '_stock_status', '_manage_stock')"
                   " WHERE p.ID IN (%1) AND p.post_type = 'product' ORDER BY 7")
                   .arg(ids)),
               [&](const FilaLeida& f) {
                   const std::int64_t padre = entero(f.value(1));
                   VariableLeida& v = variables[padre];
                   v.id = padre;
                   const QString clave = f.value(4).toString();
                   const std::string valor = f.value(5).toString().toStdString();
                   const std::int64_t metaId = entero(f.value(6));
                   if (f.value(0).toString() == QLatin1String("p")) {
                       if (clave == QLatin1String("_price")) v.precios.push_back({metaId, valor});
                       else if (clave == QLatin1String("_sale_price") || clave == QLatin1String("_regular_price"))
                           v.sobrantes.push_back(metaId);
                       else if (clave == QLatin1String("_stock_status") && v.estado.metaId == 0) v.estado = {metaId, valor};
                       else if (clave == QLatin1String("_manage_stock")) v.gestiona = valor == "yes";
                       return;
                   }
                   const std::int64_t id = entero(f.value(2));
                   auto [it, nueva] = variacion.try_emplace(id, v.variaciones.size());
                   if (nueva) {
                       VariacionLeida h;
                       h.publicada = f.value(3).toString() == QLatin1String("publish");
                       h.privada = !h.publicada;
                       v.variaciones.push_back(h);
                   }
                   VariacionLeida& h = v.variaciones[it->second];
                   if (clave == QLatin1String("_price")) h.precios.push_back(valor);
                   else if (clave == QLatin1String("_stock_status") && h.estado.empty()) h.estado = valor;
               });

    QStringList borrar, filas, casos, estados;
    std::vector<std::int64_t> cambiados;
    estadosVariables_.clear();
    const auto texto = [&](const std::string& s) { return QLatin1Char('\'') + cn.Escapa(QString::fromStdString(s)) + QLatin1Char('\''); };
    for (const auto& [id, v] : variables) {
        const CambiosVariable c = SincronizaVariable(v, ocultaAgotados_);
        if (!c.cambia()) continue;
        cambiados.push_back(id);
        if (c.estado && *c.estado != v.estado.valor) estadosVariables_[id] = {v.estado.valor, *c.estado};
        for (std::int64_t m : c.borrar) borrar << QString::number(m);
        for (const std::string& p : c.precios) filas << QStringLiteral("(%1,'_price',%2)").arg(QString::number(id), texto(p));
        if (c.estado) {
            if (v.estado.metaId == 0) filas << QStringLiteral("(%1,'_stock_status',%2)").arg(QString::number(id), texto(*c.estado));
            else {
                casos << QStringLiteral("WHEN %1 THEN %2").arg(QString::number(v.estado.metaId), texto(*c.estado));
                estados << QString::number(v.estado.metaId);
            }
        }
    }
    if (!borrar.isEmpty())
        cn.Execute(P(QStringLiteral("DELETE FROM wp_postmeta WHERE meta_id IN (%1)").arg(borrar.join(QLatin1Char(',')))));
    // The prices come from the shop's rows: the prefix goes into the templates only.
    if (!filas.isEmpty())
        cn.Execute(P(QStringLiteral("INSERT INTO wp_postmeta (post_id, meta_key, meta_value) VALUES ")) +
                   filas.join(QLatin1Char(',')));
    if (!casos.isEmpty())
        cn.Execute(P(QStringLiteral("UPDATE wp_postmeta SET meta_value = CASE meta_id %1 END WHERE meta_id IN (%2)"))
                       .arg(casos.join(QLatin1Char(' ')), estados.join(QLatin1Char(','))));
    for (std::int64_t id : cambiados)
        if (std::find(padresCambiados_.begin(), padresCambiados_.end(), id) == padresCambiados_.end())
            padresCambiados_.push_back(id);
    return cambiados;
}

QStringList WooCommerce::Termina(Conexion& cn, bool huboCambios, const QStringList& junto) {
    QStringList avisos;
    // The counts move only with terms the send added or took away, which follow the products
    // it created or changed; nothing changed, nothing to do.
    if (!huboCambios) {
        escrito_ = false;
        return avisos;
    }
    std::vector<std::pair<QString, QString>> pasos;  // statement, and what is left undone without it
    if (escrito_) {
        // WordPress's own count (_update_post_term_count): published posts of the taxonomy's
        // object types carrying the term; product_visibility also applies to variations.
        QStringList terminos{QString::number(tipoSimple_), QString::number(sinExistencias_)};
        if (categoria_ != 0) terminos << QString::number(categoria_);
        pasos.push_back({P(QStringLiteral("UPDATE wp_term_taxonomy tt SET tt.count = (SELECT COUNT(*) FROM "
                                          "wp_term_relationships r JOIN wp_posts p ON p.ID = r.object_id"
                                          " WHERE r.term_taxonomy_id = tt.term_taxonomy_id AND p.post_status = 'publish'"
                                          " AND (p.post_type = 'product' OR (tt.taxonomy = 'product_visibility'"
                                          " AND p.post_type = 'product_variation')))"
                                          " WHERE tt.term_taxonomy_id IN (%1)")
                               .arg(terminos.join(QLatin1Char(',')))),
                         QStringLiteral("no se recontaron los productos de cada categoría y de «agotado»")});
        escrito_ = false;
    }
    QStringList nombres;
    for (const char* t : kTransitorios)
        nombres << QStringLiteral("'_transient_%1'").arg(L(t)) << QStringLiteral("'_transient_timeout_%1'").arg(L(t));
    // The cached prices and children of each variable product brought in step, as WooCommerce
    // clears them when it saves the product (wc_delete_product_transients).
    for (std::int64_t id : padresCambiados_)
        for (const char* t : {"wc_var_prices_", "wc_product_children_"})
            nombres << QStringLiteral("'_transient_%1%2'").arg(L(t)).arg(id)
                    << QStringLiteral("'_transient_timeout_%1%2'").arg(L(t)).arg(id);
    padresCambiados_.clear();
    pasos.push_back({P(QStringLiteral("DELETE FROM wp_options WHERE option_name IN (%1)").arg(nombres.join(QLatin1Char(',')))),
                     QStringLiteral("no se borraron las cachés de productos de WooCommerce (ofertas, agotados, precios de "
                                    "variaciones): pueden mostrar datos viejos unas horas")});
    // A new version makes every cached product query of WooCommerce's stale, the [products]
    // lists among them (product_query); it must be greater than the stored one even within
    // the same second.
    pasos.push_back({P(L("INSERT INTO wp_options (option_name, option_value, autoload)"
                         " VALUES ('_transient_product-transient-version', UNIX_TIMESTAMP(), 'yes'),"
                         " ('_transient_product_query-transient-version', UNIX_TIMESTAMP(), 'yes')"
                         " ON DUPLICATE KEY UPDATE option_value = GREATEST(VALUES(option_value), option_value + 1)")),
                     QStringLiteral("no se renovaron las consultas de productos guardadas por WooCommerce")});
    for (const QString& sql : junto) pasos.push_back({sql, QString()});

    // A shop user may lack a right the end needs (DELETE on the options table is often
    // withheld): the products are written by then, so that is told, not a failed send.
    const auto sinPermiso = [](const ErrorServicio& e) {
        return e.numero() == 1142 || e.numero() == 1143 || e.numero() == 1044;
    };
    QStringList todas;
    for (const auto& [sql, queNo] : pasos) todas << sql;
    try {
        cn.Varias(todas, [](int, const FilaLeida&) {});  // all in one round trip
        return avisos;
    } catch (const ErrorServicio& e) {
        if (!sinPermiso(e)) throw;
    }
    for (const auto& [sql, queNo] : pasos) {  // one by one, to tell which ones the rights refuse
        try {
            cn.Execute(sql);
        } catch (const ErrorServicio& e) {
            if (!sinPermiso(e) || queNo.isEmpty()) throw;
            avisos << QStringLiteral("%1: el usuario de la tienda no tiene permiso para ello (%2); pida ese permiso al "
                                     "hosting")
                          .arg(queNo, e.descripcion());
        }
    }
    return avisos;
}
