// What a real WooCommerce reads after a send, beside twins WooCommerce saved itself: each case
// is a pair of products made through WooCommerce's API with the same owner's settings (a sale,
// backorders, unmanaged stock, variations, a trashed product with the same key). The send
// writes the point of sale's price and stock into the first ("A-..."); the second ("B-...")
// gets them through WooCommerce's own setters and save(). Both must then read alike.
#include "EntornoEnvio.h"
#include "support/Sistema.h"
#include "support/TiendaWoo.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace {

struct Caso {
    QString clave;     // the product's key after "A-" / "B-"
    QString ajustes;   // PHP array of the owner's settings for mk()
    QString precio, existencia;  // what the point of sale says
};

// The store hides nothing and counts stock of 2 or less as out of stock.
const std::vector<Caso> kCasos{
    {u"OFERTA"_s, u"['regular'=>'100','sale'=>'80']"_s, u"100"_s, u"5"_s},
    {u"OFERTA-SUBE"_s, u"['regular'=>'100','sale'=>'80','to'=>time()+20*DAY_IN_SECONDS]"_s, u"90"_s, u"5"_s},
    {u"OFERTA-BORRA"_s, u"['regular'=>'100','sale'=>'80']"_s, u"70"_s, u"5"_s},
    {u"OFERTA-FUTURA"_s, u"['regular'=>'100','sale'=>'80','from'=>time()+DAY_IN_SECONDS]"_s, u"100"_s, u"5"_s},
    {u"OFERTA-PASADA"_s, u"['regular'=>'100','sale'=>'80','from'=>time()-3*DAY_IN_SECONDS,'to'=>time()-DAY_IN_SECONDS]"_s,
     u"100"_s, u"5"_s},
    {u"PENDIENTES"_s, u"['backorders'=>'yes']"_s, u"10"_s, u"0"_s},
    {u"AVISA"_s, u"['backorders'=>'notify']"_s, u"10"_s, u"-2"_s},
    {u"UMBRAL"_s, u"[]"_s, u"10"_s, u"2"_s},
    {u"SOBRE-UMBRAL"_s, u"['stock'=>0]"_s, u"10"_s, u"3"_s},
    {u"FRACCION"_s, u"[]"_s, u"10"_s, u"2.7"_s},
    {u"FRACCION-ALTA"_s, u"['stock'=>0]"_s, u"10"_s, u"3.5"_s},
    {u"LIBRE"_s, u"['manage'=>false,'status'=>'outofstock']"_s, u"11"_s, u"5"_s},
    {u"LIBRE-PENDIENTE"_s, u"['manage'=>false,'status'=>'onbackorder']"_s, u"12"_s, u"0"_s},
};
// Variations "<padre>-<talla>" of two variable products: the owner's regular price and stock,
// then the point of sale's.
struct Variacion {
    QString padre, talla, regular, stock, precio, existencia;
};
const std::vector<Variacion> kVariaciones{
    {u"V1"_s, u"S"_s, u"20"_s, u"5"_s, u"22"_s, u"0"_s},
    {u"V1"_s, u"M"_s, u"25"_s, u"5"_s, u"25"_s, u"4"_s},
    {u"V2"_s, u"S"_s, u"30"_s, u"3"_s, u"30"_s, u"0"_s},
    {u"V2"_s, u"M"_s, u"30"_s, u"3"_s, u"31"_s, u"0"_s},
};

