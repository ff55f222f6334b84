// WooCommerce's own records of the products a send writes (lookup rows, terms, counts, caches),
// against a real MariaDB holding WordPress's tables and the ones WooCommerce's installer adds.
// The posts and values are written here with plain SQL, as the send writes them.
#include "servicelib/BasesDD.h"
#include "servicelib/CrearObjeto.h"
#include "support/ServidoresPrueba.h"
#include "sync/WooCommerce.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The 25 values the send gives a new product besides its SKU.
const QString kIniciales =
    u"('_wc_review_count','0'),('_wc_rating_count','a:0:{}'),('_wc_average_rating','0'),('_edit_last','337'),"
    "('_mp_recurring_frequency','1'),('_mp_recurring_frequency_type','days'),('_manage_stock','yes'),"
    "('_backorders','no'),('_low_stock_amount','0'),('_sold_individually','no'),('_upsell_ids','a:0:{}'),"
    "('_crosssell_ids','a:0:{}'),('_default_attributes','a:0:{}'),('_virtual','no'),('_downloadable','no'),"
    "('_download_limit','-1'),('_download_expiry','-1'),('_product_version','3.5.5'),('slide_template','Default'),"
    "('_post_facebook_shares','0'),('_post_twitter_shares','0'),('_post_google_shares','0'),"
    "('_post_pinterest_shares','0'),('_post_vk_shares','0'),('_post_mail_shares','0')"_s;

// Columns of a lookup row, "|"-joined, NULL as "NULL".
const QString kFila =
    u"CONCAT_WS('|', sku, `virtual`, downloadable, IFNULL(min_price, 'NULL'), IFNULL(max_price, 'NULL'), onsale, "
    "IFNULL(stock_quantity, 'NULL'), stock_status, rating_count, average_rating, total_sales, tax_status, tax_class)"_s;

// The transients WooCommerce clears on a price or stock change, and one it keeps.
const QString kTransitorios =
    u"INSERT INTO wp_options (option_name, option_value, autoload) VALUES ('_transient_wc_products_onsale','x','no'),"
    "('_transient_timeout_wc_products_onsale','9','no'),('_transient_wc_featured_products','x','no'),"
    "('_transient_wc_outofstock_count','3','no'),('_transient_timeout_wc_outofstock_count','9','no'),"
    "('_transient_wc_low_stock_count','1','no'),('_transient_otro','x','no')"_s;
const QString kQuedan = u"SELECT GROUP_CONCAT(option_name ORDER BY option_name) FROM wp_options "
                        "WHERE option_name LIKE '\\_transient\\_%' AND option_name NOT LIKE '%-transient-version'"_s;

struct Conexion_ {
    std::shared_ptr<kesa5::BasesDD> bd;
    ConexionPtr cn;
};

Conexion_ conecta(prueba::BaseTemporal& base) {
    Conexion_ c;
    if (!CrearObjeto(c.bd, u"BasesDD"_s)) return c;
    const prueba::ServidorBD s = prueba::servidorBD();
    c.bd->cRuta = s.host;
    c.bd->cPuerto = static_cast<std::uint16_t>(s.puerto);
    c.bd->cUsuario = s.usuario;
    c.bd->cPassword = s.clave;
    c.bd->cMiBase = base.nombre();
    if (!c.bd->AbrirBdD(c.cn, base.nombre())) c.cn.reset();
    return c;
}

