// What a real WooCommerce shop's other plugins hear of a send, through the shop's helper
// (wordpress/mu-plugins/moravi-cache.php): a recorder must-use plugin notes every product
// action WooCommerce fires, with its arguments, for products the program sent ("A...") and for
// twins WooCommerce saved itself with the same change ("T..."), after the shop's queue (Action
// Scheduler) has run; both must hear the same. On WooCommerce 7.8.2 and 11.0.1 (10.8 added
// woocommerce_product_published and the product.published webhook).
#include "EntornoEnvio.h"
#include "support/Sistema.h"
#include "support/TiendaWoo.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <map>

namespace {

QByteArray ayudante() {
    QFile f(QStringLiteral(MORAVI_AYUDANTE_CACHE));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One JSON line per action: [hook, arguments...], a product object as its id, class, regular
// price, stock and stock status at that moment (its active price is derived in the middle of
// WooCommerce's save, and so differs from the saved one before woocommerce_update_product).
const QByteArray kGrabadora = R"php(<?php
function grabadora_anota($gancho, array $args) {
    $fuera = [];
    foreach ($args as $a) {
        if ($a instanceof WC_Product) {
            $fuera[] = ['producto' => $a->get_id(), 'clase' => get_class($a), 'precio' => $a->get_regular_price(),
                        'existencia' => $a->get_stock_quantity(), 'estado' => $a->get_stock_status()];
        } elseif (is_scalar($a) || null === $a) {
            $fuera[] = $a;
        } else {
            $fuera[] = gettype($a);
        }
    }
    file_put_contents(getenv('GRABADORA'), json_encode(array_merge([$gancho], $fuera)) . "\n", FILE_APPEND);
}
foreach (['woocommerce_product_published', 'woocommerce_product_before_set_stock', 'woocommerce_product_set_visibility',
          'woocommerce_product_set_stock', 'woocommerce_product_set_stock_status', 'woocommerce_new_product',
          'woocommerce_update_product', 'woocommerce_variation_before_set_stock', 'woocommerce_variation_set_stock',
          'woocommerce_variation_set_stock_status', 'woocommerce_update_product_variation',
          'woocommerce_variable_product_sync_data', 'woocommerce_run_product_attribute_lookup_update_callback'] as $g) {
    add_action($g, function (...$a) use ($g) { grabadora_anota($g, $a); }, 10, 5);
}
// A webhook delivered (the shop has no network here: tried, and its try recorded): its resource and webhook.
add_action('woocommerce_webhook_delivery', function ($peticion, $respuesta, $duracion, $arg, $webhook) {
    grabadora_anota('woocommerce_webhook_delivery', [$arg, $webhook]);
}, 10, 5);
)php";

const QString kFunciones = uR"php(
// The shop's queue, as WP-Cron runs it, until none of the actions the test looks at is
// pending (the attribute lookup's are scheduled a second ahead).
function corre_cola() {
    for ($i = 0; $i < 10; $i++) {
        ActionScheduler_QueueRunner::instance()->run('prueba');
        $pendientes = [];
        foreach (['moravi_ganchos', 'woocommerce_deliver_webhook_async',
                  'woocommerce_run_product_attribute_lookup_update_callback'] as $gancho) {
            $pendientes = array_merge($pendientes, as_get_scheduled_actions(
                ['hook' => $gancho, 'status' => ActionScheduler_Store::STATUS_PENDING, 'per_page' => 1], 'ids'));
        }
        if (!$pendientes) return;
        sleep(1);
    }
}
function cuenta_categoria($nombre) {
    $t = get_term_by('name', $nombre, 'product_cat');
    return (int) get_term_meta($t->term_id, 'product_count_product_cat', true);
}
)php"_s;

class GanchosWoo : public EntornoEnvio, public ::testing::WithParamInterface<const char*> {
protected:
    // WooCommerce's version for the shop and every PHP process of the test, before it is installed.
    struct Version {
        explicit Version(const char* v) { qputenv("WC_VERSION", v); }
        ~Version() { qunsetenv("WC_VERSION"); }
    };

