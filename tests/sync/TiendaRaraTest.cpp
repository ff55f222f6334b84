// Odd shops and odd point-of-sale data, on the real server: nothing written to the wrong
// product, nothing turned into 0, nothing reported as fine that is not.
#include "EntornoEnvio.h"
#include "servicelib/ErrorServicio.h"

#include <QFile>

namespace {

class TiendaRara : public EntornoEnvio {
protected:
    void conWooCommerce() {
        QFile f(prueba::rutaFixture(u"woocommerce-tables.sql"_s));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        web.ejecuta(QString::fromUtf8(f.readAll()));
    }
    // The send's error, or "" when it ended without one.
    QString errorDelEnvio() {
        try {
            enviar();
        } catch (const ErrorServicio& e) {
            return e.descripcion();
        }
        return {};
    }
    static bool nombra(const QStringList& avisos, const QString& texto) {
        return std::any_of(avisos.begin(), avisos.end(), [&](const QString& a) { return a.contains(texto); });
    }
};

TEST_F(TiendaRara, KeysPricesAndStockThatCannotBeTrustedAreNamedAndNeverWrittenWrong) {
    conWooCommerce();
    // Prices and stock kept as text by some installations; keys told apart by case.
    host.ejecuta(u"ALTER TABLE productos MODIFY Precio1 VARCHAR(20) NULL, MODIFY Existencia VARCHAR(20) NULL, "
                 "MODIFY Clave VARCHAR(30) CHARACTER SET latin1 COLLATE latin1_bin NOT NULL"_s);
    // The shop: a product with an empty SKU row (left by an importer), and SKU rows of a post
    // deleted by SQL.
    web.ejecuta(u"INSERT INTO wp_posts (ID, post_title, post_type, post_status, post_content, post_excerpt, to_ping, "
                "pinged, post_content_filtered) VALUES (50, 'Ajeno', 'product', 'publish', '', '', '', '', '');\n"
                "INSERT INTO wp_postmeta (post_id, meta_key, meta_value) VALUES (50, '_sku', ''), (50, '_price', '99'),"
                " (9999, '_sku', 'BORRADO'), (9999, '_price', '1')"_s);
    struct Caso {
        QString clave, precio, existencia;
        QString precioEscrito, existenciaEscrita;  // "" : not written
    };
    const std::vector<Caso> casos{
        {u"COMA"_s, u"'12,50'"_s, u"'1,5'"_s, u"12.5"_s, u"1"_s},  // whole units in a WooCommerce shop
        {u"MILES"_s, u"'1.234,56'"_s, u"'3'"_s, u"1234.56"_s, u"3"_s},
        {u"MILES-US"_s, u"'1,234.56'"_s, u"'2'"_s, u"1234.56"_s, u"2"_s},
        {u"MONEDA"_s, u"'$ 7.00'"_s, u"' 4 '"_s, u"7"_s, u"4"_s},
        {u"AMBIGUO"_s, u"'1,234'"_s, u"'n/a'"_s, QString(), QString()},
        {u"BORRADO"_s, u"'5'"_s, u"'1'"_s, u"5"_s, u"1"_s},
        {u"A1"_s, u"'1'"_s, u"'1'"_s, u"1"_s, u"1"_s},
        {u"a1 "_s, u"'2'"_s, u"'1'"_s, u"2"_s, u"1"_s},
    };
    for (const Caso& c : casos) producto(c.clave, u"'Producto'"_s, c.precio, c.existencia);
    producto(QString(), u"'Sin clave'"_s, u"'3'"_s, u"'3'"_s);
    producto(u"\t "_s, u"'Blancos'"_s, u"'3'"_s, u"'3'"_s);

    const ResultadoEnvio r = enviar();
    EXPECT_TRUE(r.completo());
    EXPECT_FALSE(r.limpio());
    EXPECT_EQ(r.descartados, 2);
    EXPECT_EQ(r.total, int(casos.size()));
    EXPECT_EQ(r.nuevos, int(casos.size()));  // BORRADO too: its old rows point at nothing
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.clave.toStdString());
        const QMap<QString, QString> v = valores(web.valor(
            u"SELECT m.post_id FROM wp_postmeta m JOIN wp_posts p ON p.ID = m.post_id WHERE m.meta_key = '_sku' "
            "AND BINARY m.meta_value = %1"_s.arg(sqlTexto(c.clave))));
        EXPECT_EQ(v.value(u"_regular_price"_s), c.precioEscrito);
        EXPECT_EQ(v.value(u"_stock"_s), c.existenciaEscrita);
        EXPECT_EQ(v.contains(u"_stock_status"_s), !c.existenciaEscrita.isEmpty());
    }
    EXPECT_EQ(valores(u"50"_s).value(u"_price"_s), u"99"_s);  // the empty SKU matched nothing
    for (const QString& aviso : {u"AMBIGUO: Precio1 «1,234» no es un número"_s, u"AMBIGUO: Existencia «n/a»"_s,
                                 u"no tiene clave («Sin clave»)"_s, u"no tiene clave («Blancos»)"_s,
                                 u"las claves «A1» y «a1 » son la misma para WooCommerce"_s})
        EXPECT_TRUE(nombra(r.avisos, aviso)) << aviso.toStdString() << "\n" << r.avisos.join(u"\n"_s).toStdString();
}