class TiendaWoo : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(con.cn);
        wc = WooCommerce::Detecta(*con.cn);
        ASSERT_TRUE(wc);
    }

    // What the send writes for a product: when `clave` has no post yet, the post (13 columns),
    // its SKU and 25 values; then "_regular_price" and "_price" (unless `precio` is empty),
    // "_stock" and "_stock_status". Returns the post's ID.
    QString envia(const QString& clave, const QString& precio, const QString& existencia) {
        QString id = web.filas(u"SELECT post_id FROM wp_postmeta WHERE meta_key='_sku' AND meta_value='%1'"_s.arg(clave))
                         .value(0);
        if (id.isEmpty()) {
            web.ejecuta(u"INSERT INTO wp_posts (post_author, post_status, comment_status, ping_status, post_title, "
                        "post_date, post_date_gmt, post_type, post_content, post_excerpt, to_ping, pinged, "
                        "post_content_filtered) VALUES (333, 'publish', 'closed', 'closed', '%1', NOW(), NOW(), "
                        "'product', '', '', '', '', '');\n"
                        "SET @id = LAST_INSERT_ID();\n"
                        "INSERT INTO wp_postmeta (post_id, meta_key, meta_value) SELECT @id, '_sku', '%1';\n"
                        "INSERT INTO wp_postmeta (post_id, meta_key, meta_value) SELECT @id, k, v FROM (SELECT '' k, '' v "
                        "UNION ALL VALUES %2) t WHERE k <> ''"_s.arg(clave, kIniciales));
            id = web.valor(u"SELECT post_id FROM wp_postmeta WHERE meta_key='_sku' AND meta_value='%1'"_s.arg(clave));
            nuevos.push_back(id.toLongLong());
        }
        const bool hay = existencia.toDouble() > 0;
        QStringList valores{u"('_stock','%1')"_s.arg(existencia),
                            u"('_stock_status','%1')"_s.arg(hay ? u"instock"_s : u"outofstock"_s)};
        if (!precio.isEmpty()) valores << u"('_regular_price','%1')"_s.arg(precio) << u"('_price','%1')"_s.arg(precio);
        for (const QString& v : valores) {
            const QString clave2 = v.section(u'\'', 1, 1), valor = v.section(u'\'', 3, 3);
            web.ejecuta(u"UPDATE wp_postmeta SET meta_value='%3' WHERE post_id=%1 AND meta_key='%2';\n"
                        "INSERT INTO wp_postmeta (post_id, meta_key, meta_value) SELECT %1, '%2', '%3' FROM DUAL "
                        "WHERE NOT EXISTS (SELECT 1 FROM wp_postmeta WHERE post_id=%1 AND meta_key='%2')"_s
                            .arg(id, clave2, valor));
        }
        enviados.push_back(id.toLongLong());
        return id;
    }

    // One chunk in its transaction, then the end of the run; the chunk's lists start again.
    void termina(bool huboCambios = true) {
        con.cn->BeginTrans();
        wc->EscribeLote(*con.cn, enviados, {});
        con.cn->CommitTrans();
        wc->Termina(*con.cn, huboCambios);
        enviados.clear();
        nuevos.clear();
    }

    QString lookup(const QString& id) {
        return web.filas(u"SELECT %1 FROM wp_wc_product_meta_lookup WHERE product_id=%2"_s.arg(kFila, id)).join(u"/"_s);
    }
    QString terminos(const QString& id) {
        return web.valor(u"SELECT IFNULL(GROUP_CONCAT(term_taxonomy_id ORDER BY term_taxonomy_id), '') "
                         "FROM wp_term_relationships WHERE object_id=%1"_s.arg(id));
    }
    // term_taxonomy_id:count of every term with a count.
    QString cuentas() {
        return web.valor(u"SELECT IFNULL(GROUP_CONCAT(term_taxonomy_id, ':', count ORDER BY term_taxonomy_id), '') "
                         "FROM wp_term_taxonomy WHERE count <> 0"_s);
    }
    // Seconds between the shop's transient version and the server's clock.
    qlonglong edadVersion() {
        return web.valor(u"SELECT UNIX_TIMESTAMP() - option_value FROM wp_options "
                         "WHERE option_name = '_transient_product-transient-version'"_s)
            .toLongLong();
    }

    prueba::BaseTemporal web{{u"wordpress-tables.sql"_s, u"woocommerce-tables.sql"_s}};
    Conexion_ con = conecta(web);
    std::optional<WooCommerce> wc;
    std::vector<std::int64_t> enviados, nuevos;
};

