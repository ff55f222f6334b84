// A real WooCommerce shop behind the real Redis Object Cache drop-in: what its pages show after a
// send, with the shop's object-cache helper (wordpress/mu-plugins/moravi-cache.php) and without
// it, and what the helper costs a request when nothing changed.
#include "EntornoEnvio.h"
#include "support/CacheRedis.h"
#include "support/TiendaWoo.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString kAyudante = QStringLiteral(MORAVI_AYUDANTE_CACHE);
const QString kNombreAyudante = u"moravi-cache.php"_s;

// What a visitor's page load reads, in one fresh PHP process: each product's price, stock,
// stock status and whether it can be bought; the SKUs that WooCommerce's own product query
// lists as in stock, and those of the shop's [products] list sorted by price (its lookup
// table, the out-of-stock visibility term with "hide out of stock items" on, its cached loop);
// and how many products the default category counts, as category lists show.
const QString kLectura = uR"php(
$r = [];
foreach (['A1', 'A2', 'A3'] as $sku) {
    $id = wc_get_product_id_by_sku($sku);
    $p = $id ? wc_get_product($id) : null;
    $r[$sku] = $p ? [$p->get_price(), $p->get_stock_quantity(), $p->get_stock_status(),
                     $p->is_purchasable() && $p->is_in_stock()] : null;
}
$skus = function ($ids) { return array_map(function ($id) { return wc_get_product($id)->get_sku(); }, $ids); };
$r['en_existencia'] = $skus(wc_get_products(['stock_status' => 'instock', 'orderby' => 'ID', 'order' => 'ASC',
                                             'limit' => -1, 'return' => 'ids']));
preg_match_all('/\bpost-(\d+)\b/', do_shortcode('[products orderby="price" order="ASC"]'), $m);
$r['lista'] = $skus(array_values(array_unique($m[1])));
$r['en_categoria'] = get_term((int) get_option('default_product_cat'), 'product_cat')->count;
echo json_encode($r);
)php"_s;

// JSON text, so that a failed comparison prints readably.
QString json(const QJsonValue& v) {
    return QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact));
}

QString fila(const QString& precio, int existencia, const QString& estado, bool comprable) {
    return json(QJsonArray{precio, existencia, estado, comprable});
}

QString listaDe(std::initializer_list<const char*> l) {
    QJsonArray a;
    for (const char* s : l) a.append(QString::fromLatin1(s));
    return json(a);
}

class CacheTiendaTest : public EntornoEnvio {
protected:
    void SetUp() override {
        EntornoEnvio::SetUp();
        ASSERT_TRUE(tienda.instalada());
        ASSERT_TRUE(redis.lista());
        // The send goes to the WooCommerce shop.
        const prueba::ServidorBD s = prueba::servidorBD();
        Configuracion& c = Config();
        c.BaseWeb = tienda.nombre();
        c.UsuarioWeb = s.usuario;
        c.ContrasenaWeb = s.clave;
        // Two products made through WooCommerce, "hide out of stock items" on, and the plugin
        // that comes with the drop-in named among the active ones, as in a shop that enabled it.
        tienda.php(uR"php(
foreach ([['A1', 'Uno', '10', 5], ['A2', 'Dos', '20', 3]] as [$sku, $nombre, $precio, $existencia]) {
    $p = new WC_Product_Simple();
    $p->set_name($nombre); $p->set_sku($sku); $p->set_regular_price($precio);
    $p->set_manage_stock(true); $p->set_stock_quantity($existencia); $p->set_status('publish');
    $p->save();
}
update_option('woocommerce_hide_out_of_stock_items', 'yes');
update_option('active_plugins', array_merge(get_option('active_plugins'), ['redis-cache/redis-cache.php']));
)php"_s,
                   redis.entorno());
        producto(u"A1"_s, u"'Uno'"_s, u"10"_s, u"5"_s);
        producto(u"A2"_s, u"'Dos'"_s, u"20"_s, u"3"_s);
    }

    QJsonObject lee() { return tienda.json(kLectura, redis.entorno()).toObject(); }
    // The point of sale's price and stock of a product.
    void posVale(const QString& clave, const QString& precio, const QString& existencia) {
        host.ejecuta(u"UPDATE productos SET Precio1=%1, Existencia=%2 WHERE Clave='%3'"_s.arg(precio, existencia, clave));
    }
    QString latido() { return tienda.base().valor(u"SELECT option_value FROM wp_options WHERE option_name='moravi_cache_latido'"_s); }

    prueba::TiendaWoo tienda;
    prueba::CacheRedis redis;
};

