// The database object over a real MariaDB: connections, recordsets, settings reads.
#include "servicelib/BasesDD.h"
#include "servicelib/CrearObjeto.h"
#include "servicelib/ErrorServicio.h"
#include "support/ServidoresPrueba.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The number of the service error that `f` raises, or 0 when it raises none.
template <typename F>
int errorDe(F f) {
    try {
        f();
    } catch (const ErrorServicio& e) {
        return e.numero();
    }
    return 0;
}

class BasesDDMySQL : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CrearObjeto(bd, u"BasesDD"_s));
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
        bd->AbrirTabla(r, cn, u"DUAL"_s, u"CONNECTION_ID() AS id"_s);
        return r->Campo(u"id"_s).toLongLong();
    }

    prueba::BaseTemporal base{{u"pos-tables.sql"_s, u"wordpress-tables.sql"_s}};
    std::shared_ptr<kesa5::BasesDD> bd;
    ConexionPtr cn;
    RecordsetPtr rs;
};

TEST_F(BasesDDMySQL, ReadsFieldsByNameWalksRowsAndCountsThem) {
    base.ejecuta(u"INSERT INTO productos (Clave, Descrip, Precio1, Existencia, Linea) VALUES "
                 "('B2', 'Bote', 12.50, -3, 7), ('A1', 'Arco', 10, NULL, NULL), ('C3', NULL, NULL, 0.5, 3)"_s);
    abre();
    ASSERT_TRUE(bd->AbrirTabla(rs, cn, u"productos ORDER BY Clave"_s));
    EXPECT_EQ(rs->RecordCount(), 3);

    EXPECT_EQ(rs->Texto(u"clave"_s), u"A1"_s);
    EXPECT_EQ(rs->Texto(u"DESCRIP"_s), u"Arco"_s);
    EXPECT_EQ(rs->Campo(u"Precio1"_s).toString(), u"10.00"_s);  // exact DECIMAL text
    EXPECT_TRUE(rs->Campo(u"Existencia"_s).isNull());
    EXPECT_TRUE(rs->Campo(u"Linea"_s).isNull());
    rs->MoveNext();
    EXPECT_DOUBLE_EQ(rs->Campo(u"Precio1"_s).toDouble(), 12.5);
    EXPECT_EQ(rs->Campo(u"Existencia"_s).toString(), u"-3.000"_s);
    EXPECT_EQ(rs->Campo(u"Linea"_s).toLongLong(), 7);
    rs->MoveNext();
    EXPECT_TRUE(rs->Campo(u"Descrip"_s).isNull());
    EXPECT_EQ(rs->Texto(u"Descrip"_s), QString());
    EXPECT_FALSE(rs->EOF_());
    rs->MoveNext();
    EXPECT_TRUE(rs->EOF_());

    EXPECT_THROW(rs->Campo(u"Clave"_s), ErrorServicio);  // past the last row
    EXPECT_THROW(rs->MoveNext(), ErrorServicio);
    EXPECT_EQ(rs->RecordCount(), 3);
}

TEST_F(BasesDDMySQL, UnknownFieldAndBadStatementsRaise) {
    abre();
    base.ejecuta(u"INSERT INTO lineas VALUES (1, 'Uno')"_s);
    ASSERT_TRUE(bd->AbrirTabla(rs, cn, u"lineas"_s));
    EXPECT_THROW(rs->Campo(u"NoExiste"_s), ErrorServicio);
    EXPECT_EQ(errorDe([&] { bd->AbrirTabla(rs, cn, u"tabla_que_no_hay"_s); }), 1146);
    EXPECT_EQ(errorDe([&] { cn->Execute(u"UPDATE lineas SET WHERE"_s); }), 1064);
    ConexionPtr vacia;
    EXPECT_THROW(bd->AbrirTabla(rs, vacia, u"lineas"_s), ErrorServicio);
}

