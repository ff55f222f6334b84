// The send in chunks against a real MariaDB: the shop ends up exactly as when every product is
// its own chunk, keys match byte for byte, new posts are found again whatever IDs the server
// hands out, and a chunk is written whole or not at all.
#include "EntornoEnvio.h"

#include "servicelib/ErrorServicio.h"

#include <QFile>
#include <QThread>
#include <atomic>
#include <thread>

namespace {

using Lotes = EntornoEnvio;

// Every row of the shop's two tables, IDs included.
QStringList foto(prueba::BaseTemporal& web) {
    return web.filas(u"SELECT CONCAT_WS('|', ID, post_author, post_date, post_date_gmt, post_title, post_status, "
                     "comment_status, ping_status, post_name, post_modified, post_modified_gmt, post_type, guid, "
                     "post_content, post_excerpt, to_ping, pinged, post_content_filtered, post_parent, menu_order, "
                     "post_mime_type, comment_count, post_password) FROM wp_posts ORDER BY ID"_s) +
           web.filas(u"SELECT CONCAT_WS('|', meta_id, post_id, meta_key, IFNULL(meta_value, 'NULL')) FROM wp_postmeta "
                     "ORDER BY meta_id"_s);
}

TEST_F(Lotes, ChunksOfAnySizeLeaveTheShopAsProductByProductWriting) {
    // Seven products; two titled alike on both sides of a chunk boundary, one whose title leaves
    // no name, one without price, a quote. The shop already has a product named "silla".
    const auto catalogo = [this] {
        host.ejecuta(u"DELETE FROM productos"_s);
        for (const auto& [clave, descrip, precio] :
             {std::tuple{"A1", "'Mesa'", "10"}, {"A2", "'Banco'", "NULL"}, {"A3", "'Silla'", "3.50"},
              {"A4", "'Silla'", "4"}, {"A5", "'¡¿?!'", "5"}, {"A6", "'O''Brien'", "6"}, {"A7", "'Silla'", "7"}})
            producto(QLatin1String(clave), QString::fromUtf8(descrip), QLatin1String(precio));
    };
    const auto ronda = [&](LimitesLote l) {
        web.ejecuta(u"TRUNCATE wp_posts;\nTRUNCATE wp_postmeta;\n"
                    "INSERT INTO wp_posts (post_title, post_name, post_type, post_content, post_excerpt, to_ping, pinged, "
                    "post_content_filtered) VALUES ('Silla', 'silla', 'product', '', '', '', '', '')"_s);
        catalogo();
        lote = l;
        ahora = QDateTime(QDate(2026, 1, 8), QTime(17, 19, 59));
        EXPECT_EQ(enviar().fin, ResultadoEnvio::Fin::Completo);
        QStringList filas = foto(web);
        // Second send: prices change, a value row went missing in the shop, a value was edited there.
        host.ejecuta(u"UPDATE productos SET Precio1=Precio1+1, Existencia=0 WHERE Clave IN ('A3','A4','A7')"_s);
        web.ejecuta(u"DELETE FROM wp_postmeta WHERE meta_key='_stock' AND post_id=3;\n"
                    "UPDATE wp_postmeta SET meta_value='99' WHERE meta_key='_price' AND post_id=2"_s);
        ahora = QDateTime(QDate(2026, 2, 1), QTime(9, 0, 0));
        const ResultadoEnvio r = enviar();
        EXPECT_EQ(r.nuevos, 0);
        EXPECT_EQ(r.cambiados, 3 * 4 + 1 + 1);
        return filas + QStringList{u"--"_s} + foto(web);
    };

    const QStringList unoPorUno = ronda(LimitesLote{1, 6000, 256 * 1024});
    ASSERT_EQ(web.valor(u"SELECT COUNT(*) FROM wp_posts"_s), u"8"_s);
    ASSERT_TRUE(unoPorUno.contains(u"5|333|2026-01-08 17:19:59|2026-01-08 23:19:59|Silla|publish|closed|closed|silla-3|"
                                   "2026-01-08 17:19:59|2026-01-08 23:19:59|product|||||||0|0||0|"_s))
        << unoPorUno.join(u'\n').toStdString();
    for (const LimitesLote& l : {LimitesLote{3, 6000, 256 * 1024}, LimitesLote{6, 6000, 256 * 1024},
                                 LimitesLote{7, 6000, 256 * 1024}, LimitesLote{8, 6000, 256 * 1024},
                                 LimitesLote{1000, 40, 256 * 1024}, LimitesLote{1000, 6000, 300}})
        EXPECT_EQ(ronda(l), unoPorUno) << "chunk of " << l.productos << " products, " << l.filas << " rows, "
                                       << l.bytes << " bytes";
}

TEST_F(Lotes, KeysMatchByteForByteAndTheLowestPostOfAKeyWins) {
    // Distinct keys of a latin1 point of sale that the shop's collation takes for equal.
    producto(u"BAR1"_s, u"'Bar'"_s, u"1"_s);
    producto(u"BÄR1"_s, u"'Bär'"_s, u"2"_s);
    producto(u"MU1"_s, u"'Mu'"_s, u"3"_s);
    producto(u"MÜ1"_s, u"'Mü'"_s, u"4"_s);
    // The shop already holds "MU1" on two posts, and "bar1" (another product) on a third.
    web.ejecuta(u"INSERT INTO wp_posts (ID, post_title, post_type, post_content, post_excerpt, to_ping, pinged, "
                "post_content_filtered) VALUES (7, 'Mu viejo', 'product', '', '', '', '', ''),"
                " (5, 'Mu', 'product', '', '', '', '', ''), (9, 'bar', 'product', '', '', '', '', '');\n"
                "INSERT INTO wp_postmeta (post_id, meta_key, meta_value) VALUES (7, '_sku', 'MU1'), (5, '_sku', 'MU1'),"
                " (9, '_sku', 'bar1')"_s);
    for (int vez = 1; vez <= 2; ++vez) {
        const ResultadoEnvio r = enviar();
        EXPECT_EQ(r.nuevos, vez == 1 ? 3 : 0);
        EXPECT_EQ(web.valor(u"SELECT post_id FROM wp_postmeta WHERE meta_key='_sku' AND BINARY meta_value='MU1' "
                            "ORDER BY post_id LIMIT 1"_s),
                  u"5"_s);
        int precio = 1;
        for (const QString& clave : {u"BAR1"_s, u"BÄR1"_s, u"MU1"_s, u"MÜ1"_s}) {
            const QStringList posts = web.filas(u"SELECT post_id FROM wp_postmeta WHERE meta_key='_sku' AND BINARY "
                                                "meta_value=%1 ORDER BY post_id"_s.arg(sqlTexto(clave)));
            ASSERT_FALSE(posts.isEmpty()) << clave.toStdString();
            EXPECT_EQ(valores(posts.first()).value(u"_price"_s), QString::number(precio++)) << clave.toStdString();
        }
        EXPECT_EQ(valores(u"7"_s).value(u"_price"_s), QString()) << "the higher post of a key is left alone";
        EXPECT_EQ(valores(u"9"_s).value(u"_price"_s), QString()) << "another key's product is left alone";
    }
}

TEST_F(Lotes, NewPostsAreFoundAgainWhileAnotherProgramInsertsPosts) {
    // Interleaved auto-increment, the default of MySQL 8 servers: a multi-row insert's IDs need
    // not be consecutive when another session inserts at the same time.
    ASSERT_EQ(web.valor(u"SELECT @@innodb_autoinc_lock_mode"_s), u"2"_s);
    QStringList filas;
    for (int i = 1; i <= 300; ++i) filas << u"('P%1', 'Producto %2', 1, 1)"_s.arg(i, 3, 10, QChar(u'0')).arg(i);
    host.ejecuta(u"INSERT INTO productos (Clave, Descrip, Precio1, Existencia) VALUES "_s + filas.join(u','));
    lote.productos = 100;
    std::atomic<bool> sigue{true};
    std::atomic<int> ajenos{0};
    const std::shared_ptr<kesa5::BasesDD> otro = baseWeb();
    std::thread tienda([&] {
        ConexionPtr cn;
        if (!otro->AbrirBdD(cn, Config().BaseWeb)) return;
        while (sigue) {
            cn->Execute(u"INSERT INTO wp_posts (post_author, post_title, post_name, post_type, post_content, post_excerpt, "
                        "to_ping, pinged, post_content_filtered) VALUES (1, 'Ajeno', 'ajeno', 'product', '', '', '', '', '')"_s);
            ++ajenos;
        }
        otro->CierraBdD(cn);
    });
    const ResultadoEnvio r = enviar();
    sigue = false;
    tienda.join();
    EXPECT_EQ(r.nuevos, 300);
    EXPECT_GT(ajenos.load(), 0);
    // Every SKU row points at its own product's post, which has its 30 values.
    EXPECT_EQ(web.valor(u"SELECT COUNT(*) FROM wp_postmeta m JOIN wp_posts p ON p.ID = m.post_id WHERE m.meta_key='_sku' "
                        "AND p.post_author = 333 AND p.post_title = CONCAT('Producto ', SUBSTRING(m.meta_value, 2) + 0)"_s),
              u"300"_s);
    EXPECT_EQ(web.valor(u"SELECT COUNT(DISTINCT post_id) FROM wp_postmeta"_s), u"300"_s);
    EXPECT_EQ(web.valor(u"SELECT COUNT(*) FROM wp_postmeta m JOIN wp_posts p ON p.ID = m.post_id AND p.post_author = 333"_s),
              u"9000"_s);
}

TEST_F(Lotes, AnInterruptionOrALostConnectionKeepsWholeChunksOnly) {
    productos(8);
    lote.productos = 3;
    // The user interrupts while the second chunk (products 4 to 6) is shown: it is finished.
    ventana.alProcesar = [this] {
        if (ventana.label5 == u"Producto 4 de 8"_s) blInterruptus = true;
    };
    ResultadoEnvio r = enviar();
    EXPECT_EQ(r.fin, ResultadoEnvio::Fin::Interrumpido);
    EXPECT_EQ(r.enviados, 6);
    EXPECT_EQ(skus(), (QStringList{u"P1"_s, u"P2"_s, u"P3"_s, u"P4"_s, u"P5"_s, u"P6"_s}));
    ventana.alProcesar = nullptr;

    // The shop's connection dies while the next chunk (P7, P8) is being written.
    host.ejecuta(u"INSERT INTO productos (Clave, Descrip, Precio1, Existencia) VALUES ('P9', 'Producto 9', 1, 1)"_s);
    web.ejecuta(u"CREATE TRIGGER lento BEFORE INSERT ON wp_postmeta FOR EACH ROW "
                "IF NEW.meta_key = '_sku' AND NEW.meta_value = 'P8' THEN SET @espera = SLEEP(5); END IF"_s);
    std::atomic<bool> cortada{false};
    std::thread vigia([&] {
        for (int i = 0; i < 200 && !cortada; ++i) {
            // The run's session, inside the trigger (shown with the trigger's definer as its user).
            const QStringList ids =
                web.filas(u"SELECT ID FROM information_schema.PROCESSLIST WHERE INFO LIKE 'SET @espera%'"_s);
            if (!ids.isEmpty()) {
                web.ejecuta(u"KILL CONNECTION "_s + ids.first());
                cortada = true;
            }
            QThread::msleep(50);
        }
    });
    clsProcedimenti proc(ventana);
    proc.Lote = lote;
    EXPECT_THROW(proc.EnviarProductos(campos, blInterruptus, nullptr), ErrorServicio);
    vigia.join();
    EXPECT_TRUE(cortada);
    EXPECT_EQ(proc.Resultado().enviados, 6);
    EXPECT_EQ(cuenta(u"wp_posts"_s), 6);
    EXPECT_EQ(cuenta(u"wp_postmeta"_s), 180);

    web.ejecuta(u"DROP TRIGGER lento"_s);
    r = enviar();
    EXPECT_EQ(r.fin, ResultadoEnvio::Fin::Completo);
    EXPECT_EQ(r.nuevos, 3);
    EXPECT_EQ(skus().size(), 9);
    EXPECT_EQ(cuenta(u"wp_postmeta"_s), 270);
}

TEST_F(Lotes, AChunkThatWaitsForAnotherWritersLockIsTriedAgain) {
    productos(2);
    enviar();
    const QString id = post(u"P2"_s);
    host.ejecuta(u"UPDATE productos SET Precio1=9"_s);
    // Another session holds P2's post (as the shop's own edit would); ours gives up waiting after
    // a second, undoes the chunk, and tries again once the other session is done.
    web.ejecuta(u"SET GLOBAL innodb_lock_wait_timeout = 1"_s);
    const std::shared_ptr<kesa5::BasesDD> otro = baseWeb();
    ConexionPtr suya;
    ASSERT_TRUE(otro->AbrirBdD(suya, Config().BaseWeb));
    suya->Execute(u"START TRANSACTION"_s);
    suya->Execute(u"UPDATE wp_posts SET comment_count = 0 WHERE ID = "_s + id);
    int veces = 0;
    std::function<void()> alReintentar = [&] {
        if (++veces == 2) suya->Execute(u"COMMIT"_s);
    };
    reintentos.antesDeReintentar = [&](int) { alReintentar(); };
    const ResultadoEnvio r = enviar();
    web.ejecuta(u"SET GLOBAL innodb_lock_wait_timeout = 50"_s);
    otro->CierraBdD(suya);
    EXPECT_EQ(r.fin, ResultadoEnvio::Fin::Completo);
    EXPECT_EQ(veces, 2);
    EXPECT_EQ(valores(id).value(u"_price"_s), u"9"_s);
    EXPECT_EQ(valores(post(u"P1"_s)).value(u"_price"_s), u"9"_s);

    // A lock that is never let go: after its tries the run ends with the error, nothing half-written.
    host.ejecuta(u"UPDATE productos SET Precio1=11"_s);
    web.ejecuta(u"SET GLOBAL innodb_lock_wait_timeout = 1"_s);
    ASSERT_TRUE(otro->AbrirBdD(suya, Config().BaseWeb));
    suya->Execute(u"START TRANSACTION"_s);
    suya->Execute(u"UPDATE wp_posts SET comment_count = 0 WHERE ID = "_s + id);
    veces = 0;
    alReintentar = [&] { ++veces; };
    try {
        enviar();
        ADD_FAILURE() << "the lock wait was hidden";
    } catch (const ErrorServicio& e) {
        EXPECT_EQ(e.numero(), 1205);
    }
    web.ejecuta(u"SET GLOBAL innodb_lock_wait_timeout = 50"_s);
    otro->CierraBdD(suya);
    EXPECT_EQ(veces, reintentos.intentos - 1);
    EXPECT_EQ(valores(post(u"P1"_s)).value(u"_price"_s), u"9"_s);
}

}  // namespace