const QString kFunciones = uR"php(
function mk($sku, $o) {
    $p = new WC_Product_Simple();
    $p->set_name('Producto ' . $sku);
    $p->set_sku($sku);
    $p->set_regular_price($o['regular'] ?? '10');
    if (isset($o['sale'])) $p->set_sale_price($o['sale']);
    if (isset($o['from'])) $p->set_date_on_sale_from($o['from']);
    if (isset($o['to'])) $p->set_date_on_sale_to($o['to']);
    $p->set_manage_stock($o['manage'] ?? true);
    if ($o['manage'] ?? true) $p->set_stock_quantity($o['stock'] ?? 5); else $p->set_stock_status($o['status']);
    if (isset($o['backorders'])) $p->set_backorders($o['backorders']);
    return $p->save();
}
function mkvar($sku, $tallas) {
    $p = new WC_Product_Variable();
    $p->set_name('Camisa ' . $sku);
    $a = new WC_Product_Attribute();
    $a->set_name('Talla');
    $a->set_options(array_keys($tallas));
    $a->set_visible(true);
    $a->set_variation(true);
    $p->set_attributes([$a]);
    $id = $p->save();
    foreach ($tallas as $t => [$regular, $stock]) {
        $v = new WC_Product_Variation();
        $v->set_parent_id($id);
        $v->set_attributes(['talla' => $t]);
        $v->set_sku($sku . '-' . $t);
        $v->set_regular_price($regular);
        $v->set_manage_stock(true);
        $v->set_stock_quantity($stock);
        $v->save();
    }
    WC_Product_Variable::sync($id);
    return $id;
}
function pon($sku, $precio, $existencia) {
    $p = wc_get_product(wc_get_product_id_by_sku($sku));
    $p->set_regular_price($precio);
    $p->set_stock_quantity($existencia);
    $p->save();
}
function lee($id) {
    global $wpdb;
    $p = wc_get_product($id);
    $terms = wp_get_post_terms($id, 'product_visibility', ['fields' => 'names']);
    sort($terms);
    $o = ['price' => $p->get_price(), 'regular' => $p->get_regular_price(), 'sale' => $p->get_sale_price(),
          'onsale' => $p->is_on_sale(), 'html' => $p->get_price_html(), 'status' => $p->get_stock_status(),
          'qty' => $p->get_stock_quantity(), 'instock' => $p->is_in_stock(), 'purchasable' => $p->is_purchasable(),
          'backorders' => $p->backorders_allowed(), 'terms' => $terms,
          'lookup' => $wpdb->get_row($wpdb->prepare("SELECT min_price, max_price, onsale, stock_quantity, stock_status
              FROM {$wpdb->wc_product_meta_lookup} WHERE product_id = %d", $id), ARRAY_A)];
    if ($p->is_type('variable')) {
        $o['variation_prices'] = array_map(fn($a) => array_values($a), $p->get_variation_prices());
        $o['price_rows'] = get_post_meta($id, '_price', false);
    }
    return $o;
}
)php"_s;

class GemelosWoo : public EntornoEnvio {
protected:
    void SetUp() override {
        EntornoEnvio::SetUp();
        SALTA_SI(prueba::SinProgramasLinux());
        ASSERT_TRUE(tienda.instalada());
        // The send reaches the shop's own database, as WooCommerce's installer left it.
        enviaA(tienda.nombre());
    }
    QJsonObject php(const QString& codigo) { return tienda.json(kFunciones + codigo).toObject(); }

    prueba::TiendaWoo tienda;
};

TEST_F(GemelosWoo, ASendReadsAsWooCommercesOwnSaveOfThePointOfSalesPriceAndStock) {
    QString crea = u"update_option('woocommerce_notify_no_stock_amount', 2); $ids = [];\n"_s;
    for (const Caso& c : kCasos)
        for (const char* lado : {"A-", "B-"})
            crea += u"mk('%1%2', %3);\n"_s.arg(QLatin1String(lado), c.clave, c.ajustes);
    for (const char* lado : {"A-", "B-"})
        for (const QString& padre : {u"V1"_s, u"V2"_s}) {
            QStringList tallas;
            for (const Variacion& v : kVariaciones)
                if (v.padre == padre) tallas << u"'%1' => ['%2', %3]"_s.arg(v.talla, v.regular, v.stock);
            crea += u"$ids['%1%2'] = mkvar('%1%2', [%3]);\n"_s.arg(QLatin1String(lado), padre, tallas.join(u", "_s));
        }
    // A product in the trash and a live one with the same key: the live one is the product.
    crea += u"$ids['papelera'] = mk('X1', ['regular'=>'50']); wp_trash_post($ids['papelera']);\n"
            "$ids['A-X1'] = mk('X1', ['regular'=>'50']); mk('B-X1', ['regular'=>'50']);\n"
            "echo json_encode($ids);"_s;
    const QJsonObject ids = php(crea);
    ASSERT_FALSE(ids.isEmpty());

    QStringList pon;
    const auto deLaCaja = [&](const QString& clave, const QString& precio, const QString& existencia) {
        producto(clave, u"'Producto'"_s, precio, existencia);
        pon << u"pon('%1', '%2', '%3');"_s.arg(QString(clave).replace(0, 1, u"B"_s), precio, existencia);
    };
    for (const Caso& c : kCasos) deLaCaja(u"A-"_s + c.clave, c.precio, c.existencia);
    for (const Variacion& v : kVariaciones) deLaCaja(u"A-%1-%2"_s.arg(v.padre, v.talla), v.precio, v.existencia);
    producto(u"X1"_s, u"'Mesa'"_s, u"60"_s, u"7"_s);
    pon << u"pon('B-X1', '60', '7');"_s;

    // The preview says what the shop will show and why it is not the point of sale's value.
    clsProcedimenti vista(ventana);
    const VistaPreviaEnvio previa = vista.VistaPrevia();
    ASSERT_TRUE(previa.leida) << previa.motivo.toStdString();
    QStringList motivos;
    for (const auto& c : previa.cambios)
        if (!c.motivo.isEmpty()) motivos << c.clave + u" "_s + c.campo + u" "_s + c.despues + u": "_s + c.motivo;
    for (const auto& n : previa.notas) motivos << n.clave + u": "_s + n.texto;
    for (const QString& esperado :
         {u"A-OFERTA-SUBE _regular_price 90: en oferta hasta "_s, u"A-OFERTA-BORRA _sale_price : la oferta no"_s,
          u"A-PENDIENTES _stock_status onbackorder: acepta pedidos pendientes"_s,
          u"A-UMBRAL _stock_status outofstock: la tienda da por agotado lo que no pasa de 2"_s,
          u"A-FRACCION _stock 2: la tienda cuenta unidades enteras"_s,
          u"A-LIBRE: _stock se queda en"_s})
        EXPECT_TRUE(std::any_of(motivos.begin(), motivos.end(), [&](const QString& m) { return m.startsWith(esperado); }))
            << esperado.toStdString() << "\nin:\n" << motivos.join(u"\n"_s).toStdString();

    const ResultadoEnvio r = enviar();
    ASSERT_TRUE(r.completo()) << r.avisos.join(u"; "_s).toStdString();
    EXPECT_EQ(r.nuevos, 0);
    tienda.php(kFunciones + pon.join(u"\n"_s));

    // Every product and its twin, and each variable product and its twin, read alike.
    QString lectura = u"$r = [];\n"_s;
    QStringList pares;
    for (const Caso& c : kCasos) pares << c.clave;
    for (const Variacion& v : kVariaciones) pares << v.padre + u"-"_s + v.talla;
    pares << u"X1"_s;
    for (const QString& c : pares)
        lectura += u"$r['%1'] = [lee(wc_get_product_id_by_sku('%2')), lee(wc_get_product_id_by_sku('B-%1'))];\n"_s.arg(
            c, c == u"X1"_s ? c : u"A-"_s + c);
    for (const QString& padre : {u"V1"_s, u"V2"_s})
        lectura += u"$r['%1'] = [lee(%2), lee(%3)];\n"_s.arg(padre)
                       .arg(ids.value(u"A-"_s + padre).toInt())
                       .arg(ids.value(u"B-"_s + padre).toInt());
    lectura += u"$r['X1-id'] = [wc_get_product_id_by_sku('X1'), %1];\n"
               "$r['papelera'] = [wc_get_product(%2)->get_regular_price(), '50'];\n"
               "echo json_encode($r);"_s.arg(ids.value(u"A-X1"_s).toInt())
                   .arg(ids.value(u"papelera"_s).toInt());
    const QJsonObject leido = php(lectura);
    ASSERT_EQ(leido.size(), pares.size() + 4);
    for (auto it = leido.begin(); it != leido.end(); ++it) {
        const QJsonArray par = it.value().toArray();
        const QJsonObject nuestro = par.at(0).toObject(), gemelo = par.at(1).toObject();
        if (nuestro.isEmpty()) {
            EXPECT_EQ(par.at(0), par.at(1)) << it.key().toStdString();
            continue;
        }
        for (auto campo = gemelo.begin(); campo != gemelo.end(); ++campo)
            EXPECT_EQ(nuestro.value(campo.key()), campo.value())
                << it.key().toStdString() << " " << campo.key().toStdString() << ": ours "
                << QJsonDocument(QJsonArray{nuestro.value(campo.key())}).toJson(QJsonDocument::Compact).toStdString()
                << ", WooCommerce's "
                << QJsonDocument(QJsonArray{campo.value()}).toJson(QJsonDocument::Compact).toStdString();
    }
    // The sale under way is still the price a customer pays, and the shirt whose sizes are all
    // sold out is out of stock.
    EXPECT_EQ(leido.value(u"OFERTA-SUBE"_s).toArray().at(0).toObject().value(u"price"_s), u"80"_s);
    EXPECT_EQ(leido.value(u"V2"_s).toArray().at(0).toObject().value(u"status"_s), u"outofstock"_s);
    // The [products] lists' cache version was renewed by the send.
    EXPECT_FALSE(tienda.base().filas(u"SELECT 1 FROM wp_options WHERE option_name = "
                                     "'_transient_product_query-transient-version' AND option_value + 0 >= UNIX_TIMESTAMP() - 300"_s)
                     .isEmpty());
}

}