TEST_F(BasesDDMySQL, EmptySelectionStillTakesANewRowReadableAfterSaving) {
    abre();
    EXPECT_FALSE(bd->AbrirTabla(rs, cn, u"wp_posts LIMIT 0"_s));
    EXPECT_TRUE(rs->EOF_());
    EXPECT_EQ(rs->RecordCount(), 0);

    // A post with the text columns that have no default; field names in any case.
    const auto nuevoPost = [this](const QString& titulo) {
        rs->AddNew();
        rs->Asigna(u"Post_Title"_s, titulo);
        for (const char* c : {"post_content", "post_excerpt", "to_ping", "pinged", "post_content_filtered"})
            rs->Asigna(QString::fromLatin1(c), QString());
    };
    nuevoPost(u"Mesa"_s);
    rs->Asigna(u"post_author"_s, 333);
    rs->Update();

    const std::int64_t id = bd->LastId(cn, u"wp_posts"_s, u"ID"_s);
    EXPECT_GT(id, 0);
    EXPECT_EQ(rs->RecordCount(), 1);
    EXPECT_FALSE(rs->EOF_());
    EXPECT_EQ(rs->Texto(u"post_title"_s), u"Mesa"_s);
    EXPECT_EQ(rs->Campo(u"ID"_s).toLongLong(), id);
    EXPECT_EQ(base.valor(u"SELECT CONCAT(ID,'|',post_author,'|',post_title,'|',post_status) FROM wp_posts"_s),
              u"%1|333|Mesa|publish"_s.arg(id));

    // A second row through a recordset that did select rows: the id moves on, the count grows.
    ASSERT_TRUE(bd->AbrirTabla(rs, cn, u"wp_posts WHERE ID=%1"_s.arg(id)));
    nuevoPost(u"Silla"_s);
    rs->Update();
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(bd->LastId(cn, u"wp_posts"_s, u"ID"_s), id + 1);
    EXPECT_EQ(base.valor(u"SELECT COUNT(*) FROM wp_posts"_s), u"2"_s);

    EXPECT_THROW(rs->Asigna(u"post_title"_s, u"x"_s), ErrorServicio);  // no AddNew
    EXPECT_THROW(rs->Update(), ErrorServicio);
}

TEST_F(BasesDDMySQL, NewRowLeavesUnassignedColumnsToTheServerAndNullsAsNull) {
    abre();
    bd->AbrirTabla(rs, cn, u"wp_postmeta WHERE meta_key='nada'"_s);
    rs->AddNew();
    rs->Asigna(u"post_id"_s, qlonglong(41));
    rs->Asigna(u"meta_key"_s, u"_stock"_s);
    rs->Update();
    rs->AddNew();
    rs->Asigna(u"post_id"_s, 41);
    rs->Asigna(u"meta_key"_s, QVariant());
    rs->Asigna(u"meta_value"_s, 2.5);
    rs->Update();
    EXPECT_EQ(base.filas(u"SELECT post_id, meta_key, meta_value FROM wp_postmeta ORDER BY meta_id"_s),
              (QStringList{u"41|_stock|NULL"_s, u"41|NULL|2.5"_s}));
}

TEST_F(BasesDDMySQL, QuotesBackslashesAndAccentsAreStoredIntact) {
    const QString raro = u"O'Re\\illy \"x\" ñ; DROP TABLE wp_posts; -- "_s;
    abre();
    bd->AbrirTabla(rs, cn, u"wp_postmeta LIMIT 0"_s);
    rs->AddNew();
    rs->Asigna(u"post_id"_s, 1);
    rs->Asigna(u"meta_key"_s, raro);
    rs->Asigna(u"meta_value"_s, raro);
    rs->Update();
    cn->Execute(u"UPDATE wp_postmeta SET meta_value='%1' WHERE meta_key='%2'"_s.arg(cn->Escapa(raro + raro), cn->Escapa(raro)));
    EXPECT_EQ(base.valor(u"SELECT meta_key FROM wp_postmeta"_s), raro);
    EXPECT_EQ(base.valor(u"SELECT meta_value FROM wp_postmeta"_s), raro + raro);
    EXPECT_TRUE(bd->AbrirTabla(rs, cn, u"wp_postmeta WHERE meta_key='%1'"_s.arg(cn->Escapa(raro))));
    EXPECT_EQ(base.valor(u"SELECT COUNT(*) FROM wp_posts"_s), u"0"_s);
}

