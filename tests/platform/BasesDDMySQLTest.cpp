// The database object over a real MariaDB: connections, recordsets, settings reads.
#include "servicelib/BasesDD.h"
#include "servicelib/CrearObjeto.h"
#include "servicelib/ErrorServicio.h"
#include "support/ServidoresPrueba.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A TCP port on 127.0.0.1 where nothing listens: bound, then released.
std::uint16_t puertoSinServidor() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in dir{};
    dir.sin_family = AF_INET;
    dir.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    dir.sin_port = 0;
    bind(s, reinterpret_cast<sockaddr*>(&dir), sizeof dir);
    socklen_t largo = sizeof dir;
    getsockname(s, reinterpret_cast<sockaddr*>(&dir), &largo);
    close(s);
    return ntohs(dir.sin_port);
}

class BasesDDMySQL : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CrearObjeto(bd, QStringLiteral("BasesDD")));
        const prueba::ServidorBD s = prueba::servidorBD();
        bd->cRuta = s.host;
        bd->cPuerto = static_cast<std::uint16_t>(s.puerto);
        bd->cUsuario = s.usuario;
        bd->cPassword = s.clave;
        bd->cMiBase = base.nombre();
    }
    void TearDown() override {
        bd->CierraTabla(rs);
        bd->CierraBdD(cn);
    }
    void abre() { ASSERT_TRUE(bd->AbrirBdD(cn, bd->cMiBase)); }
    qlonglong idSesion() {
        RecordsetPtr r;
        bd->AbrirTabla(r, cn, QStringLiteral("DUAL"), QStringLiteral("CONNECTION_ID() AS id"));
        return r->Campo(QStringLiteral("id")).toLongLong();
    }

    prueba::BaseTemporal base{{QStringLiteral("pos-tables.sql"), QStringLiteral("wordpress-tables.sql")}};
    std::shared_ptr<kesa5::BasesDD> bd;
    ConexionPtr cn;
    RecordsetPtr rs;
};

TEST_F(BasesDDMySQL, ReadsFieldsByNameWalksRowsAndCountsThem) {
    base.ejecuta(QStringLiteral(
        "INSERT INTO productos (Clave, Descrip, Precio1, Existencia, Linea) VALUES "
        "('B2', 'Bote', 12.50, -3, 7), ('A1', 'Arco', 10, NULL, NULL), ('C3', NULL, NULL, 0.5, 3)"));
    abre();
    ASSERT_TRUE(bd->AbrirTabla(rs, cn, QStringLiteral("productos ORDER BY Clave")));
    EXPECT_EQ(rs->RecordCount(), 3);

    EXPECT_EQ(rs->Texto(QStringLiteral("clave")), QStringLiteral("A1"));
    EXPECT_EQ(rs->Texto(QStringLiteral("DESCRIP")), QStringLiteral("Arco"));
    EXPECT_EQ(rs->Campo(QStringLiteral("Precio1")).toString(), QStringLiteral("10.00"));  // exact DECIMAL text
    EXPECT_TRUE(rs->Campo(QStringLiteral("Existencia")).isNull());
    EXPECT_TRUE(rs->Campo(QStringLiteral("Linea")).isNull());
    rs->MoveNext();
    EXPECT_DOUBLE_EQ(rs->Campo(QStringLiteral("Precio1")).toDouble(), 12.5);
    EXPECT_EQ(rs->Campo(QStringLiteral("Existencia")).toString(), QStringLiteral("-3.000"));
    EXPECT_EQ(rs->Campo(QStringLiteral("Linea")).toLongLong(), 7);
    rs->MoveNext();
    EXPECT_TRUE(rs->Campo(QStringLiteral("Descrip")).isNull());
    EXPECT_EQ(rs->Texto(QStringLiteral("Descrip")), QString());
    EXPECT_FALSE(rs->EOF_());
    rs->MoveNext();
    EXPECT_TRUE(rs->EOF_());

    EXPECT_THROW(rs->Campo(QStringLiteral("Clave")), ErrorServicio);  // past the last row
    EXPECT_THROW(rs->MoveNext(), ErrorServicio);
    EXPECT_EQ(rs->RecordCount(), 3);
}

TEST_F(BasesDDMySQL, UnknownFieldAndBadStatementsRaise) {
    abre();
    base.ejecuta(QStringLiteral("INSERT INTO lineas VALUES (1, 'Uno')"));
    ASSERT_TRUE(bd->AbrirTabla(rs, cn, QStringLiteral("lineas")));
    EXPECT_THROW(rs->Campo(QStringLiteral("NoExiste")), ErrorServicio);
    try {
        bd->AbrirTabla(rs, cn, QStringLiteral("tabla_que_no_hay"));
        ADD_FAILURE() << "a missing table opened";
    } catch (const ErrorServicio& e) {
        EXPECT_EQ(e.numero(), 1146);
    }
    try {
        cn->Execute(QStringLiteral("UPDATE lineas SET WHERE"));
        ADD_FAILURE() << "a bad statement ran";
    } catch (const ErrorServicio& e) {
        EXPECT_EQ(e.numero(), 1064);
    }
    ConexionPtr vacia;
    EXPECT_THROW(bd->AbrirTabla(rs, vacia, QStringLiteral("lineas")), ErrorServicio);
}