    void SetUp() override {
        EntornoEnvio::SetUp();
        SALTA_SI(prueba::SinProgramasLinux());
        ASSERT_TRUE(tienda.instalada());
        ASSERT_TRUE(contenido.isValid() && QDir().mkpath(contenido.filePath(u"mu-plugins"_s)));
        enviaA(tienda.nombre());
        // The content folder of the WordPress in use, with its themes (WordPress 7 asks for them).
        ASSERT_TRUE(QFile::link(prueba::TiendaWoo::carpetaWordPress() + u"/wp-content/themes"_s,
                                contenido.filePath(u"themes"_s)));
        entorno.insert(u"WP_CONTENT_DIR"_s, contenido.path());
        entorno.insert(u"GRABADORA"_s, contenido.filePath(u"grabadas.jsonl"_s));
        muPlugin(u"grabadora.php"_s, kGrabadora);
    }
    void muPlugin(const QString& nombre, const QByteArray& php) {
        QFile f(contenido.filePath(u"mu-plugins/"_s + nombre));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(php) == php.size());
    }
    QJsonValue php(const QString& codigo) { return tienda.json(kFunciones + codigo, entorno); }
    // The actions recorded since the last call.
    QJsonArray grabadas() {
        QFile f(entorno.value(u"GRABADORA"_s));
        QJsonArray a;
        if (!f.open(QIODevice::ReadWrite)) return a;
        for (const QByteArray& linea : f.readAll().split('\n'))
            if (!linea.trimmed().isEmpty()) a.append(QJsonDocument::fromJson(linea).array());
        f.resize(0);
        return a;
    }
    // Per product ("A1", "T1"...), the actions that name it, with its id replaced by its name
    // without the side ("1" for A1 and T1), as compact JSON lines: first those of its save, in
    // their order, then what the queue did for it (webhook deliveries, the attribute lookup),
    // sorted, as the queue runs the actions of both sides in whatever order they were queued.
    static std::map<QString, QStringList> porLado(const QJsonArray& grabadas, const std::map<qint64, QString>& nombres) {
        std::map<QString, QStringList> lados, cola;
        for (const QJsonValue& g : grabadas) {
            QJsonArray e = g.toArray();
            QString lado;
            const auto cambia = [&](QJsonValue v) -> QJsonValue {
                const bool objeto = v.isObject();
                QJsonObject o = v.toObject();
                const qint64 id = objeto ? o[u"producto"_s].toInteger(-1) : v.toInteger(-1);
                const auto it = nombres.find(id);
                if (it == nombres.end()) return v;
                lado = it->second;
                if (!objeto) return it->second.mid(1);
                o[u"producto"_s] = it->second.mid(1);
                return o;
            };
            for (qsizetype i = 1; i < e.size(); ++i) e[i] = cambia(e[i]);
            if (lado.isEmpty()) continue;
            const bool enCola = e[0] == u"woocommerce_webhook_delivery"_s ||
                                e[0] == u"woocommerce_run_product_attribute_lookup_update_callback"_s;
            (enCola ? cola[lado] : lados[lado]) << QString::fromUtf8(QJsonDocument(e).toJson(QJsonDocument::Compact));
        }
        for (auto& [lado, hechas] : cola) {
            hechas.sort();
            lados[lado] << hechas;
        }
        return lados;
    }

    Version version{GetParam()};
    prueba::TiendaWoo tienda;
    QTemporaryDir contenido;
    QProcessEnvironment entorno;
};