TEST_F(TiendaWoo, NewProductsGetTheirLookupRowSimpleTypeDefaultCategoryAndStockTerm) {
    // A draft WooCommerce made carries the type and the category too: it is not counted.
    web.ejecuta(u"INSERT INTO wp_posts (ID, post_status, post_type, post_content, post_title, post_excerpt, to_ping, "
                "pinged, post_content_filtered) VALUES (500, 'draft', 'product', '', 'Borrador', '', '', '', '');\n"
                "INSERT INTO wp_term_relationships (object_id, term_taxonomy_id) VALUES (500, 2), (500, 15);\n"
                "UPDATE wp_term_taxonomy SET count = 99 WHERE term_taxonomy_id = 2;\n"_s +
                kTransitorios);
    // Key, price ("" for none), stock; the lookup row and the terms expected.
    const std::vector<std::tuple<QString, QString, QString, QString, QString>> casos{
        {u"A1"_s, u"12.5"_s, u"3"_s, u"A1|0|0|12.5000|12.5000|0|3|instock|0|0.00|0|taxable|"_s, u"2,15"_s},
        {u"B2"_s, u"7"_s, u"0"_s, u"B2|0|0|7.0000|7.0000|0|0|outofstock|0|0.00|0|taxable|"_s, u"2,9,15"_s},
        {u"C3"_s, u"0.5"_s, u"-3.5"_s, u"C3|0|0|0.5000|0.5000|0|-3|outofstock|0|0.00|0|taxable|"_s, u"2,9,15"_s},
        {u"D4"_s, QString(), u"2.7"_s, u"D4|0|0|NULL|NULL|0|2|instock|0|0.00|0|taxable|"_s, u"2,15"_s},
    };
    QStringList ids;
    for (const auto& [clave, precio, existencia, fila, terms] : casos) ids << envia(clave, precio, existencia);

    // A chunk rolled back leaves nothing; written again, then once more, each row is there once.
    con.cn->BeginTrans();
    wc->EscribeLote(*con.cn, enviados, {});
    con.cn->RollbackTrans();
    EXPECT_EQ(web.valor(u"SELECT COUNT(*) FROM wp_wc_product_meta_lookup"_s), u"0"_s);
    EXPECT_EQ(web.valor(u"SELECT COUNT(*) FROM wp_term_relationships"_s), u"2"_s);
    wc->EscribeLote(*con.cn, enviados, {});
    termina();

    for (std::size_t i = 0; i < casos.size(); ++i) {
        const auto& [clave, precio, existencia, fila, terms] = casos[i];
        EXPECT_EQ(lookup(ids[i]), fila) << clave.toStdString();
        EXPECT_EQ(terminos(ids[i]), terms) << clave.toStdString();
    }
    EXPECT_EQ(cuentas(), u"2:4,9:2,15:4"_s);
    // The installer's category-count cache is not one of them.
    EXPECT_EQ(web.valor(kQuedan), u"_transient_otro,_transient_wc_term_counts"_s);
    EXPECT_LE(edadVersion(), 5);
}

