// Servers set up otherwise than the test server's defaults. Their settings are global, so these
// tests run alone.
// A shared host's server that accepts statements of 64 KiB only (max_allowed_packet): the send
// keeps under it, and the one product that cannot fit is named and left out.
#include "EntornoEnvio.h"

#include <algorithm>

namespace {

class PaquetePequeno : public EntornoEnvio {
protected:
    void SetUp() override {
        EntornoEnvio::SetUp();
        antes_ = web.valor(u"SELECT @@GLOBAL.max_allowed_packet"_s);
    }
    // From now on, for connections opened afterwards.
    void limita() { web.ejecuta(u"SET GLOBAL max_allowed_packet = 65536"_s); }
    void TearDown() override {
        web.ejecuta(u"SET GLOBAL max_allowed_packet = "_s + antes_);
        EntornoEnvio::TearDown();
    }
    QString antes_;
};

TEST_F(PaquetePequeno, StatementsStayUnderTheServersBoundAndAProductTooLargeIsNamedAndSkipped) {
    host.ejecuta(u"ALTER TABLE productos MODIFY Descrip MEDIUMTEXT NULL"_s);
    QString filas;
    for (int i = 1; i <= 200; ++i)
        filas += u"%1('P%2', REPEAT('Mesa de pino macizo ', 25), %2, 3, 1)"_s.arg(i == 1 ? u""_s : u","_s).arg(i, 3, 10, QLatin1Char('0'));
    host.ejecuta(u"INSERT INTO productos (Clave, Descrip, Precio1, Existencia, Linea) VALUES "_s + filas +
                 u", ('P100X', REPEAT('\\'', 40000), 1, 1, 1)"_s);  // read in 40 KB, written escaped in 80
    limita();
    ResultadoEnvio r = enviar();
    EXPECT_TRUE(r.completo());
    EXPECT_EQ(r.descartados, 1);
    EXPECT_EQ(r.nuevos, 200);
    EXPECT_EQ(r.enviados, 201);
    EXPECT_EQ(post(u"P100X"_s), QString());
    EXPECT_TRUE(std::any_of(r.avisos.begin(), r.avisos.end(), [](const QString& a) {
        return a.startsWith(u"P100X: no se envió"_s) && a.contains(u"65536"_s);
    })) << r.avisos.join(u"\n"_s).toStdString();
    // Every value changes: the next send's statements stay under the bound as well.
    host.ejecuta(u"UPDATE productos SET Precio1 = Precio1 + 1000.25, Existencia = 7"_s);
    r = enviar();
    EXPECT_EQ(r.cambiados, 200 * 3);  // both prices and the stock
    EXPECT_EQ(valores(post(u"P200"_s)).value(u"_price"_s), u"1200.25"_s);
}

}

namespace {

// A server that numbers new rows two by two (auto_increment_increment, as replicated setups
// do): the new posts' IDs are not consecutive, so the chunk's check fails, it is undone and
// written again step by step, each post found by its name.
class NumeracionDeDosEnDos : public EntornoEnvio {
protected:
    void SetUp() override {
        EntornoEnvio::SetUp();
        web.ejecuta(u"SET GLOBAL auto_increment_increment = 2"_s);
    }
    void TearDown() override {
        web.ejecuta(u"SET GLOBAL auto_increment_increment = 1"_s);
        EntornoEnvio::TearDown();
    }
};

TEST_F(NumeracionDeDosEnDos, NewProductsWhoseIdsAreNotConsecutiveStillGetTheirOwnRows) {
    productos(5);
    const ResultadoEnvio r = enviar();
    EXPECT_TRUE(r.limpio());
    EXPECT_EQ(r.nuevos, 5);
    for (int i = 1; i <= 5; ++i) {
        const QString id = post(u"P%1"_s.arg(i));
        EXPECT_EQ(web.valor(u"SELECT post_title FROM wp_posts WHERE ID = "_s + id), u"Producto %1"_s.arg(i));
        EXPECT_EQ(claves(id).size(), 30);
    }
    EXPECT_EQ(web.valor(u"SELECT MAX(ID) - MIN(ID) FROM wp_posts"_s), u"8"_s);  // 1, 3, 5, 7, 9
    EXPECT_EQ(cuenta(u"wp_postmeta"_s), 150);
}

}