TEST_F(BasesDDMySQL, Latin1TableArrivesAsUtf8AndTakesUtf8) {
    base.ejecuta(u"INSERT INTO productos (Clave, Descrip) VALUES ('K1', 'Café Ñandú')"_s);
    abre();
    ASSERT_TRUE(bd->AbrirTabla(rs, cn, u"productos"_s));
    EXPECT_EQ(rs->Texto(u"Descrip"_s), u"Café Ñandú"_s);
    rs->AddNew();
    rs->Asigna(u"Clave"_s, u"K2"_s);
    rs->Asigna(u"Descrip"_s, u"Pingüino"_s);
    rs->Update();
    // Stored as latin1 bytes.
    EXPECT_EQ(base.valor(u"SELECT HEX(Descrip) FROM productos WHERE Clave='K2'"_s), u"50696E67FC696E6F"_s);
}

TEST_F(BasesDDMySQL, DisconnectedRecordsetKeepsItsRows) {
    base.ejecuta(u"INSERT INTO lineas VALUES (3, 'Tres'), (7, 'Siete')"_s);
    abre();
    ASSERT_TRUE(bd->AbrirTabla(rs, cn, u"lineas ORDER BY Linea"_s, u"Id, Linea"_s));
    rs->Desconecta();
    bd->CierraBdD(cn);
    EXPECT_EQ(cn, nullptr);
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->Campo(u"id"_s).toInt(), 7);
    rs->MoveNext();
    EXPECT_EQ(rs->Texto(u"linea"_s), u"Tres"_s);
    rs->AddNew();
    rs->Asigna(u"Id"_s, 9);
    EXPECT_THROW(rs->Update(), ErrorServicio);  // no connection to write through
}

TEST_F(BasesDDMySQL, LeeDatoReadsOneSetting) {
    base.ejecuta(u"INSERT INTO configura VALUES ('CarpetaImgProds', 'C:\\\\Imágenes'), ('Vacio', NULL)"_s);
    abre();
    EXPECT_EQ(bd->LeeDato(u"CarpetaImgProds"_s, cn, u"configura"_s), u"C:\\Imágenes"_s);
    EXPECT_EQ(bd->LeeDato(u"NoHay"_s, cn, u"configura"_s), QString());
    EXPECT_EQ(bd->LeeDato(u"Vacio"_s, cn, u"configura"_s), QString());
    EXPECT_EQ(bd->LeeDato(u"x' OR '1'='1"_s, cn, u"configura"_s), QString());
}

TEST_F(BasesDDMySQL, OpeningFailsCleanlyWhenRefusedOrUnreachable) {
    bd->cPassword = u"no-es-la-clave"_s;
    EXPECT_FALSE(bd->AbrirBdD(cn, bd->cMiBase));
    EXPECT_EQ(cn, nullptr);

    bd->cPassword = prueba::servidorBD().clave;
    EXPECT_FALSE(bd->AbrirBdD(cn, u"base_que_no_existe"_s));

    bd->cPuerto = 1;  // nothing listens there on this machine
    EXPECT_FALSE(bd->AbrirBdD(cn, bd->cMiBase));
    EXPECT_EQ(cn, nullptr);

    // Closing what never opened is fine.
    bd->CierraTabla(rs);
    bd->CierraBdD(cn);
}

TEST_F(BasesDDMySQL, LocalhostMeansTcpOnTheConfiguredPort) {
    bd->cRuta = u"localhost"_s;
    abre();
    ASSERT_TRUE(bd->AbrirTabla(rs, cn, u"DUAL"_s, u"@@port AS p"_s));
    EXPECT_EQ(rs->Campo(u"p"_s).toInt(), prueba::servidorBD().puerto);
}