namespace {

TEST_F(Lotes, AWooCommerceShopKeepsItsLookupRowsTermsAndCountsInStep) {
    QFile f(prueba::rutaFixture(u"woocommerce-tables.sql"_s));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    web.ejecuta(QString::fromUtf8(f.readAll()));
    producto(u"A1"_s, u"'Mesa'"_s, u"10.50"_s, u"3"_s);
    producto(u"B1"_s, u"'Silla'"_s, u"5"_s, u"0"_s);
    const auto estado = [this] {
        return web.filas(u"SELECT CONCAT_WS('|', l.sku, l.min_price, l.max_price, l.stock_quantity, l.stock_status, "
                         "(SELECT GROUP_CONCAT(r.term_taxonomy_id ORDER BY r.term_taxonomy_id) FROM wp_term_relationships r "
                         "WHERE r.object_id = l.product_id)) FROM wp_wc_product_meta_lookup l ORDER BY l.sku"_s) +
               web.filas(u"SELECT CONCAT(term_taxonomy_id, '=', count) FROM wp_term_taxonomy WHERE term_taxonomy_id IN (2, 9, 15) "
                         "ORDER BY term_taxonomy_id"_s);
    };
    // simple type 2, outofstock 9, the default category 15.
    enviar();
    EXPECT_EQ(estado(), (QStringList{u"A1|10.5000|10.5000|3|instock|2,15"_s, u"B1|5.0000|5.0000|0|outofstock|2,9,15"_s,
                                     u"2=2"_s, u"9=1"_s, u"15=2"_s}));
    EXPECT_NE(web.valor(u"SELECT COUNT(*) FROM wp_options WHERE option_name='_transient_product-transient-version'"_s), u"0"_s);

    host.ejecuta(u"UPDATE productos SET Existencia = IF(Clave='A1', 0, 4), Precio1 = IF(Clave='B1', 6, Precio1)"_s);
    enviar();
    EXPECT_EQ(estado(), (QStringList{u"A1|10.5000|10.5000|0|outofstock|2,9,15"_s, u"B1|6.0000|6.0000|4|instock|2,15"_s,
                                     u"2=2"_s, u"9=1"_s, u"15=2"_s}));
    // 30 values a product, as in a shop without WooCommerce, and the three WooCommerce's own save
    // adds to a new product (total_sales, _tax_status, _tax_class).
    EXPECT_EQ(cuenta(u"wp_postmeta"_s), 66);
    EXPECT_EQ(web.filas(u"SELECT DISTINCT CONCAT(meta_key, '=', meta_value) FROM wp_postmeta WHERE meta_key IN "
                        "('total_sales', '_tax_status', '_tax_class') ORDER BY 1"_s),
              (QStringList{u"_tax_class="_s, u"_tax_status=taxable"_s, u"total_sales=0"_s}));
}

}  // namespace