TEST_F(TiendaWoo, StockAndPriceChangesAcrossRunsMoveTheTermLookupRowAndCounts) {
    web.ejecuta(u"INSERT INTO wp_options (option_name, option_value) VALUES ('_transient_product-transient-version', '1')"_s);
    struct Ronda {
        QString precio, existencia;
        bool huboCambios;
        QString fila, terms, cuentas;
        bool versionNueva;
    };
    const std::vector<Ronda> rondas{
        {u"10"_s, u"4"_s, true, u"A1|0|0|10.0000|10.0000|0|4|instock|0|0.00|0|taxable|"_s, u"2,15"_s, u"2:2,15:2"_s, true},
        {u"10"_s, u"0"_s, true, u"A1|0|0|10.0000|10.0000|0|0|outofstock|0|0.00|0|taxable|"_s, u"2,9,15"_s,
         u"2:2,9:1,15:2"_s, true},
        {u"10"_s, u"6"_s, true, u"A1|0|0|10.0000|10.0000|0|6|instock|0|0.00|0|taxable|"_s, u"2,15"_s, u"2:2,15:2"_s, true},
        {u"11.25"_s, u"6"_s, true, u"A1|0|0|11.2500|11.2500|0|6|instock|0|0.00|0|taxable|"_s, u"2,15"_s,
         u"2:2,15:2"_s, true},
        // Nothing changed: the caches stay.
        {u"11.25"_s, u"6"_s, false, u"A1|0|0|11.2500|11.2500|0|6|instock|0|0.00|0|taxable|"_s, u"2,15"_s,
         u"2:2,15:2"_s, false},
    };
    for (std::size_t i = 0; i < rondas.size(); ++i) {
        const Ronda& r = rondas[i];
        SCOPED_TRACE("ronda " + std::to_string(i + 1));
        web.ejecuta(u"UPDATE wp_options SET option_value = '1' WHERE option_name = '_transient_product-transient-version';\n"_s +
                    kTransitorios);
        const QString id = envia(u"A1"_s, r.precio, r.existencia);
        envia(u"B2"_s, u"3"_s, u"5"_s);
        termina(r.huboCambios);
        EXPECT_EQ(lookup(id), r.fila);
        EXPECT_EQ(terminos(id), r.terms);
        EXPECT_EQ(cuentas(), r.cuentas);
        EXPECT_EQ(web.valor(kQuedan).contains(u"wc_outofstock_count"_s), !r.versionNueva);
        EXPECT_EQ(edadVersion() < 1000, r.versionNueva);
        web.ejecuta(u"DELETE FROM wp_options WHERE option_name LIKE '\\_transient\\_%' "
                    "AND option_name <> '_transient_product-transient-version'"_s);
    }
}

TEST_F(TiendaWoo, ProductsWooCommerceMadeKeepWhatIsNotTheProgramsOwn) {
    // Two products saved through WooCommerce: on sale, sold, rated, a tax class, featured,
    // rated 5, a category of their own. The first has its lookup row as WooCommerce wrote it;
    // the second has none (made before the table existed), so its row comes whole from its values.
    web.ejecuta(u"INSERT INTO wp_terms VALUES (20, 'Mesas', 'mesas', 0);\n"
                "INSERT INTO wp_term_taxonomy VALUES (20, 20, 'product_cat', '', 0, 2);\n"
                "UPDATE wp_term_taxonomy SET count = 2 WHERE term_taxonomy_id IN (2, 8, 14);\n"
                "INSERT INTO wp_posts (ID, post_author, post_status, post_type, post_content, post_title, post_excerpt, "
                "to_ping, pinged, post_content_filtered) VALUES (700, 1, 'publish', 'product', 'Hecha a mano', 'Mesa', "
                "'', '', '', ''), (701, 1, 'publish', 'product', '', 'Silla', '', '', '', '');\n"
                "INSERT INTO wp_term_relationships (object_id, term_taxonomy_id) VALUES "
                "(700, 2), (700, 8), (700, 14), (700, 20), (701, 2), (701, 8), (701, 14), (701, 20);\n"
                "INSERT INTO wp_postmeta (post_id, meta_key, meta_value) SELECT i, k, v FROM "
                "(SELECT 700 i UNION ALL SELECT 701) p, (SELECT '' k, '' v UNION ALL VALUES ('_regular_price','20'),"
                "('_sale_price','15'),('_price','15'),('total_sales','7'),('_tax_status','taxable'),"
                "('_tax_class','reduced-rate'),('_manage_stock','no'),('_backorders','no'),('_stock',NULL),"
                "('_stock_status','instock'),('_virtual','yes'),('_downloadable','no'),"
                "('_wc_rating_count','a:2:{i:4;i:1;i:5;i:3;}'),('_wc_average_rating','4.75'),('_wc_review_count','4'),"
                "('_product_version','7.8.2')) m WHERE k <> '';\n"
                "INSERT INTO wp_postmeta (post_id, meta_key, meta_value) VALUES (700, '_sku', 'M1'), (701, '_sku', 'S1');\n"
                "INSERT INTO wp_wc_product_meta_lookup VALUES "
                "(700, 'M1', 1, 0, 15, 15, 1, NULL, 'instock', 4, 4.75, 7, 'taxable', 'reduced-rate')"_s);
    const QString intacta = u"M1|1|0|15.0000|15.0000|1|NULL|instock|4|4.75|7|taxable|reduced-rate"_s;
    ASSERT_EQ(lookup(u"700"_s), intacta);

    // Sent unchanged first (the sale price stays the price), then with a price and stock of the point of sale's.
    for (const auto& [precio, existencia, fila, terms] :
         std::vector<std::tuple<QString, QString, QString, QString>>{
             {u"15"_s, u"4"_s, u"|1|0|15.0000|15.0000|1|NULL|instock|4|4.75|7|taxable|reduced-rate"_s, u"2,8,14,20"_s},
             {u"18"_s, u"0"_s, u"|1|0|18.0000|18.0000|0|NULL|outofstock|4|4.75|7|taxable|reduced-rate"_s,
              u"2,8,9,14,20"_s}}) {
        envia(u"M1"_s, precio, existencia);
        envia(u"S1"_s, precio, existencia);
        EXPECT_TRUE(nuevos.empty());
        termina();
        EXPECT_EQ(lookup(u"700"_s), u"M1"_s + fila);
        EXPECT_EQ(lookup(u"701"_s), u"S1"_s + fila);
        EXPECT_EQ(terminos(u"700"_s), terms);
        EXPECT_EQ(terminos(u"701"_s), terms);
    }
    EXPECT_EQ(cuentas(), u"2:2,8:2,9:2,14:2,20:2"_s);
    EXPECT_EQ(web.valor(u"SELECT CONCAT_WS('|', post_author, post_content, post_title) FROM wp_posts WHERE ID=700"_s),
              u"1|Hecha a mano|Mesa"_s);
}

