// A real WooCommerce shop behind the real Redis Object Cache drop-in: what its pages show after a
// send, with the shop's object-cache helper (wordpress/mu-plugins/moravi-cache.php) and without
// it, and what the helper costs a request when nothing changed.
#include "EntornoEnvio.h"
#include "support/CacheRedis.h"
#include "support/Sistema.h"
#include "support/TiendaWoo.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString kAyudante = u"moravi-cache.php"_s;
QByteArray ayudante() {
    QFile f(QStringLiteral(MORAVI_AYUDANTE_CACHE));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

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
    const QByteArray t = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(t.mid(1, t.size() - 2));
}

class CacheDeObjetos : public EntornoEnvio {
protected:
    void SetUp() override {
        EntornoEnvio::SetUp();
        SALTA_SI(prueba::SinProgramasLinux());
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
    QJsonObject latido() {
        const QString sql = u"SELECT option_value FROM wp_options WHERE option_name='moravi_cache_latido'"_s;
        return QJsonDocument::fromJson(tienda.base().valor(sql).toUtf8()).object();
    }

    prueba::TiendaWoo tienda;
    prueba::CacheRedis redis;
};

TEST_F(CacheDeObjetos, WithTheHelperThePageAfterASendShowsWhatItWroteWithoutItTheUserIsTold) {
    // The cache is primed by a visit, as the shop's pages do all day.
    const QString antes = uR"({"A1":["10",5,"instock",true],"A2":["20",3,"instock",true],"A3":null,)"
                          uR"("en_categoria":2,"en_existencia":["A1","A2"],"lista":["A1","A2"]})"_s;
    EXPECT_EQ(json(lee()), antes);

    // Without the helper: the send and the preview say the shop will go on showing old values,
    // the send still counts as complete, and no table is written to.
    posVale(u"A1"_s, u"13"_s, u"0"_s);
    const VistaPreviaEnvio vista = clsProcedimenti(ventana).VistaPrevia();
    ASSERT_EQ(vista.avisos.size(), 1);
    ResultadoEnvio r = enviar();
    EXPECT_TRUE(r.completo());
    ASSERT_EQ(r.avisos.size(), 1) << r.avisos.join(u"\n"_s).toStdString();
    EXPECT_EQ(r.avisos[0], vista.avisos[0]);
    EXPECT_TRUE(r.avisos[0].contains(u"(Redis Object Cache) y no tiene instalado el ayudante"_s) &&
                r.avisos[0].contains(u"copie el archivo wordpress/mu-plugins/moravi-cache.php"_s))
        << r.avisos[0].toStdString();
    // ... and rightly so: the next page still shows the old price and stock, and sells it.
    EXPECT_EQ(json(lee()), antes);

    // The administrator installs the helper: on its first request it makes its table and
    // cleans every product once, so what the earlier send wrote shows at once.
    redis.muPlugin(kAyudante, ayudante());
    EXPECT_EQ(json(lee()), uR"({"A1":["13",0,"outofstock",false],"A2":["20",3,"instock",true],"A3":null,)"
                           uR"("en_categoria":2,"en_existencia":["A2"],"lista":["A2"]})"_s);
    EXPECT_EQ(latido()[u"version"_s].toString(), u"1.1.0"_s);

    // A send that changes prices and stock and creates a product, with the cache primed again:
    // the next page load shows all of it, in the values, the lists and their order.
    lee();
    posVale(u"A1"_s, u"8"_s, u"4"_s);
    posVale(u"A2"_s, u"30"_s, u"0"_s);
    producto(u"A3"_s, u"'Tres'"_s, u"9"_s, u"2"_s);
    r = enviar();
    EXPECT_TRUE(r.completo());
    EXPECT_EQ(r.nuevos, 1);
    EXPECT_TRUE(r.avisos.isEmpty()) << r.avisos.join(u"\n"_s).toStdString();
    EXPECT_EQ(json(lee()), uR"({"A1":["8",4,"instock",true],"A2":["30",0,"outofstock",false],"A3":["9",2,"instock",true],)"
                           uR"("en_categoria":3,"en_existencia":["A1","A3"],"lista":["A1","A3"]})"_s);
}

TEST_F(CacheDeObjetos, TheHelperCostsOneQueryWhenNothingChangedAndTheSendPrunesWhatItCleaned) {
    // Second cleans right after the first, so that rows become prunable within the test.
    redis.muPlugin(u"0-repaso.php"_s, "<?php define('MORAVI_CACHE_REPASO', 0);");
    const QString consultas = u"global $wpdb; echo $wpdb->num_queries;"_s;
    redis.muPlugin(kAyudante, ayudante());
    tienda.php(QString(), redis.entorno());  // the helper's first request: its table, every product
    const QJsonObject primerLatido = latido();
    ASSERT_FALSE(primerLatido.isEmpty());
    const int con = tienda.php(consultas, redis.entorno()).toInt();
    EXPECT_EQ(tienda.php(consultas, redis.entorno()).toInt(), con);
    redis.muPlugin(kAyudante, {});
    const int sin = tienda.php(consultas, redis.entorno()).toInt();
    redis.muPlugin(kAyudante, ayudante());
    EXPECT_EQ(con, sin + 1);
    EXPECT_EQ(json(latido()), json(primerLatido)) << "the heartbeat is not written on every request";

    // A send: the next request cleans (more queries), the one after makes the second clean
    // (and WP-Cron runs the shop's queue there: the helper's actions for the send), then it
    // costs one query again.
    posVale(u"A1"_s, u"11"_s, u"6"_s);
    ASSERT_TRUE(enviar().completo());
    EXPECT_GT(tienda.php(consultas, redis.entorno()).toInt(), con);
    tienda.php(u"ActionScheduler_QueueRunner::instance()->run();"_s, redis.entorno());
    EXPECT_EQ(tienda.php(consultas, redis.entorno()).toInt(), con);
    const QString ultima = tienda.base().valor(u"SELECT MAX(id) FROM wp_moravi_cambios"_s);
    EXPECT_EQ(latido()[u"podar_hasta"_s].toInteger(), ultima.toLongLong());

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