TEST_F(BasesDDMySQL, EmptySelectionStillTakesANewRowReadableAfterSaving) {
    abre();
    EXPECT_FALSE(bd->AbrirTabla(rs, cn, QStringLiteral("wp_posts LIMIT 0")));
    EXPECT_TRUE(rs->EOF_());
    EXPECT_EQ(rs->RecordCount(), 0);

    rs->AddNew();
    rs->Asigna(QStringLiteral("post_author"), 333);
    rs->Asigna(QStringLiteral("Post_Title"), QStringLiteral("Mesa"));
    for (const char* c : {"post_content", "post_excerpt", "to_ping", "pinged", "post_content_filtered"})
        rs->Asigna(QString::fromLatin1(c), QString());
    rs->Update();

    const std::int64_t id = bd->LastId(cn, QStringLiteral("wp_posts"), QStringLiteral("ID"));
    EXPECT_GT(id, 0);
    EXPECT_EQ(rs->RecordCount(), 1);
    EXPECT_FALSE(rs->EOF_());
    EXPECT_EQ(rs->Texto(QStringLiteral("post_title")), QStringLiteral("Mesa"));
    EXPECT_EQ(rs->Campo(QStringLiteral("ID")).toLongLong(), id);
    EXPECT_EQ(base.valor(QStringLiteral("SELECT CONCAT(ID,'|',post_author,'|',post_title,'|',post_status) FROM wp_posts")),
              QStringLiteral("%1|333|Mesa|publish").arg(id));

    // A second row through a recordset that did select rows: the id moves on, the count grows.
    ASSERT_TRUE(bd->AbrirTabla(rs, cn, QStringLiteral("wp_posts WHERE ID=%1").arg(id)));
    rs->AddNew();
    rs->Asigna(QStringLiteral("post_title"), QStringLiteral("Silla"));
    for (const char* c : {"post_content", "post_excerpt", "to_ping", "pinged", "post_content_filtered"})
        rs->Asigna(QString::fromLatin1(c), QString());
    rs->Update();
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(bd->LastId(cn, QStringLiteral("wp_posts"), QStringLiteral("ID")), id + 1);
    EXPECT_EQ(base.valor(QStringLiteral("SELECT COUNT(*) FROM wp_posts")), QStringLiteral("2"));

    EXPECT_THROW(rs->Asigna(QStringLiteral("post_title"), QStringLiteral("x")), ErrorServicio);  // no AddNew
    EXPECT_THROW(rs->Update(), ErrorServicio);
}

TEST_F(BasesDDMySQL, NewRowLeavesUnassignedColumnsToTheServerAndNullsAsNull) {
    abre();
    bd->AbrirTabla(rs, cn, QStringLiteral("wp_postmeta WHERE meta_key='nada'"));
    rs->AddNew();
    rs->Asigna(QStringLiteral("post_id"), qlonglong(41));
    rs->Asigna(QStringLiteral("meta_key"), QStringLiteral("_stock"));
    rs->Update();
    rs->AddNew();
    rs->Asigna(QStringLiteral("post_id"), 41);
    rs->Asigna(QStringLiteral("meta_key"), QVariant());
    rs->Asigna(QStringLiteral("meta_value"), 2.5);
    rs->Update();
    EXPECT_EQ(base.filas(QStringLiteral("SELECT post_id, meta_key, meta_value FROM wp_postmeta ORDER BY meta_id")),
              (QStringList{QStringLiteral("41|_stock|NULL"), QStringLiteral("41|NULL|2.5")}));
}

TEST_F(BasesDDMySQL, QuotesBackslashesAndAccentsAreStoredIntact) {
    const QString raro = QStringLiteral("O'Re\\illy \"x\" ñ; DROP TABLE wp_posts; -- ");
    abre();
    bd->AbrirTabla(rs, cn, QStringLiteral("wp_postmeta LIMIT 0"));
    rs->AddNew();
    rs->Asigna(QStringLiteral("post_id"), 1);
    rs->Asigna(QStringLiteral("meta_key"), raro);
    rs->Asigna(QStringLiteral("meta_value"), raro);
    rs->Update();
    cn->Execute(QStringLiteral("UPDATE wp_postmeta SET meta_value='%1' WHERE meta_key='%2'")
                    .arg(cn->Escapa(raro + raro), cn->Escapa(raro)));
    EXPECT_EQ(base.valor(QStringLiteral("SELECT meta_key FROM wp_postmeta")), raro);
    EXPECT_EQ(base.valor(QStringLiteral("SELECT meta_value FROM wp_postmeta")), raro + raro);
    EXPECT_TRUE(bd->AbrirTabla(rs, cn, QStringLiteral("wp_postmeta WHERE meta_key='%1'").arg(cn->Escapa(raro))));
    EXPECT_EQ(base.valor(QStringLiteral("SELECT COUNT(*) FROM wp_posts")), QStringLiteral("0"));
}