TEST_F(CacheTiendaTest, WithTheHelperThePageAfterASendShowsWhatItWroteWithoutItTheUserIsTold) {
    // The cache is primed by a visit, as the shop's pages do all day.
    const QJsonObject antes = lee();
    EXPECT_EQ(json(antes[u"A1"_s]), fila(u"10"_s, 5, u"instock"_s, true));
    EXPECT_EQ(json(antes[u"lista"_s]), listaDe({"A1", "A2"}));

    // Without the helper: the send and the preview say the shop will go on showing old values,
    // the send still counts as complete, and no table is written to.
    posVale(u"A1"_s, u"13"_s, u"0"_s);
    const VistaPreviaEnvio vista = clsProcedimenti(ventana).VistaPrevia();
    ASSERT_EQ(vista.avisos.size(), 1);
    ResultadoEnvio r = enviar();
    EXPECT_TRUE(r.completo());
    ASSERT_EQ(r.avisos.size(), 1) << r.avisos.join(u"\n"_s).toStdString();
    EXPECT_EQ(r.avisos[0], vista.avisos[0]);
    for (const char* parte : {"caché persistente de objetos (Redis Object Cache)", "precios y existencias anteriores",
                              "wordpress/mu-plugins", "moravi-cache.php", "wp-content/mu-plugins"})
        EXPECT_TRUE(r.avisos[0].contains(QString::fromUtf8(parte))) << parte << " in " << r.avisos[0].toStdString();
    // ... and rightly so: the next page still shows the old price and stock, and sells it.
    EXPECT_EQ(json(lee()[u"A1"_s]), fila(u"10"_s, 5, u"instock"_s, true));

    // The administrator installs the helper: on its first request it makes its table and
    // cleans every product once, so what the earlier send wrote shows at once.
    redis.agregaMuPlugin(kAyudante);
    QJsonObject despues = lee();
    EXPECT_EQ(json(despues[u"A1"_s]), fila(u"13"_s, 0, u"outofstock"_s, false));
    EXPECT_EQ(json(despues[u"lista"_s]), listaDe({"A2"}));
    const QJsonObject l = QJsonDocument::fromJson(latido().toUtf8()).object();
    EXPECT_EQ(l[u"version"_s].toString(), u"1.0.0"_s);
    EXPECT_TRUE(l[u"cache_persistente"_s].toBool());
    EXPECT_GT(l[u"ultima_limpieza"_s].toInteger(), 0);

    // A send that changes prices and stock and creates a product, with the cache primed again:
    // the next page load shows all of it, in the values, the lists and their order.
    despues = lee();
    posVale(u"A1"_s, u"8"_s, u"4"_s);
    posVale(u"A2"_s, u"30"_s, u"0"_s);
    producto(u"A3"_s, u"'Tres'"_s, u"9"_s, u"2"_s);
    r = enviar();
    EXPECT_TRUE(r.completo());
    EXPECT_EQ(r.nuevos, 1);
    EXPECT_TRUE(r.avisos.isEmpty()) << r.avisos.join(u"\n"_s).toStdString();
    // One change row per product the send changed or made, and one per term it recounted.
    EXPECT_EQ(tienda.base().valor(u"SELECT COUNT(*) FROM wp_moravi_cambios WHERE tipo=1"_s), u"3"_s);
    EXPECT_GE(tienda.base().valor(u"SELECT COUNT(*) FROM wp_moravi_cambios WHERE tipo=2"_s).toInt(), 2);
    despues = lee();
    EXPECT_EQ(json(despues[u"A1"_s]), fila(u"8"_s, 4, u"instock"_s, true));
    EXPECT_EQ(json(despues[u"A2"_s]), fila(u"30"_s, 0, u"outofstock"_s, false));
    EXPECT_EQ(json(despues[u"A3"_s]), fila(u"9"_s, 2, u"instock"_s, true));
    EXPECT_EQ(json(despues[u"en_existencia"_s]), listaDe({"A1", "A3"}));
    EXPECT_EQ(json(despues[u"lista"_s]), listaDe({"A1", "A3"}));
    EXPECT_EQ(despues[u"en_categoria"_s].toInt(), 3);
    EXPECT_EQ(QJsonDocument::fromJson(latido().toUtf8()).object()[u"limpio_hasta"_s].toInteger(),
              tienda.base().valor(u"SELECT MAX(id) FROM wp_moravi_cambios"_s).toLongLong());
}