TEST_F(BasesDDMySQL, LiveConnectionIsKeptAndALostOneRedialled) {
    abre();
    Conexion* primera = cn.get();
    const qlonglong id = idSesion();
    EXPECT_TRUE(bd->AbrirBdD(cn, bd->cMiBase));
    EXPECT_EQ(cn.get(), primera);
    EXPECT_EQ(idSesion(), id);

    base.ejecuta(u"KILL %1"_s.arg(id));
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
    ASSERT_TRUE(bd->AbrirTabla(rs, cn, u"DUAL"_s, u"@@SESSION.sql_mode AS m, @@GLOBAL.sql_mode AS g"_s));
    const QStringList sesion = rs->Texto(u"m"_s).split(u',', Qt::SkipEmptyParts);
    const QStringList global = rs->Texto(u"g"_s).split(u',', Qt::SkipEmptyParts);
    ASSERT_TRUE(global.contains(u"STRICT_TRANS_TABLES"_s));  // the server's default is strict
    const QStringList quitados{u"NO_ZERO_DATE"_s,      u"ONLY_FULL_GROUP_BY"_s, u"STRICT_TRANS_TABLES"_s,
                               u"STRICT_ALL_TABLES"_s, u"TRADITIONAL"_s,        u"ANSI"_s};
    for (const QString& modo : global) EXPECT_EQ(sesion.contains(modo), !quitados.contains(modo)) << modo.toStdString();
    // Non-strict: a too-long value is cut instead of refused, as WordPress expects.
    cn->Execute(u"INSERT INTO lineas VALUES (1, REPEAT('x', 70))"_s);
    EXPECT_EQ(base.valor(u"SELECT LENGTH(Linea) FROM lineas"_s), u"60"_s);
}

TEST_F(BasesDDMySQL, TransactionTakesEffectWholeOrNotAtAll) {
    abre();
    cn->BeginTrans();
    cn->Execute(u"INSERT INTO wp_postmeta (post_id, meta_key) VALUES (1, 'a')"_s);
    cn->RollbackTrans();
    cn->BeginTrans();
    cn->Execute(u"INSERT INTO wp_postmeta (post_id, meta_key) VALUES (2, 'b')"_s);
    cn->CommitTrans();
    EXPECT_EQ(base.filas(u"SELECT post_id FROM wp_postmeta"_s), QStringList{u"2"_s});

    // A connection lost in the middle leaves nothing behind.
    cn->BeginTrans();
    cn->Execute(u"INSERT INTO wp_postmeta (post_id, meta_key) VALUES (3, 'c')"_s);
    base.ejecuta(u"KILL %1"_s.arg(idSesion()));
    EXPECT_THROW(cn->CommitTrans(), ErrorServicio);
    EXPECT_EQ(base.filas(u"SELECT post_id FROM wp_postmeta"_s), QStringList{u"2"_s});
}

TEST_F(BasesDDMySQL, NumbersDatesAndBinaryKeepTheirValue) {
    abre();
    cn->Execute(u"CREATE TABLE tipos (u BIGINT UNSIGNED, d DOUBLE, f DATETIME, b VARBINARY(4), t TEXT)"_s);
    cn->Execute(u"INSERT INTO tipos VALUES (18446744073709551615, -0.25, '0000-00-00 00:00:00', 0x00FF, 'texto')"_s);
    ASSERT_TRUE(bd->AbrirTabla(rs, cn, u"tipos"_s));
    EXPECT_EQ(rs->Campo(u"u"_s).toULongLong(), 18446744073709551615ull);
    EXPECT_DOUBLE_EQ(rs->Campo(u"d"_s).toDouble(), -0.25);
    EXPECT_EQ(rs->Texto(u"f"_s), u"0000-00-00 00:00:00"_s);
    EXPECT_EQ(rs->Campo(u"b"_s).toByteArray(), QByteArray("\x00\xff", 2));
    EXPECT_EQ(rs->Texto(u"t"_s), u"texto"_s);
}

}  // namespace