TEST_F(BasesDDMySQL, Latin1TableArrivesAsUtf8AndTakesUtf8) {
    base.ejecuta(QStringLiteral("INSERT INTO productos (Clave, Descrip) VALUES ('K1', 'Café Ñandú')"));
    abre();
    ASSERT_TRUE(bd->AbrirTabla(rs, cn, QStringLiteral("productos")));
    EXPECT_EQ(rs->Texto(QStringLiteral("Descrip")), QStringLiteral("Café Ñandú"));
    rs->AddNew();
    rs->Asigna(QStringLiteral("Clave"), QStringLiteral("K2"));
    rs->Asigna(QStringLiteral("Descrip"), QStringLiteral("Pingüino"));
    rs->Update();
    EXPECT_EQ(base.valor(QStringLiteral("SELECT HEX(Descrip) FROM productos WHERE Clave='K2'")),
              QStringLiteral("50696E67FC696E6F"));  // stored as latin1 bytes
}

TEST_F(BasesDDMySQL, DisconnectedRecordsetKeepsItsRows) {
    base.ejecuta(QStringLiteral("INSERT INTO lineas VALUES (3, 'Tres'), (7, 'Siete')"));
    abre();
    ASSERT_TRUE(bd->AbrirTabla(rs, cn, QStringLiteral("lineas ORDER BY Linea"), QStringLiteral("Id, Linea")));
    rs->Desconecta();
    bd->CierraBdD(cn);
    EXPECT_EQ(cn, nullptr);
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->Campo(QStringLiteral("id")).toInt(), 7);
    rs->MoveNext();
    EXPECT_EQ(rs->Texto(QStringLiteral("linea")), QStringLiteral("Tres"));
    rs->AddNew();
    rs->Asigna(QStringLiteral("Id"), 9);
    EXPECT_THROW(rs->Update(), ErrorServicio);  // no connection to write through
}

TEST_F(BasesDDMySQL, LeeDatoReadsOneSetting) {
    base.ejecuta(QStringLiteral("INSERT INTO configura VALUES ('CarpetaImgProds', 'C:\\\\Imágenes'), ('Vacio', NULL)"));
    abre();
    EXPECT_EQ(bd->LeeDato(QStringLiteral("CarpetaImgProds"), cn, QStringLiteral("configura")),
              QStringLiteral("C:\\Imágenes"));
    EXPECT_EQ(bd->LeeDato(QStringLiteral("NoHay"), cn, QStringLiteral("configura")), QString());
    EXPECT_EQ(bd->LeeDato(QStringLiteral("Vacio"), cn, QStringLiteral("configura")), QString());
    EXPECT_EQ(bd->LeeDato(QStringLiteral("x' OR '1'='1"), cn, QStringLiteral("configura")), QString());
}

TEST_F(BasesDDMySQL, OpeningFailsCleanlyWhenRefusedOrUnreachable) {
    bd->cPassword = QStringLiteral("no-es-la-clave");
    EXPECT_FALSE(bd->AbrirBdD(cn, bd->cMiBase));
    EXPECT_EQ(cn, nullptr);

    bd->cPassword = prueba::servidorBD().clave;
    EXPECT_FALSE(bd->AbrirBdD(cn, QStringLiteral("base_que_no_existe")));

    bd->cPuerto = puertoSinServidor();
    EXPECT_FALSE(bd->AbrirBdD(cn, bd->cMiBase));
    EXPECT_EQ(cn, nullptr);

    // Closing what never opened is fine.
    bd->CierraTabla(rs);
    bd->CierraBdD(cn);
}

TEST_F(BasesDDMySQL, LocalhostMeansTcpOnTheConfiguredPort) {
    bd->cRuta = QStringLiteral("localhost");
    abre();
    RecordsetPtr r;
    ASSERT_TRUE(bd->AbrirTabla(r, cn, QStringLiteral("DUAL"), QStringLiteral("@@port AS p")));
    EXPECT_EQ(r->Campo(QStringLiteral("p")).toInt(), prueba::servidorBD().puerto);
}

