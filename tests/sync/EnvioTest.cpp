// The send run against real MariaDB databases: the point-of-sale tables and WordPress's own
// wp_posts and wp_postmeta.
#include "EntornoEnvio.h"
#include "servicelib/CrearObjeto.h"

#include "config/Configuracion.h"
#include "servicelib/ErrorServicio.h"

namespace {

const QString CRLF = QStringLiteral("\r\n");

const QStringList kClavesNuevo{
    QStringLiteral("_sku"),
    QStringLiteral("_wc_review_count"), QStringLiteral("_wc_rating_count"), QStringLiteral("_wc_average_rating"),
    QStringLiteral("_edit_last"), QStringLiteral("_mp_recurring_frequency"),
    QStringLiteral("_mp_recurring_frequency_type"), QStringLiteral("_manage_stock"), QStringLiteral("_backorders"),
    QStringLiteral("_low_stock_amount"), QStringLiteral("_sold_individually"), QStringLiteral("_upsell_ids"),
    QStringLiteral("_crosssell_ids"), QStringLiteral("_default_attributes"), QStringLiteral("_virtual"),
    QStringLiteral("_downloadable"), QStringLiteral("_download_limit"), QStringLiteral("_download_expiry"),
    QStringLiteral("_product_version"), QStringLiteral("slide_template"), QStringLiteral("_post_facebook_shares"),
    QStringLiteral("_post_twitter_shares"), QStringLiteral("_post_google_shares"),
    QStringLiteral("_post_pinterest_shares"), QStringLiteral("_post_vk_shares"), QStringLiteral("_post_mail_shares"),
    QStringLiteral("_regular_price"), QStringLiteral("_stock"), QStringLiteral("_stock_status"), QStringLiteral("_price"),
};

using Envio = EntornoEnvio;

TEST_F(Envio, FirstSendCreatesThePostItsThirtyValuesAndShowsItsProgress) {
    producto(QStringLiteral("A1"), QStringLiteral("'Mesa de Pino'"), QStringLiteral("12.50"), QStringLiteral("3"));
    const ResultadoEnvio r = enviar();
    EXPECT_EQ(r.fin, ResultadoEnvio::Fin::Completo);
    EXPECT_EQ(r.enviados, 1);
    EXPECT_EQ(r.total, 1);
    EXPECT_EQ(r.nuevos, 1);

    ASSERT_EQ(cuenta(QStringLiteral("wp_posts")), 1);
    const QString id = post(QStringLiteral("A1"));
    EXPECT_EQ(web.valor(QStringLiteral(
                  "SELECT CONCAT_WS('|', ID, post_author, post_status, comment_status, ping_status, post_title, "
                  "post_date, post_date_gmt, post_type, post_content, post_excerpt, to_ping, pinged, "
                  "post_content_filtered, post_name, post_modified, post_modified_gmt, post_parent, guid, "
                  "post_password, post_mime_type, menu_order) FROM wp_posts")),
              id + QStringLiteral("|333|publish|closed|closed|Mesa de Pino|2026-01-08 17:19:59|2026-01-08 23:19:59|"
                                  "product||||||mesa-de-pino|2026-01-08 17:19:59|2026-01-08 23:19:59|0||||0"));

    EXPECT_EQ(claves(id), kClavesNuevo);  // each key once, in the order written
    const QMap<QString, QString> v = valores(id);
    EXPECT_EQ(v.value(QStringLiteral("_sku")), QStringLiteral("A1"));
    EXPECT_EQ(v.value(QStringLiteral("_wc_rating_count")), QStringLiteral("a:0:{}"));
    EXPECT_EQ(v.value(QStringLiteral("_edit_last")), QStringLiteral("337"));
    EXPECT_EQ(v.value(QStringLiteral("_mp_recurring_frequency_type")), QStringLiteral("days"));
    EXPECT_EQ(v.value(QStringLiteral("_manage_stock")), QStringLiteral("yes"));
    EXPECT_EQ(v.value(QStringLiteral("_download_limit")), QStringLiteral("-1"));
    EXPECT_EQ(v.value(QStringLiteral("_product_version")), QStringLiteral("3.5.5"));
    EXPECT_EQ(v.value(QStringLiteral("slide_template")), QStringLiteral("Default"));
    EXPECT_EQ(v.value(QStringLiteral("_post_mail_shares")), QStringLiteral("0"));
    EXPECT_EQ(v.value(QStringLiteral("_regular_price")), QStringLiteral("12.5"));
    EXPECT_EQ(v.value(QStringLiteral("_stock")), QStringLiteral("3"));
    EXPECT_EQ(v.value(QStringLiteral("_stock_status")), QStringLiteral("instock"));
    EXPECT_EQ(v.value(QStringLiteral("_price")), QStringLiteral("12.5"));
    EXPECT_EQ(web.valor(QStringLiteral("SELECT COUNT(*) FROM wp_postmeta WHERE meta_value IS NULL")), QStringLiteral("0"));

    EXPECT_EQ(ventana.toma(), (QStringList{
                                  QStringLiteral("boton=Interrumpir"),
                                  QStringLiteral("label3="),
                                  QStringLiteral("label5="),
                                  QStringLiteral("label5Visible=1"),
                                  QStringLiteral("label3Visible=1"),
                                  QStringLiteral("procesar"),
                                  QStringLiteral("label3=Clave: A1") + CRLF + QStringLiteral("Descripción: Mesa de Pino"),
                                  QStringLiteral("label5=Producto 1 de 1"),
                                  QStringLiteral("procesar"),
                                  QStringLiteral("label3=Imagen del producto A1") + CRLF +
                                      QStringLiteral("Descripción: Mesa de Pino"),
                                  QStringLiteral("label5=1 de 1"),
                                  QStringLiteral("procesar"),
                                  QStringLiteral("boton=Enviar ahora"),
                                  QStringLiteral("label3Visible=0"),
                                  QStringLiteral("label5Visible=0"),
                                  QStringLiteral("imagenes=0"),
                              }));
    EXPECT_TRUE(usuarioWeb.sinConexiones());
    EXPECT_TRUE(usuarioHost.sinConexiones());
}

TEST_F(Envio, SameTitlesGetDistinctPostNames) {
    // Names already taken in the shop: a product's, and a page's (which does not count).
    web.ejecuta(QStringLiteral(
        "INSERT INTO wp_posts (post_title, post_name, post_type, post_content, post_excerpt, to_ping, pinged, "
        "post_content_filtered) VALUES ('Silla', 'silla-2', 'product', '', '', '', '', ''),"
        " ('Mesa', 'mesa', 'page', '', '', '', '', '')"));
    producto(QStringLiteral("A1"), QStringLiteral("'Silla'"), QStringLiteral("1"), QStringLiteral("1"));
    producto(QStringLiteral("A2"), QStringLiteral("'SILLA'"), QStringLiteral("1"), QStringLiteral("1"));
    producto(QStringLiteral("A3"), QStringLiteral("'Silla '"), QStringLiteral("1"), QStringLiteral("1"));
    producto(QStringLiteral("B1"), QStringLiteral("'Mesa'"), QStringLiteral("1"), QStringLiteral("1"));
    producto(QStringLiteral("C1"), QStringLiteral("'¡¿?!'"), QStringLiteral("1"), QStringLiteral("1"));
    producto(QStringLiteral("D1"), QStringLiteral("'Snake_Case'"), QStringLiteral("1"), QStringLiteral("1"));
    producto(QStringLiteral("D2"), QStringLiteral("'SnakeXCase'"), QStringLiteral("1"), QStringLiteral("1"));
    producto(QStringLiteral("D3"), QStringLiteral("'Snake_Case'"), QStringLiteral("1"), QStringLiteral("1"));
    enviar();
    const auto nombre = [this](const QString& clave) {
        return web.valor(QStringLiteral("SELECT post_name FROM wp_posts WHERE ID=") + post(clave));
    };
    EXPECT_EQ(nombre(QStringLiteral("A1")), QStringLiteral("silla"));
    EXPECT_EQ(nombre(QStringLiteral("A2")), QStringLiteral("silla-3"));
    EXPECT_EQ(nombre(QStringLiteral("A3")), QStringLiteral("silla-4"));
    EXPECT_EQ(nombre(QStringLiteral("B1")), QStringLiteral("mesa"));
    EXPECT_EQ(nombre(QStringLiteral("C1")), post(QStringLiteral("C1")));  // nothing left of the title: its ID
    EXPECT_EQ(nombre(QStringLiteral("D1")), QStringLiteral("snake_case"));
    EXPECT_EQ(nombre(QStringLiteral("D2")), QStringLiteral("snakexcase"));  // "_" matched literally
    EXPECT_EQ(nombre(QStringLiteral("D3")), QStringLiteral("snake_case-2"));
}

TEST_F(Envio, SecondSendAddsNoRowAndChangesOnlyTimesAndTheFourValues) {
    producto(QStringLiteral("A1"), QStringLiteral("'Mesa'"), QStringLiteral("12.50"), QStringLiteral("3"));
    producto(QStringLiteral("B1"), QStringLiteral("'Silla'"), QStringLiteral("8"), QStringLiteral("1"));
    enviar();
    const QString columnas = QStringLiteral(
        "CONCAT_WS('|', ID, post_author, post_date, post_date_gmt, post_content, post_title, post_excerpt, "
        "post_status, comment_status, ping_status, post_password, post_name, to_ping, pinged, "
        "post_content_filtered, post_parent, guid, menu_order, post_type, post_mime_type, comment_count)");
    const QStringList postsAntes = web.filas(QStringLiteral("SELECT %1 FROM wp_posts ORDER BY ID").arg(columnas));
    const QString fijos = QStringLiteral(
        "SELECT CONCAT_WS('|', meta_id, post_id, meta_key, meta_value) FROM wp_postmeta WHERE meta_key NOT IN "
        "('_regular_price', '_stock', '_stock_status', '_price') ORDER BY meta_id");
    const QStringList metaAntes = web.filas(fijos);
    const QString cuatro = QStringLiteral(
        "SELECT CONCAT_WS('|', meta_id, post_id, meta_key) FROM wp_postmeta WHERE meta_key IN "
        "('_regular_price', '_stock', '_stock_status', '_price') ORDER BY meta_id");
    const QStringList cuatroAntes = web.filas(cuatro);

    host.ejecuta(QStringLiteral("UPDATE productos SET Precio1=99.90, Existencia=0 WHERE Clave='A1'"));
    ahora = QDateTime(QDate(2026, 2, 1), QTime(9, 0, 0));
    ventana.toma();
    const ResultadoEnvio r = enviar();
    EXPECT_EQ(r.nuevos, 0);
    EXPECT_EQ(r.enviados, 2);

    EXPECT_EQ(cuenta(QStringLiteral("wp_posts")), 2);
    EXPECT_EQ(cuenta(QStringLiteral("wp_postmeta")), 60);
    EXPECT_EQ(web.filas(QStringLiteral("SELECT %1 FROM wp_posts ORDER BY ID").arg(columnas)), postsAntes);
    EXPECT_EQ(web.filas(fijos), metaAntes);
    EXPECT_EQ(web.filas(cuatro), cuatroAntes);  // the same rows, updated in place
    EXPECT_EQ(web.filas(QStringLiteral("SELECT DISTINCT CONCAT(post_modified, '|', post_modified_gmt) FROM wp_posts")),
              QStringList{QStringLiteral("2026-02-01 09:00:00|2026-02-01 15:00:00")});
    const QMap<QString, QString> a = valores(post(QStringLiteral("A1")));
    EXPECT_EQ(a.value(QStringLiteral("_regular_price")), QStringLiteral("99.9"));
    EXPECT_EQ(a.value(QStringLiteral("_price")), QStringLiteral("99.9"));
    EXPECT_EQ(a.value(QStringLiteral("_stock")), QStringLiteral("0"));
    EXPECT_EQ(a.value(QStringLiteral("_stock_status")), QStringLiteral("outofstock"));
}

TEST_F(Envio, AValueDeletedInTheShopIsAddedBack) {
    producto(QStringLiteral("A1"), QStringLiteral("'Mesa'"), QStringLiteral("5"), QStringLiteral("2"));
    enviar();
    const QString id = post(QStringLiteral("A1"));
    web.ejecuta(QStringLiteral("DELETE FROM wp_postmeta WHERE meta_key IN ('_stock', '_price')"));
    enviar();
    EXPECT_EQ(claves(id).size(), 30);
    EXPECT_EQ(valores(id).value(QStringLiteral("_stock")), QStringLiteral("2"));
    EXPECT_EQ(valores(id).value(QStringLiteral("_price")), QStringLiteral("5"));
}

TEST_F(Envio, TwoRowsOfOneKeyOnlyOneIsWritten) {
    producto(QStringLiteral("A1"), QStringLiteral("'Mesa'"), QStringLiteral("5"), QStringLiteral("2"));
    enviar();
    const QString id = post(QStringLiteral("A1"));
    web.ejecuta(QStringLiteral("INSERT INTO wp_postmeta (post_id, meta_key, meta_value) VALUES (%1, '_stock', 'otro')").arg(id));
    host.ejecuta(QStringLiteral("UPDATE productos SET Existencia=7"));
    enviar();
    QStringList stock = web.filas(QStringLiteral("SELECT meta_value FROM wp_postmeta WHERE meta_key='_stock'"));
    stock.sort();
    EXPECT_EQ(stock, (QStringList{QStringLiteral("7"), QStringLiteral("otro")}));
}

TEST_F(Envio, StockStatusFollowsTheStock) {
    producto(QStringLiteral("A"), QStringLiteral("'Cero'"), QStringLiteral("1"), QStringLiteral("0"));
    producto(QStringLiteral("B"), QStringLiteral("'Medio'"), QStringLiteral("1"), QStringLiteral("0.5"));
    producto(QStringLiteral("C"), QStringLiteral("'Debe'"), QStringLiteral("1"), QStringLiteral("-3"));
    enviar();
    const auto estado = [this](const QString& clave) {
        const QMap<QString, QString> v = valores(post(clave));
        return v.value(QStringLiteral("_stock")) + QLatin1Char('|') + v.value(QStringLiteral("_stock_status"));
    };
    EXPECT_EQ(estado(QStringLiteral("A")), QStringLiteral("0|outofstock"));
    EXPECT_EQ(estado(QStringLiteral("B")), QStringLiteral("0.5|instock"));
    EXPECT_EQ(estado(QStringLiteral("C")), QStringLiteral("-3|outofstock"));
}

TEST_F(Envio, PriceNumberChoosesTheColumn) {
    producto(QStringLiteral("A1"), QStringLiteral("'Mesa'"), QStringLiteral("10"), QStringLiteral("1"));
    host.ejecuta(QStringLiteral("UPDATE productos SET Precio2=20.00, Precio3=30"));
    Config().NumeroPrecio = 2;
    enviar();
    const QMap<QString, QString> v = valores(post(QStringLiteral("A1")));
    EXPECT_EQ(v.value(QStringLiteral("_regular_price")), QStringLiteral("20"));
    EXPECT_EQ(v.value(QStringLiteral("_price")), QStringLiteral("20"));
}

TEST_F(Envio, PriceColumnThatDoesNotExistStopsBeforeWriting) {
    producto(QStringLiteral("A1"), QStringLiteral("'Mesa'"), QStringLiteral("10"), QStringLiteral("1"));
    Config().NumeroPrecio = 0;  // passes the settings screen, but there is no Precio0
    EXPECT_THROW(enviar(), ErrorServicio);
    EXPECT_EQ(cuenta(QStringLiteral("wp_posts")), 0);
    EXPECT_EQ(ventana.boton, QStringLiteral("Enviar ahora"));
}

TEST_F(Envio, TouchAtEightInTheEveningWritesTwoInTheMorningNextDayInGmt) {
    producto(QStringLiteral("A1"), QStringLiteral("'Mesa'"), QStringLiteral("10"), QStringLiteral("1"));
    ahora = QDateTime(QDate(2026, 12, 31), QTime(20, 0, 0));
    enviar();
    EXPECT_EQ(web.valor(QStringLiteral("SELECT CONCAT_WS('|', post_date, post_date_gmt, post_modified, "
                                       "post_modified_gmt) FROM wp_posts")),
              QStringLiteral("2026-12-31 20:00:00|2027-01-01 02:00:00|2026-12-31 20:00:00|2027-01-01 02:00:00"));
}

TEST_F(Envio, ReservedKeysAreNeverSentAndTheRestGoInKeyOrder) {
    for (const char* clave : {"C1", "XFDD01", "A1", "XFCT9", "B1", "XFC1", "AXFDD"})
        producto(QString::fromLatin1(clave), QStringLiteral("'P'"), QStringLiteral("1"), QStringLiteral("1"));
    const ResultadoEnvio r = enviar();
    EXPECT_EQ(r.total, 5);
    EXPECT_EQ(web.filas(QStringLiteral("SELECT meta_value FROM wp_postmeta WHERE meta_key='_sku' ORDER BY post_id")),
              (QStringList{QStringLiteral("A1"), QStringLiteral("AXFDD"), QStringLiteral("B1"), QStringLiteral("C1"),
                           QStringLiteral("XFC1")}));
    QStringList mostradas;
    for (const QString& e : ventana.eventos)
        if (e.startsWith(QStringLiteral("label3=Clave: "))) mostradas << e.mid(14).section(CRLF, 0, 0);
    EXPECT_EQ(mostradas, (QStringList{QStringLiteral("A1"), QStringLiteral("AXFDD"), QStringLiteral("B1"),
                                      QStringLiteral("C1"), QStringLiteral("XFC1")}));
}

TEST_F(Envio, MarkedLinesLimitTheProducts) {
    producto(QStringLiteral("A3"), QStringLiteral("'En 3'"), QStringLiteral("1"), QStringLiteral("1"), 3);
    producto(QStringLiteral("A5"), QStringLiteral("'En 5'"), QStringLiteral("1"), QStringLiteral("1"), 5);
    producto(QStringLiteral("A7"), QStringLiteral("'En 7'"), QStringLiteral("1"), QStringLiteral("1"), 7);
    producto(QStringLiteral("XFDD7"), QStringLiteral("'En 7 reservada'"), QStringLiteral("1"), QStringLiteral("1"), 7);
    ventana.agregaLineaMarcada(3, QStringLiteral("Abarrotes"), true);
    ventana.agregaLineaMarcada(5, QStringLiteral("Bebidas"), false);
    ventana.agregaLineaMarcada(7, QStringLiteral("Cremería"), true);
    Config().LineasMarcadas = 2;
    EXPECT_EQ(enviar().total, 2);
    EXPECT_EQ(web.filas(QStringLiteral("SELECT meta_value FROM wp_postmeta WHERE meta_key='_sku' ORDER BY post_id")),
              (QStringList{QStringLiteral("A3"), QStringLiteral("A7")}));
}

TEST_F(Envio, NoLineMarkedSendsEveryLine) {
    producto(QStringLiteral("A3"), QStringLiteral("'En 3'"), QStringLiteral("1"), QStringLiteral("1"), 3);
    producto(QStringLiteral("A5"), QStringLiteral("'Sin línea'"), QStringLiteral("1"), QStringLiteral("1"), 5);
    host.ejecuta(QStringLiteral("UPDATE productos SET Linea=NULL WHERE Clave='A5'"));
    ventana.agregaLineaMarcada(3, QStringLiteral("Abarrotes"), false);
    Config().LineasMarcadas = 0;
    EXPECT_EQ(enviar().enviados, 2);
    EXPECT_EQ(cuenta(QStringLiteral("wp_posts")), 2);
}

TEST_F(Envio, InterruptionDuringProductFiveFinishesItAndStartsNoOther) {
    for (int i = 1; i <= 8; ++i)
        producto(QStringLiteral("P%1").arg(i), QStringLiteral("'Producto %1'").arg(i), QStringLiteral("1"), QStringLiteral("1"));
    ventana.alProcesar = [this] {
        if (ventana.label5 == QStringLiteral("Producto 5 de 8")) blInterruptus = true;  // the user said Yes
    };
    const ResultadoEnvio r = enviar();
    EXPECT_EQ(r.fin, ResultadoEnvio::Fin::Interrumpido);
    EXPECT_EQ(r.enviados, 5);
    EXPECT_EQ(r.total, 8);
    EXPECT_EQ(claves(post(QStringLiteral("P5"))), kClavesNuevo);
    EXPECT_EQ(post(QStringLiteral("P6")), QString());
    EXPECT_EQ(cuenta(QStringLiteral("wp_posts")), 5);
    EXPECT_EQ(ventana.eventos.mid(ventana.eventos.size() - 7),
              (QStringList{QStringLiteral("label3=Imagen del producto P5") + CRLF + QStringLiteral("Descripción: Producto 5"),
                           QStringLiteral("label5=5 de 8"), QStringLiteral("procesar"),
                           QStringLiteral("boton=Enviar ahora"), QStringLiteral("label3Visible=0"),
                           QStringLiteral("label5Visible=0"), QStringLiteral("imagenes=0")}));

    // The next run starts again from the first product, with the flag cleared.
    ventana.alProcesar = nullptr;
    ventana.toma();
    blInterruptus = true;
    const ResultadoEnvio otra = enviar();
    EXPECT_FALSE(blInterruptus);
    EXPECT_EQ(otra.fin, ResultadoEnvio::Fin::Completo);
    EXPECT_EQ(otra.enviados, 8);
    EXPECT_EQ(otra.nuevos, 3);
    EXPECT_TRUE(ventana.eventos.contains(QStringLiteral("label5=Producto 1 de 8")));
    EXPECT_EQ(cuenta(QStringLiteral("wp_posts")), 8);
}

TEST_F(Envio, InterruptionBeforeTheFirstProductSendsNothing) {
    producto(QStringLiteral("A1"), QStringLiteral("'Mesa'"), QStringLiteral("1"), QStringLiteral("1"));
    ventana.alProcesar = [this] { blInterruptus = true; };
    const ResultadoEnvio r = enviar();
    EXPECT_EQ(r.enviados, 0);
    EXPECT_EQ(r.fin, ResultadoEnvio::Fin::Interrumpido);
    EXPECT_EQ(cuenta(QStringLiteral("wp_posts")), 0);
    EXPECT_EQ(ventana.eventos.last(), QStringLiteral("imagenes=0"));
    EXPECT_EQ(ventana.boton, QStringLiteral("Enviar ahora"));
}

TEST_F(Envio, NoProductSelectedShowsEmptyLabelsAndWritesNothing) {
    producto(QStringLiteral("XFDD1"), QStringLiteral("'Reservado'"), QStringLiteral("1"), QStringLiteral("1"));
    const ResultadoEnvio r = enviar();
    EXPECT_EQ(r.fin, ResultadoEnvio::Fin::Completo);
    EXPECT_EQ(r.total, 0);
    EXPECT_EQ(ventana.toma(), (QStringList{QStringLiteral("boton=Interrumpir"), QStringLiteral("label3="),
                                           QStringLiteral("label5="), QStringLiteral("label5Visible=1"),
                                           QStringLiteral("label3Visible=1"), QStringLiteral("procesar"),
                                           QStringLiteral("boton=Enviar ahora"), QStringLiteral("label3Visible=0"),
                                           QStringLiteral("label5Visible=0"), QStringLiteral("imagenes=0")}));
    EXPECT_EQ(cuenta(QStringLiteral("wp_posts")) + cuenta(QStringLiteral("wp_postmeta")), 0);
}

TEST_F(Envio, HostDatabaseDownChangesNothingButTheImageBox) {
    producto(QStringLiteral("A1"), QStringLiteral("'Mesa'"), QStringLiteral("1"), QStringLiteral("1"));
    usuarioHost.cambiaClave(QStringLiteral("otra"));
    const ResultadoEnvio r = enviar();
    EXPECT_EQ(r.fin, ResultadoEnvio::Fin::SinBaseDeDatos);
    EXPECT_EQ(ventana.toma(), QStringList{QStringLiteral("imagenes=0")});
    EXPECT_EQ(ventana.boton, QStringLiteral("Enviar ahora"));
    EXPECT_EQ(cuenta(QStringLiteral("wp_posts")) + cuenta(QStringLiteral("wp_postmeta")), 0);
    EXPECT_TRUE(usuarioWeb.sinConexiones());
}

TEST_F(Envio, ASecondSendToTheSameShopWaitsItsTurnAndWritesNothing) {
    producto(QStringLiteral("A1"), QStringLiteral("'Mesa'"), QStringLiteral("1"), QStringLiteral("1"));
    // Another program's send to the same shop holds the shop's lock on its own connection.
    std::shared_ptr<kesa5::BasesDD> otro;
    ASSERT_TRUE(CrearObjeto(otro, QStringLiteral("BasesDD")));
    otro->cRuta = Config().DireccionIPWeb;
    otro->cPuerto = Config().PuertoWeb;
    otro->cUsuario = Config().UsuarioWeb;
    otro->cPassword = Config().ContrasenaWeb;
    ConexionPtr suya;
    ASSERT_TRUE(otro->AbrirBdD(suya, Config().BaseWeb));
    ASSERT_TRUE(suya->TomaCandado(QStringLiteral("moravi-envio:") + Config().BaseWeb, 0));
    const ResultadoEnvio r = enviar();
    EXPECT_EQ(r.fin, ResultadoEnvio::Fin::OtroEnvio);
    EXPECT_EQ(ventana.toma(), QStringList{QStringLiteral("imagenes=0")});
    EXPECT_EQ(cuenta(QStringLiteral("wp_posts")) + cuenta(QStringLiteral("wp_postmeta")), 0);
    // Once the other send is over, this one goes ahead.
    otro->CierraBdD(suya);
    EXPECT_EQ(enviar().fin, ResultadoEnvio::Fin::Completo);
    EXPECT_EQ(cuenta(QStringLiteral("wp_posts")), 1);
}

TEST_F(Envio, WebDatabaseDownAtTheStartStillRefreshesTheImageFolder) {
    host.ejecuta(QStringLiteral("INSERT INTO configura VALUES ('CarpetaImgProds', 'C:\\\\Fotos')"));
    producto(QStringLiteral("A1"), QStringLiteral("'Mesa'"), QStringLiteral("1"), QStringLiteral("1"));
    Config().ContrasenaWeb = QStringLiteral("equivocada");
    EXPECT_EQ(enviar().fin, ResultadoEnvio::Fin::SinBaseDeDatos);
    EXPECT_EQ(ventana.toma(), QStringList{QStringLiteral("imagenes=0")});
    EXPECT_EQ(Config().CarpetaImagenes, QStringLiteral("C:\\Fotos\\"));
    EXPECT_TRUE(usuarioHost.sinConexiones());
}

TEST_F(Envio, ImageFolderGetsOneFinalSeparator) {
    const auto carpeta = [this](const char* valor) {
        host.ejecuta(QStringLiteral("DELETE FROM configura"));
        if (valor) host.ejecuta(QStringLiteral("INSERT INTO configura VALUES ('CarpetaImgProds', %1)").arg(sqlTexto(QString::fromUtf8(valor))));
        enviar();
        return Config().CarpetaImagenes;
    };
    EXPECT_EQ(carpeta("C:\\Imágenes"), QStringLiteral("C:\\Imágenes\\"));
    EXPECT_EQ(carpeta("C:\\Imágenes\\"), QStringLiteral("C:\\Imágenes\\"));
    EXPECT_EQ(carpeta("/srv/imagenes/"), QStringLiteral("/srv/imagenes/"));
    EXPECT_EQ(carpeta(""), QString());
    EXPECT_EQ(carpeta(nullptr), QString());
}

TEST_F(Envio, WebConnectionLostBeforeProductThreeEndsQuietlyAndTheNextRunCarriesOn) {
    for (int i = 1; i <= 5; ++i)
        producto(QStringLiteral("P%1").arg(i), QStringLiteral("'Producto %1'").arg(i), QStringLiteral("1"), QStringLiteral("1"));
    QStringList sesiones;
    ventana.alProcesar = [&] {
        if (ventana.label5.startsWith(QStringLiteral("Producto "))) sesiones << usuarioWeb.conexiones();
        if (ventana.label5 == QStringLiteral("Producto 3 de 5")) {
            usuarioWeb.cambiaClave(QStringLiteral("cambiada"));  // the shop's server refuses from now on
            usuarioWeb.cortaConexiones();
        }
    };
    const ResultadoEnvio r = enviar();
    EXPECT_EQ(r.fin, ResultadoEnvio::Fin::ConexionPerdida);
    EXPECT_EQ(r.enviados, 2);
    EXPECT_NE(post(QStringLiteral("P2")), QString());
    EXPECT_EQ(post(QStringLiteral("P3")), QString());
    EXPECT_EQ(cuenta(QStringLiteral("wp_posts")), 2);
    EXPECT_EQ(ventana.eventos.mid(ventana.eventos.size() - 4),
              (QStringList{QStringLiteral("boton=Enviar ahora"), QStringLiteral("label3Visible=0"),
                           QStringLiteral("label5Visible=0"), QStringLiteral("imagenes=0")}));
    // One web connection served every product: it was kept, not dialled again each time.
    ASSERT_EQ(sesiones.size(), 3);
    EXPECT_EQ(sesiones.value(0), sesiones.value(1));
    EXPECT_EQ(sesiones.value(1), sesiones.value(2));
    EXPECT_TRUE(usuarioHost.sinConexiones());

    ventana.alProcesar = nullptr;
    usuarioWeb.cambiaClave(usuarioWeb.clave);
    const ResultadoEnvio otra = enviar();
    EXPECT_EQ(otra.fin, ResultadoEnvio::Fin::Completo);
    EXPECT_EQ(otra.nuevos, 3);
    EXPECT_EQ(cuenta(QStringLiteral("wp_posts")), 5);
    EXPECT_EQ(cuenta(QStringLiteral("wp_postmeta")), 150);
}

TEST_F(Envio, ConnectionCutButServerStillThereIsRedialledAndTheRunGoesOn) {
    for (int i = 1; i <= 3; ++i)
        producto(QStringLiteral("P%1").arg(i), QStringLiteral("'Producto %1'").arg(i), QStringLiteral("1"), QStringLiteral("1"));
    ventana.alProcesar = [&] {
        if (ventana.label5 == QStringLiteral("Producto 2 de 3")) usuarioWeb.cortaConexiones();
    };
    EXPECT_EQ(enviar().enviados, 3);
    EXPECT_EQ(cuenta(QStringLiteral("wp_posts")), 3);
}

TEST_F(Envio, ErrorInTheMiddleRestoresTheWindowClosesEverythingAndPassesOn) {
    for (int i = 1; i <= 3; ++i)
        producto(QStringLiteral("P%1").arg(i), QStringLiteral("'Producto %1'").arg(i), QStringLiteral("1"), QStringLiteral("1"));
    ventana.alProcesar = [&] {
        if (ventana.label5 == QStringLiteral("Producto 2 de 3"))
            web.ejecuta(QStringLiteral("RENAME TABLE wp_postmeta TO wp_postmeta_fuera"));
    };
    clsProcedimenti proc(ventana);
    try {
        proc.EnviarProductos(campos, blInterruptus, nullptr);
        ADD_FAILURE() << "the run hid the error";
    } catch (const ErrorServicio& e) {
        EXPECT_EQ(e.numero(), 1146);
    }
    EXPECT_EQ(proc.Resultado().fin, ResultadoEnvio::Fin::Fallo);
    EXPECT_EQ(proc.Resultado().enviados, 1);
    EXPECT_EQ(proc.Resultado().total, 3);
    EXPECT_EQ(ventana.eventos.mid(ventana.eventos.size() - 4),
              (QStringList{QStringLiteral("boton=Enviar ahora"), QStringLiteral("label3Visible=0"),
                           QStringLiteral("label5Visible=0"), QStringLiteral("imagenes=0")}));
    EXPECT_TRUE(usuarioWeb.sinConexiones());
    EXPECT_TRUE(usuarioHost.sinConexiones());
    EXPECT_EQ(web.valor(QStringLiteral("SELECT COUNT(*) FROM wp_postmeta_fuera")), QStringLiteral("30"));
}

TEST_F(Envio, ANewProductIsWrittenWholeOrNotAtAll) {
    producto(QStringLiteral("A1"), QStringLiteral("'Uno'"), QStringLiteral("1"), QStringLiteral("1"));
    producto(QStringLiteral("B2"), QStringLiteral("'Dos'"), QStringLiteral("2"), QStringLiteral("2"));
    producto(QStringLiteral("C3"), QStringLiteral("'Tres'"), QStringLiteral("3"), QStringLiteral("3"));
    // The shop's server refuses B2's SKU row, after B2's post row went in.
    web.ejecuta(QStringLiteral(
        "CREATE TRIGGER rechaza BEFORE INSERT ON wp_postmeta FOR EACH ROW "
        "IF NEW.meta_key = '_sku' AND NEW.meta_value = 'B2' THEN "
        "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'rechazado'; END IF"));
    EXPECT_THROW(enviar(), ErrorServicio);
    EXPECT_EQ(web.filas(QStringLiteral("SELECT post_title FROM wp_posts")), QStringList{QStringLiteral("Uno")});

    // Refused later, among the default values: nothing of the product stays either.
    web.ejecuta(QStringLiteral(
        "DROP TRIGGER rechaza;\n"
        "CREATE TRIGGER rechaza BEFORE INSERT ON wp_postmeta FOR EACH ROW "
        "IF NEW.meta_key = '_virtual' THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'rechazado'; END IF"));
    EXPECT_THROW(enviar(), ErrorServicio);
    EXPECT_EQ(cuenta(QStringLiteral("wp_posts")), 1);
    EXPECT_EQ(cuenta(QStringLiteral("wp_postmeta")), 30);

    web.ejecuta(QStringLiteral("DROP TRIGGER rechaza"));
    EXPECT_EQ(enviar().nuevos, 2);
    EXPECT_EQ(cuenta(QStringLiteral("wp_posts")), 3);
    EXPECT_EQ(claves(post(QStringLiteral("B2"))), kClavesNuevo);
}

TEST_F(Envio, AnExistingProductKeepsAllItsOldValuesWhenOneWriteFails) {
    producto(QStringLiteral("A1"), QStringLiteral("'Uno'"), QStringLiteral("1"), QStringLiteral("1"));
    enviar();
    const QString id = post(QStringLiteral("A1"));
    const QStringList antes = web.filas(QStringLiteral("SELECT CONCAT_WS('|', meta_key, meta_value) FROM wp_postmeta ORDER BY meta_id"));
    host.ejecuta(QStringLiteral("UPDATE productos SET Precio1=2, Existencia=0"));
    ahora = ahora.addDays(1);
    // The last of the four values is refused: the touch and the first three are undone too.
    web.ejecuta(QStringLiteral(
        "CREATE TRIGGER rechaza BEFORE UPDATE ON wp_postmeta FOR EACH ROW "
        "IF NEW.meta_key = '_price' THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'rechazado'; END IF"));
    EXPECT_THROW(enviar(), ErrorServicio);
    EXPECT_EQ(web.filas(QStringLiteral("SELECT CONCAT_WS('|', meta_key, meta_value) FROM wp_postmeta ORDER BY meta_id")), antes);
    EXPECT_EQ(web.valor(QStringLiteral("SELECT post_modified FROM wp_posts WHERE ID=") + id),
              QStringLiteral("2026-01-08 17:19:59"));
}

TEST_F(Envio, QuotesBackslashesAndAccentsAreStoredIntact) {
    const QString clave = QStringLiteral("O'R\\ñ-%2");
    const QString descrip = QStringLiteral("Café \"Ñandú\" 1/2 l. O'Brien \\ 100%2");
    producto(clave, sqlTexto(descrip), QStringLiteral("1"), QStringLiteral("1"));
    enviar();
    enviar();  // found again by its key: no second product
    EXPECT_EQ(cuenta(QStringLiteral("wp_posts")), 1);
    const QString id = post(clave);
    ASSERT_NE(id, QString());
    EXPECT_EQ(web.valor(QStringLiteral("SELECT CONCAT(post_title, '|', post_name) FROM wp_posts")),
              descrip + QStringLiteral("|cafe-nandu-1-2-l-obrien-1002"));
    EXPECT_EQ(claves(id).size(), 30);
    EXPECT_TRUE(ventana.eventos.contains(QStringLiteral("label3=Clave: ") + clave + CRLF +
                                         QStringLiteral("Descripción: ") + descrip));
}

TEST_F(Envio, EmptyDescriptionPriceOrStock) {
    producto(QStringLiteral("N1"), QStringLiteral("NULL"), QStringLiteral("NULL"), QStringLiteral("NULL"));
    producto(QStringLiteral("N2"), QStringLiteral("'   '"), QStringLiteral("15"), QStringLiteral("4"));
    enviar();
    const QString n1 = post(QStringLiteral("N1"));
    EXPECT_EQ(web.valor(QStringLiteral("SELECT CONCAT(post_title, '|', post_name) FROM wp_posts WHERE ID=") + n1),
              QStringLiteral("N1|n1"));
    const QMap<QString, QString> v = valores(n1);
    EXPECT_FALSE(v.contains(QStringLiteral("_regular_price")));  // no price rather than a wrong one
    EXPECT_FALSE(v.contains(QStringLiteral("_price")));
    EXPECT_EQ(v.value(QStringLiteral("_stock")), QStringLiteral("0"));
    EXPECT_EQ(v.value(QStringLiteral("_stock_status")), QStringLiteral("outofstock"));
    EXPECT_EQ(claves(n1).size(), 28);
    EXPECT_TRUE(ventana.eventos.contains(QStringLiteral("label3=Clave: N1") + CRLF + QStringLiteral("Descripción: ")));
    EXPECT_EQ(web.valor(QStringLiteral("SELECT post_title FROM wp_posts WHERE ID=") + post(QStringLiteral("N2"))),
              QStringLiteral("N2"));

    // A price that goes missing later leaves the shop's price as it was; a stock that goes
    // missing takes the product off sale.
    host.ejecuta(QStringLiteral("UPDATE productos SET Precio1=NULL, Existencia=NULL WHERE Clave='N2'"));
    enviar();
    const QMap<QString, QString> w = valores(post(QStringLiteral("N2")));
    EXPECT_EQ(w.value(QStringLiteral("_regular_price")), QStringLiteral("15"));
    EXPECT_EQ(w.value(QStringLiteral("_price")), QStringLiteral("15"));
    EXPECT_EQ(w.value(QStringLiteral("_stock")), QStringLiteral("0"));
    EXPECT_EQ(w.value(QStringLiteral("_stock_status")), QStringLiteral("outofstock"));
}

}  // namespace