TEST_F(TiendaRara, TablesThatCannotUndoAChunkOrAnotherPrefixStopTheSendBeforeItWritesAndSayWhy) {
    productos(3);
    web.ejecuta(u"ALTER TABLE wp_postmeta ENGINE=MyISAM"_s);
    const QString myisam = errorDelEnvio();
    EXPECT_TRUE(myisam.contains(u"wp_postmeta (MyISAM)"_s) && myisam.contains(u"InnoDB"_s)) << myisam.toStdString();
    EXPECT_EQ(cuenta(u"wp_posts"_s), 0);
    EXPECT_EQ(cuenta(u"wp_postmeta"_s), 0);

    // The shop was installed with another prefix: the one found is named.
    web.ejecuta(u"ALTER TABLE wp_postmeta ENGINE=InnoDB;\nRENAME TABLE wp_posts TO wpx_posts, wp_postmeta TO wpx_postmeta"_s);
    const QString prefijo = errorDelEnvio();
    EXPECT_TRUE(prefijo.contains(u"no tiene las tablas wp_posts y wp_postmeta"_s) && prefijo.contains(u"prefijo wpx_"_s))
        << prefijo.toStdString();
    Config().PrefijoWeb = u"wpx_"_s;
    ResultadoEnvio r = enviar();
    EXPECT_TRUE(r.limpio()) << r.avisos.join(u"; "_s).toStdString();
    EXPECT_EQ(web.valor(u"SELECT COUNT(*) FROM wpx_postmeta WHERE meta_key = '_sku'"_s), u"3"_s);
    // A stale install beside it is told of, and left alone.
    web.ejecuta(u"CREATE TABLE wp_posts LIKE wpx_posts;\nCREATE TABLE wp_postmeta LIKE wpx_postmeta"_s);
    r = enviar();
    EXPECT_TRUE(nombra(r.avisos, u"varios prefijos (wp_, wpx_); se envía a wpx_"_s)) << r.avisos.join(u"; "_s).toStdString();
    EXPECT_EQ(cuenta(u"wp_postmeta"_s), 0);
}

TEST_F(TiendaRara, AUserWhoMayNotDeleteShopOptionsGetsItsProductsWrittenAndAWarning) {
    conWooCommerce();
    productos(2);
    // Every right on every table of the shop, but only reading and writing on its options.
    const QString u = usuarioWeb.nombre, b = web.nombre();
    QString permisos = u"REVOKE ALL PRIVILEGES ON `%1`.* FROM '%2'@'%'"_s.arg(b, u);
    for (const QString& t : web.filas(u"SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE()"_s))
        permisos += u";\nGRANT %1 ON `%2`.`%3` TO '%4'@'%'"_s.arg(
            t == u"wp_options"_s ? u"SELECT, INSERT, UPDATE"_s : u"ALL PRIVILEGES"_s, b, t, u);
    web.ejecuta(permisos);
    const ResultadoEnvio r = enviar();
    EXPECT_TRUE(r.limpio()) << r.avisos.join(u"; "_s).toStdString();
    EXPECT_EQ(r.enviados, 2);
    EXPECT_TRUE(nombra(r.avisos, u"no se borraron las cachés de productos de WooCommerce"_s) &&
                nombra(r.avisos, u"DELETE command denied"_s))
        << r.avisos.join(u"; "_s).toStdString();
}

}