TEST_F(BasesDDMySQL, LiveConnectionIsKeptAndALostOneRedialled) {
    abre();
    Conexion* primera = cn.get();
    const qlonglong id = idSesion();
    EXPECT_TRUE(bd->AbrirBdD(cn, bd->cMiBase));
    EXPECT_EQ(cn.get(), primera);
    EXPECT_EQ(idSesion(), id);

    base.ejecuta(QStringLiteral("KILL %1").arg(id));
    EXPECT_TRUE(bd->AbrirBdD(cn, bd->cMiBase));
    const qlonglong nuevo = idSesion();
    EXPECT_NE(nuevo, id);

    // Other settings are another connection, even while the first one lives.
    prueba::BaseTemporal otra;
    EXPECT_TRUE(bd->AbrirBdD(cn, otra.nombre()));
    EXPECT_EQ(cn->Base(), otra.nombre());
    EXPECT_NE(idSesion(), nuevo);
}

TEST_F(BasesDDMySQL, SessionDropsTheModesWordPressDrops) {
    abre();
    ASSERT_TRUE(bd->AbrirTabla(rs, cn, QStringLiteral("DUAL"), QStringLiteral("@@SESSION.sql_mode AS m, @@GLOBAL.sql_mode AS g")));
    const QStringList sesion = rs->Texto(QStringLiteral("m")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    const QStringList global = rs->Texto(QStringLiteral("g")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    ASSERT_TRUE(global.contains(QStringLiteral("STRICT_TRANS_TABLES")));  // the server's default is strict
    const QStringList quitados{QStringLiteral("NO_ZERO_DATE"),      QStringLiteral("ONLY_FULL_GROUP_BY"),
                               QStringLiteral("STRICT_TRANS_TABLES"), QStringLiteral("STRICT_ALL_TABLES"),
                               QStringLiteral("TRADITIONAL"),       QStringLiteral("ANSI")};
    for (const QString& modo : global) EXPECT_EQ(sesion.contains(modo), !quitados.contains(modo)) << modo.toStdString();
    // Non-strict: a too-long value is cut instead of refused, as WordPress expects.
    cn->Execute(QStringLiteral("INSERT INTO lineas VALUES (1, REPEAT('x', 70))"));
    EXPECT_EQ(base.valor(QStringLiteral("SELECT LENGTH(Linea) FROM lineas")), QStringLiteral("60"));
}

TEST_F(BasesDDMySQL, TransactionTakesEffectWholeOrNotAtAll) {
    abre();
    cn->BeginTrans();
    cn->Execute(QStringLiteral("INSERT INTO wp_postmeta (post_id, meta_key) VALUES (1, 'a')"));
    cn->RollbackTrans();
    cn->BeginTrans();
    cn->Execute(QStringLiteral("INSERT INTO wp_postmeta (post_id, meta_key) VALUES (2, 'b')"));
    cn->CommitTrans();
    EXPECT_EQ(base.filas(QStringLiteral("SELECT post_id FROM wp_postmeta")), QStringList{QStringLiteral("2")});

    // A connection lost in the middle leaves nothing behind.
    cn->BeginTrans();
    cn->Execute(QStringLiteral("INSERT INTO wp_postmeta (post_id, meta_key) VALUES (3, 'c')"));
    base.ejecuta(QStringLiteral("KILL %1").arg(idSesion()));
    EXPECT_THROW(cn->CommitTrans(), ErrorServicio);
    EXPECT_EQ(base.filas(QStringLiteral("SELECT post_id FROM wp_postmeta")), QStringList{QStringLiteral("2")});
}

TEST_F(BasesDDMySQL, NumbersDatesAndBinaryKeepTheirValue) {
    abre();
    cn->Execute(QStringLiteral("CREATE TABLE tipos (u BIGINT UNSIGNED, d DOUBLE, f DATETIME, b VARBINARY(4), t TEXT)"));
    cn->Execute(QStringLiteral("INSERT INTO tipos VALUES (18446744073709551615, -0.25, '0000-00-00 00:00:00', "
                               "0x00FF, 'texto')"));
    ASSERT_TRUE(bd->AbrirTabla(rs, cn, QStringLiteral("tipos")));
    EXPECT_EQ(rs->Campo(QStringLiteral("u")).toULongLong(), 18446744073709551615ull);
    EXPECT_DOUBLE_EQ(rs->Campo(QStringLiteral("d")).toDouble(), -0.25);
    EXPECT_EQ(rs->Texto(QStringLiteral("f")), QStringLiteral("0000-00-00 00:00:00"));
    EXPECT_EQ(rs->Campo(QStringLiteral("b")).toByteArray(), QByteArray("\x00\xff", 2));
    EXPECT_EQ(rs->Texto(QStringLiteral("t")), QStringLiteral("texto"));
}

}  // namespace