TEST(TiendaSinWoo, OnlyAShopWithWooCommercesTablesAndTermsIsWrittenTo) {
    // Fixtures, what is taken away, and what Detecta finds ("" for nothing).
    const std::vector<std::tuple<QStringList, QString, QString>> casos{
        {{u"wordpress-tables.sql"_s}, QString(), QString()},
        {{u"wordpress-tables.sql"_s, u"woocommerce-tables.sql"_s}, u"DROP TABLE wp_wc_product_meta_lookup"_s, QString()},
        {{u"wordpress-tables.sql"_s, u"woocommerce-tables.sql"_s},
         u"DELETE FROM wp_term_taxonomy WHERE taxonomy = 'product_visibility'"_s, QString()},
        {{u"wordpress-tables.sql"_s, u"woocommerce-tables.sql"_s}, u"DELETE FROM wp_terms WHERE slug = 'simple'"_s,
         QString()},
        {{u"wordpress-tables.sql"_s, u"woocommerce-tables.sql"_s},
         u"DELETE FROM wp_options WHERE option_name = 'default_product_cat'"_s, u"2|9|0"_s},
        {{u"wordpress-tables.sql"_s, u"woocommerce-tables.sql"_s}, QString(), u"2|9|15"_s},
    };
    for (const auto& [fixtures, quita, hallado] : casos) {
        SCOPED_TRACE(quita.toStdString());
        prueba::BaseTemporal base(fixtures);
        if (!quita.isEmpty()) base.ejecuta(quita);
        Conexion_ c = conecta(base);
        ASSERT_TRUE(c.cn);
        const std::optional<WooCommerce> wc = WooCommerce::Detecta(*c.cn);
        EXPECT_EQ(wc ? u"%1|%2|%3"_s.arg(wc->TipoSimple()).arg(wc->SinExistencias()).arg(wc->CategoriaPredeterminada())
                     : QString(),
                  hallado);
    }
}

}  // namespace