namespace {

TEST_F(Lotes, WhatTheShopCutIsReportedAMissingConfiguraIsNotedAnUnreadableSelectionSendsNothing) {
    // A shop whose tables are older and narrower than WordPress's own: titles in a 3-byte
    // character set, values in a short column. The server stores what it can; the send says what.
    web.ejecuta(u"ALTER TABLE wp_posts MODIFY post_title text CHARACTER SET utf8mb3 NOT NULL;\n"
                "ALTER TABLE wp_postmeta MODIFY meta_value varchar(10) NULL"_s);
    host.ejecuta(u"DROP TABLE configura;\nALTER TABLE productos MODIFY Descrip varchar(120) CHARACTER SET utf8mb4"_s);
    producto(u"A1"_s, sqlTexto(u"Mesa 😀"_s), u"1"_s);
    producto(u"B1"_s, u"'Silla'"_s, u"12345678.25"_s);
    ResultadoEnvio r = enviar();
    EXPECT_EQ(r.fin, ResultadoEnvio::Fin::Completo);
    const QString avisos = r.avisos.join(u'\n');
    EXPECT_TRUE(avisos.contains(u"configura"_s)) << avisos.toStdString();
    EXPECT_GE(r.recortados, 3) << avisos.toStdString();  // the title, and B1's two prices
    EXPECT_TRUE(avisos.contains(u"A1: post_title"_s)) << avisos.toStdString();
    EXPECT_TRUE(avisos.contains(u"B1 _regular_price: meta_value"_s)) << avisos.toStdString();
    EXPECT_TRUE(avisos.contains(u"B1 _price: meta_value"_s)) << avisos.toStdString();

    // A price that changes to one the column cannot hold is reported on the update too.
    host.ejecuta(u"UPDATE productos SET Precio1 = 987654321.5 WHERE Clave = 'A1'"_s);
    r = enviar();
    EXPECT_TRUE(r.avisos.join(u'\n').contains(u"A1 _regular_price: meta_value"_s)) << r.avisos.join(u'\n').toStdString();

    // The saved selection of lines could not be read: nothing is sent, the reason is given.
    const int valoresAntes = cuenta(u"wp_postmeta"_s);
    host.ejecuta(u"UPDATE productos SET Existencia = 9"_s);
    Config().SeleccionIlegible = u"No se pudo leer la selección de líneas guardada."_s;
    r = enviar();
    EXPECT_EQ(r.fin, ResultadoEnvio::Fin::SinSeleccion);
    EXPECT_EQ(r.avisos, QStringList{Config().SeleccionIlegible});
    EXPECT_EQ(web.valor(u"SELECT COUNT(*) FROM wp_postmeta WHERE meta_key='_stock' AND meta_value='9'"_s), u"0"_s);
    EXPECT_EQ(cuenta(u"wp_postmeta"_s), valoresAntes);
}

}  // namespace