TEST_P(GanchosWoo, WhatTheSendChangesIsHeardAsWooCommercesOwnSaveOfTheSameChangeAndAnUnchangedSendIsNotHeard) {
    const bool publicada = QString::fromLatin1(GetParam()) != u"7.8.2"_s;  // product.published: 10.8 and later
    // Two twins in categories of their own, "hide out of stock items" on, webhooks for the topics.
    const QJsonObject ids = php(uR"php(
update_option('woocommerce_hide_out_of_stock_items', 'yes');
$ids = [];
foreach (['A1' => 'CA', 'T1' => 'CT'] as $sku => $cat) {
    $c = wp_insert_term($cat, 'product_cat');
    $p = new WC_Product_Simple();
    $p->set_name('Producto ' . $sku); $p->set_sku($sku); $p->set_regular_price('10');
    $p->set_manage_stock(true); $p->set_stock_quantity(5); $p->set_category_ids([$c['term_id']]);
    $ids[$sku] = $p->save();
}
// A variable product per side with one size, "<side>V-S", the parent's only stock.
foreach (['AV', 'TV'] as $sku) {
    $p = new WC_Product_Variable();
    $p->set_name('Camisa ' . $sku);
    $a = new WC_Product_Attribute();
    $a->set_name('Talla'); $a->set_options(['S']); $a->set_visible(true); $a->set_variation(true);
    $p->set_attributes([$a]);
    $ids[$sku] = $p->save();
    $v = new WC_Product_Variation();
    $v->set_parent_id($ids[$sku]); $v->set_attributes(['talla' => 'S']); $v->set_sku($sku . '-S');
    $v->set_regular_price('20'); $v->set_manage_stock(true); $v->set_stock_quantity(5);
    $ids[$sku . '-S'] = $v->save();
    WC_Product_Variable::sync($ids[$sku]);
}
foreach (array_merge(['product.created', 'product.updated'], %1 ? ['product.published'] : []) as $topic) {
    $w = new WC_Webhook();
    $w->set_name($topic); $w->set_topic($topic); $w->set_user_id(1); $w->set_status('active');
    $w->set_delivery_url('http://127.0.0.1:9/'); $w->set_secret('s');
    $w->save();
}
corre_cola();
echo json_encode($ids);
)php"_s.arg(publicada ? u"true"_s : u"false"_s)).toObject();
    ASSERT_EQ(ids.size(), 6);

    // Without the helper nobody hears of a send: the user is told, once.
    producto(u"A1"_s, u"'Producto A1'"_s, u"10"_s, u"5"_s);
    producto(u"AV-S"_s, u"'Camisa AV'"_s, u"20"_s, u"5"_s);
    ResultadoEnvio r = enviar();
    ASSERT_TRUE(r.completo());
    const QString aviso = publicada ? u"la tienda tiene 3 webhooks activos de WooCommerce, que no se enterarán"_s
                                    : u"la tienda tiene 2 webhooks activos de WooCommerce, que no se enterarán"_s;
    ASSERT_EQ(r.avisos.size(), 1) << r.avisos.join(u"\n"_s).toStdString();
    EXPECT_TRUE(r.avisos[0].startsWith(aviso)) << r.avisos[0].toStdString();

    // The helper is installed; a page load makes its table.
    muPlugin(u"moravi-cache.php"_s, ayudante());
    for (int i = 0; i < 2; ++i) php(uR"php(corre_cola(); echo '0';)php"_s);
    grabadas();

    // The point of sale: A1 at a new price and out of stock, A3 new, the size AV-S sold out (and
    // with it its variable product). WooCommerce: the same to T1, T3, TV-S.
    host.ejecuta(u"UPDATE productos SET Precio1=12, Existencia=0 WHERE Clave IN ('A1', 'AV-S')"_s);
    producto(u"A3"_s, u"'Producto A3'"_s, u"9"_s, u"2"_s);
    r = enviar();
    ASSERT_TRUE(r.completo());
    EXPECT_EQ(r.nuevos, 1);
    EXPECT_TRUE(r.avisos.isEmpty()) << r.avisos.join(u"\n"_s).toStdString();
    // Nothing is heard before the shop's queue runs: a visitor's page only queues it.
    php(uR"php(echo '0';)php"_s);
    EXPECT_EQ(grabadas().size(), 0);
    const QJsonObject leido = php(uR"php(
$ids = ['A3' => wc_get_product_id_by_sku('A3')];
$t1 = wc_get_product(wc_get_product_id_by_sku('T1'));
$t1->set_regular_price('12'); $t1->set_stock_quantity(0); $t1->save();
$ts = wc_get_product(wc_get_product_id_by_sku('TV-S'));
$ts->set_regular_price('12'); $ts->set_stock_quantity(0); $ts->save();
$t3 = new WC_Product_Simple();
$t3->set_name('Producto T3'); $t3->set_sku('T3'); $t3->set_regular_price('9');
$t3->set_manage_stock(true); $t3->set_stock_quantity(2);
$ids['T3'] = $t3->save();
echo json_encode($ids);
)php"_s).toObject();
    // The queue, as WP-Cron runs it twice: what a run fires may queue more (webhook deliveries
    // are queued on "shutdown"). Then what visitors' category lists count: with out-of-stock
    // items hidden, A1 and T1 are gone from theirs, and the default category holds A3 and T3.
    php(uR"php(corre_cola(); echo '0';)php"_s);
    const QJsonObject cuentas = php(uR"php(
corre_cola();
echo json_encode(['CA' => cuenta_categoria('CA'), 'CT' => cuenta_categoria('CT'),
    'otros' => (int) get_term_meta((int) get_option('default_product_cat'), 'product_count_product_cat', true)]);
)php"_s).toObject();
    std::map<qint64, QString> nombres{{leido[u"A3"_s].toInteger(), u"A3"_s}, {leido[u"T3"_s].toInteger(), u"T3"_s}};
    for (const QString& n : ids.keys()) nombres[ids[n].toInteger()] = n;
    std::map<QString, QStringList> lados = porLado(grabadas(), nombres);
    const auto de = [&](QChar lado) {
        QStringList todas;
        for (const QString& n : {u"1"_s, u"3"_s, u"V-S"_s, u"V"_s}) todas << lados[lado + n];
        return todas.join(u"\n"_s);
    };
    // WooCommerce's own save of a variation loses its variable product's product.updated
    // delivery: the parent is synced and saved on "shutdown", after WooCommerce has sent its
    // queue of webhooks on that same "shutdown" (wc_webhook_execute_queue). The helper saves
    // nothing at shutdown: that delivery is made, with the variation's webhook.
    for (const QString& d : lados[u"TV-S"_s])
        if (d.startsWith(u"[\"woocommerce_webhook_delivery\",\"V-S\","_s))  // last in its sorted queue part
            lados[u"TV"_s] << QString(d).replace(u"\"V-S\""_s, u"\"V\""_s);
    // The twin's own save is what is expected; it must have fired the actions that matter.
    const QString deT = de(u'T');
    for (const char* gancho : {"woocommerce_product_set_stock\",", "woocommerce_product_set_stock_status\",\"1\",\"outofstock\"",
                               "woocommerce_update_product\",\"1\"", "woocommerce_new_product\",\"3\"",
                               "woocommerce_webhook_delivery\",\"1\"", "woocommerce_webhook_delivery\",\"3\"",
                               "woocommerce_run_product_attribute_lookup_update_callback\",\"1\"",
                               "woocommerce_variation_set_stock_status\",\"V-S\",\"outofstock\"",
                               "woocommerce_update_product_variation\",\"V-S\"",
                               "woocommerce_product_set_stock_status\",\"V\",\"outofstock\"", "woocommerce_update_product\",\"V\""})
        EXPECT_TRUE(deT.contains(QLatin1String(gancho))) << gancho << " not in\n" << deT.toStdString();
    EXPECT_EQ(deT.contains(u"woocommerce_product_published\",\"3\""_s), publicada) << deT.toStdString();
    EXPECT_EQ(de(u'A'), deT);

    // The category counts read after the queue ran: the twins' categories alike.
    EXPECT_EQ(cuentas[u"CA"_s].toInt(-1), 0);
    EXPECT_EQ(cuentas[u"CT"_s].toInt(-1), 0);
    EXPECT_EQ(cuentas[u"otros"_s].toInt(-1), 2);

    // A send that changes nothing is heard by nobody, and queues nothing.
    r = enviar();
    ASSERT_TRUE(r.completo());
    EXPECT_EQ(r.cambiados, 0);
    php(uR"php(corre_cola(); echo '0';)php"_s);  // fires nothing, so queues nothing on "shutdown"
    const QJsonArray despues = grabadas();
    EXPECT_EQ(despues.size(), 0) << QJsonDocument(despues).toJson().constData();
    EXPECT_EQ(tienda.base().valor(u"SELECT COUNT(*) FROM wp_actionscheduler_actions WHERE hook='moravi_ganchos' "
                                  "AND status <> 'complete'"_s),
              u"0"_s);
}

INSTANTIATE_TEST_SUITE_P(Versiones, GanchosWoo, ::testing::Values("11.0.1", "7.8.2"),
                         [](const auto& i) { return std::string(i.param[0] == '7' ? "WooCommerce7" : "WooCommerce11"); });

}  // namespace