TEST_F(CacheTiendaTest, TheHelperCostsOneQueryWhenNothingChangedAndTheSendPrunesWhatItCleaned) {
    // Second cleans right after the first, so that rows become prunable within the test.
    redis.escribeMuPlugin(u"0-repaso.php"_s, u"<?php define('MORAVI_CACHE_REPASO', 0);"_s);
    const QString consultas = u"global $wpdb; echo $wpdb->num_queries;"_s;
    redis.agregaMuPlugin(kAyudante);
    tienda.php(QString(), redis.entorno());  // the helper's first request: its table, every product
    ASSERT_FALSE(latido().isEmpty());
    const QString primerLatido = latido();
    const int con = tienda.php(consultas, redis.entorno()).toInt();
    EXPECT_EQ(tienda.php(consultas, redis.entorno()).toInt(), con);
    redis.quitaMuPlugin(kNombreAyudante);
    const int sin = tienda.php(consultas, redis.entorno()).toInt();
    redis.agregaMuPlugin(kAyudante);
    EXPECT_EQ(con, sin + 1);
    EXPECT_EQ(latido(), primerLatido) << "the heartbeat is not written on every request";

    // A send: the next request cleans (more queries), the one after makes the second clean,
    // then it costs one query again.
    posVale(u"A1"_s, u"11"_s, u"6"_s);
    ASSERT_TRUE(enviar().completo());
    EXPECT_GT(tienda.php(consultas, redis.entorno()).toInt(), con);
    tienda.php(QString(), redis.entorno());
    EXPECT_EQ(tienda.php(consultas, redis.entorno()).toInt(), con);
    const QJsonObject l = QJsonDocument::fromJson(latido().toUtf8()).object();
    const QString ultima = tienda.base().valor(u"SELECT MAX(id) FROM wp_moravi_cambios"_s);
    EXPECT_EQ(l[u"podar_hasta"_s].toInteger(), ultima.toLongLong());

    // The next send deletes the rows the helper is done with, all but the newest.
    ASSERT_TRUE(enviar().completo());
    EXPECT_EQ(tienda.base().filas(u"SELECT id FROM wp_moravi_cambios"_s), QStringList{ultima});

    // A helper that has not answered for hours while a change waits for it is reported.
    tienda.base().ejecuta(u"UPDATE wp_options SET option_value = JSON_SET(option_value, '$.latido', "
                          "UNIX_TIMESTAMP() - 7 * 3600) WHERE option_name = 'moravi_cache_latido';\n"
                          "INSERT INTO wp_moravi_cambios (objeto, tipo, creado) VALUES (1, 1, NOW() - INTERVAL 2 HOUR)"_s);
    const VistaPreviaEnvio vista = clsProcedimenti(ventana).VistaPrevia();
    ASSERT_EQ(vista.avisos.size(), 1);
    EXPECT_TRUE(vista.avisos[0].contains(u"no da señales desde hace 7 horas"_s)) << vista.avisos[0].toStdString();
}

}  // namespace