namespace {

TEST_F(Lotes, APreviewListsWhatASendWouldDoAndLeavesTheShopByteForByte) {
    producto(u"A1"_s, u"'Mesa'"_s, u"10"_s, u"2"_s);
    producto(u"B1"_s, u"'Silla'"_s, u"10"_s, u"2"_s);
    enviar();
    host.ejecuta(u"UPDATE productos SET Precio1 = 12.5 WHERE Clave = 'B1';\n"
                 "INSERT INTO productos (Clave, Descrip, Precio1, Existencia) VALUES ('C1', 'Mesa', 3, 0)"_s);
    const QStringList antes = foto(web);
    // Another send holds the shop: a preview takes no lock, so it is not held up.
    const std::shared_ptr<kesa5::BasesDD> otro = baseWeb();
    ConexionPtr suya;
    ASSERT_TRUE(otro->AbrirBdD(suya, Config().BaseWeb));
    ASSERT_TRUE(suya->TomaCandado(u"moravi-envio:"_s + Config().BaseWeb, 0));
    ahora = ahora.addDays(1);

    clsProcedimenti proc(ventana);
    const VistaPreviaEnvio v = proc.VistaPrevia();
    otro->CierraBdD(suya);
    ASSERT_TRUE(v.leida);
    EXPECT_EQ(v.total, 3);
    EXPECT_EQ(v.cambiarian, 2);
    ASSERT_EQ(v.nuevos.size(), 1u);
    EXPECT_EQ(v.nuevos[0].clave + u'|' + v.nuevos[0].titulo + u'|' + v.nuevos[0].nombre, u"C1|Mesa|mesa-2"_s);
    QStringList cambios;
    for (const auto& c : v.cambios) cambios << c.clave + u' ' + c.campo + u' ' + c.antes + u'>' + c.despues;
    EXPECT_EQ(cambios, (QStringList{u"B1 _regular_price 10>12.5"_s, u"B1 _price 10>12.5"_s}));
    EXPECT_EQ(foto(web), antes);

    // A shop that cannot be reached: nothing read, said so.
    Config().ContrasenaWeb = u"otra"_s;
    EXPECT_FALSE(clsProcedimenti(ventana).VistaPrevia().leida);
}

}  // namespace
