// The pure rules of the send run: numbers as the shop stores them, post names, dates, the
// product query.
#include "servicelib/Compartidos.h"
#include "servicelib/CrearObjeto.h"
#include "sync/ConsultaProductos.h"
#include "sync/EscrituraLote.h"
#include "sync/LecturaTienda.h"
#include "sync/MotivoDeFin.h"
#include "sync/PlanEnvio.h"
#include "sync/Reloj.h"
#include "sync/SlugWordPress.h"
#include "sync/TextoDecimal.h"
#include "VentanaPrueba.h"

#include <QTimeZone>
#include <cmath>
#include <initializer_list>
#include <gtest/gtest.h>
#include <limits>

namespace {

QString decimal(const QVariant& v) { return TextoDecimal(v).value_or(u"<nada>"_s); }

TEST(TextoDecimal, PlainDecimalTextWithoutTrailingZeros) {
    // A wide DECIMAL keeps every digit (a double would round the last ones).
    for (const auto& [texto, esperado] :
         {std::pair{"12.50", "12.5"}, {"10.00", "10"}, {"-3.000", "-3"}, {"0.000", "0"}, {"-0.000", "0"}, {"-0.50", "-0.5"},
          {"007.10", "7.1"}, {".5", "0.5"}, {" 1500 ", "1500"}, {"12345678901234567.89", "12345678901234567.89"},
          {"1.5e3", "1500"}, {"", "<nada>"}, {"abc", "<nada>"}, {"-", "<nada>"}})
        EXPECT_EQ(decimal(QString::fromLatin1(texto)), QString::fromLatin1(esperado)) << texto;
}

TEST(TextoDecimal, TextAsPeopleTypeItIsReadAndWhatCannotBeReadIsSaid) {
    for (const auto& [texto, esperado] :
         {std::pair{"12,50", "12.5"}, {"1.234,56", "1234.56"}, {"1,234.56", "1234.56"}, {"1.234.567", "1234567"},
          {"1,234,567", "1234567"}, {"$ 7.00", "7"}, {"7,5 €", "7.5"}, {"MXN 10", "10"}, {"-1.234,5", "-1234.5"},
          {"1,5", "1.5"}, {"0,125", "0.125"}, {"12.50", "12.5"}, {"1.5e3", "1500"},
          // Not read: ambiguous or malformed, never taken as 0.
          {"1,234", "?"}, {"1.23.4", "?"}, {"12,3,4", "?"}, {"1.234,5,6", "?"}, {"doce", "?"}, {"", "?"}, {"-", "?"}}) {
        const LecturaDecimal l = LeeDecimal(QString::fromUtf8(texto));
        EXPECT_EQ(l.ilegible ? u"?"_s : l.texto.value_or(u"<nada>"_s), QString::fromUtf8(esperado)) << texto;
    }
    EXPECT_FALSE(LeeDecimal(QVariant()).ilegible);  // NULL is no value, not a bad one
    EXPECT_EQ(LeeDecimal(12.5).texto, u"12.5"_s);
}

TEST(TextoDecimal, NumbersOfOtherKinds) {
    EXPECT_EQ(decimal(12.5), u"12.5"_s);
    EXPECT_EQ(decimal(0.1), u"0.1"_s);
    EXPECT_EQ(decimal(-3.0), u"-3"_s);
    EXPECT_EQ(decimal(-0.0), u"0"_s);
    EXPECT_EQ(decimal(1e20), u"100000000000000000000"_s);
    EXPECT_EQ(decimal(qlonglong(-7)), u"-7"_s);
    EXPECT_EQ(decimal(QVariant()), u"<nada>"_s);
    EXPECT_EQ(decimal(QString()), u"<nada>"_s);
    EXPECT_EQ(decimal(std::numeric_limits<double>::quiet_NaN()), u"<nada>"_s);
    EXPECT_EQ(decimal(std::numeric_limits<double>::infinity()), u"<nada>"_s);
}

TEST(TextoDecimal, AboveZero) {
    for (const char* mayor : {"0.5", "3", "0.0000000000000000000001"}) EXPECT_TRUE(MayorQueCero(QLatin1String(mayor))) << mayor;
    for (const char* otro : {"0", "-3", "-0.5"}) EXPECT_FALSE(MayorQueCero(QLatin1String(otro))) << otro;
}

TEST(SlugWordPress, TitleToPostName) {
    for (const auto& [titulo, slug] :
         {std::pair{"Mesa de Pino", "mesa-de-pino"}, {"Café Ñandú 500 g.", "cafe-nandu-500-g"},
          {"Straße Æon Œuvre Øre Łódź", "strasse-aeon-oeuvre-ore-lodz"}, {"  A  --  B  ", "a-b"},
          {"Aceite 1/2 l – 3×4", "aceite-1-2-l-3x4"}, {"O'Brien \"Extra\" 100% ¡Nuevo!", "obrien-extra-100-nuevo"},
          {"<b>Negrita</b> &amp; fina", "negrita-fina"}, {"snake_case\tTab", "snake_casetab"}, {"¡¿?!", ""}, {"漢字", ""}})
        EXPECT_EQ(SlugWordPress::sanitiza(QString::fromUtf8(titulo)), QString::fromUtf8(slug)) << titulo;
    EXPECT_EQ(SlugWordPress::sanitiza(QString(300, u'a')).size(), 200);
}

TEST(SlugWordPress, FirstFreeSuffix) {
    using SlugWordPress::unico;
    EXPECT_EQ(unico(u"mesa"_s, {}), u"mesa"_s);
    EXPECT_EQ(unico(u"mesa"_s, {u"mesa"_s}), u"mesa-2"_s);
    EXPECT_EQ(unico(u"mesa"_s, {u"mesa"_s, u"mesa-2"_s, u"mesa-4"_s}), u"mesa-3"_s);
    EXPECT_EQ(unico(u"mesa"_s, {u"mesa-2"_s}), u"mesa"_s);
    EXPECT_EQ(unico(u"feed"_s, {}), u"feed-2"_s);
    EXPECT_EQ(unico(u"embed"_s, {}), u"embed-2"_s);
    const QString largo = QString(199, u'b') + u'c';
    EXPECT_EQ(unico(largo, {largo}), QString(198, u'b') + u"-2"_s);
}

class RelojFijo : public ::testing::Test {
protected:
    // The first of a zone's names this Qt knows: Qt 6.4 on Windows maps zones to the system's
    // through CLDR's table, which gives some only by their older name (Asia/Calcutta).
    static QTimeZone zona(std::initializer_list<const char*> nombres) {
        for (const char* n : nombres)
            if (QTimeZone::isTimeZoneIdAvailable(n)) return QTimeZone(n);
        return {};
    }
    void fija(const QDateTime& t) { Reloj::fijar([t] { return t; }); }
    void TearDown() override { Reloj::fijar({}); }
    const QString formato = u"yyyy-mm-dd hh:nn:ss"_s;
};

TEST_F(RelojFijo, ClassicFormatLocallyAndTheSameInstantInUtcFromTheClocksOwnZone) {
    struct Caso {
        QDateTime lectura;
        QString local, utc;
    };
    const Caso casos[] = {
        {QDateTime(QDate(2026, 1, 8), QTime(7, 5, 9), QTimeZone("America/Mexico_City")), u"2026-01-08 07:05:09"_s,
         u"2026-01-08 13:05:09"_s},
        {QDateTime(QDate(2026, 12, 31), QTime(20, 0, 0), QTimeZone(-6 * 3600)),
         u"2026-12-31 20:00:00"_s, u"2027-01-01 02:00:00"_s},
        {QDateTime(QDate(2026, 1, 8), QTime(3, 0, 0), zona({"Asia/Kolkata", "Asia/Calcutta"})), u"2026-01-08 03:00:00"_s,
         u"2026-01-07 21:30:00"_s},
        // Madrid in winter (UTC+1), in summer (UTC+2), and just before it springs forward.
        {QDateTime(QDate(2026, 1, 8), QTime(12, 0, 0), QTimeZone("Europe/Madrid")), u"2026-01-08 12:00:00"_s,
         u"2026-01-08 11:00:00"_s},
        {QDateTime(QDate(2026, 7, 8), QTime(12, 0, 0), QTimeZone("Europe/Madrid")), u"2026-07-08 12:00:00"_s,
         u"2026-07-08 10:00:00"_s},
        {QDateTime(QDate(2026, 3, 29), QTime(1, 30, 0), QTimeZone("Europe/Madrid")), u"2026-03-29 01:30:00"_s,
         u"2026-03-29 00:30:00"_s},
        {QDateTime(QDate(2026, 3, 29), QTime(1, 30, 0), QTimeZone::utc()), u"2026-03-29 01:30:00"_s,
         u"2026-03-29 01:30:00"_s},
    };
    for (const Caso& c : casos) {
        ASSERT_TRUE(c.lectura.isValid()) << c.local.toStdString();
        fija(c.lectura);
        EXPECT_EQ(Reloj::texto(formato), c.local);
        EXPECT_EQ(Reloj::fecha(formato).local, c.local);
        EXPECT_EQ(Reloj::fecha(formato).utc, c.utc) << c.lectura.timeZone().id().toStdString();
    }
}

TEST_F(RelojFijo, SystemClockWhenNoneIsSet) {
    Reloj::fijar({});
    const QDateTime antes = QDateTime::currentDateTime().addSecs(-1);
    EXPECT_GE(Reloj::ahora(), antes);
}

class Consulta : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CrearObjeto(G().libTORVA, u"libTORVA"_s)); }
    void TearDown() override { G().libTORVA.reset(); }
    VentanaPrueba ventana;
    const QString inicio = u"productos WHERE Clave NOT LIKE 'XFDD%' AND Clave NOT LIKE 'XFCT%'"_s;
};

TEST_F(Consulta, LinesThreeAndSevenMarked) {
    ventana.agregaLineaMarcada(3, u"Abarrotes"_s, true);
    ventana.agregaLineaMarcada(5, u"Bebidas"_s, false);
    ventana.agregaLineaMarcada(7, u"Cremería"_s, true);
    EXPECT_EQ(ConsultaProductos(ventana, 2), inicio + u" AND (Linea=3 OR Linea=7) ORDER BY Clave"_s);
}

TEST_F(Consulta, OneLineHasNoOr) {
    ventana.agregaLineaMarcada(1234567890, u"Larga"_s, false);
    ventana.agregaLineaMarcada(12, u"Doce"_s, true);
    EXPECT_EQ(ConsultaProductos(ventana, 1), inicio + u" AND (Linea=12) ORDER BY Clave"_s);
}

TEST_F(Consulta, NoCountMeansEveryLine) {
    ventana.agregaLineaMarcada(3, u"Abarrotes"_s, true);
    EXPECT_EQ(ConsultaProductos(ventana, 0), inicio + u" ORDER BY Clave"_s);
    EXPECT_EQ(ConsultaProductos(ventana, -1), inicio + u" ORDER BY Clave"_s);
}

TEST_F(Consulta, CountThatDisagreesWithTheListStillMakesAStatement) {
    ventana.agregaLineaMarcada(3, u"Abarrotes"_s, true);
    ventana.agregaLineaMarcada(7, u"Cremería"_s, true);
    EXPECT_EQ(FiltroLineas(ventana, 5), u" AND (Linea=3 OR Linea=7)"_s);
    EXPECT_EQ(FiltroLineas(ventana, 1), u" AND (Linea=3 OR Linea=7)"_s);
    ventana.lineas[0].marcada = ventana.lineas[1].marcada = false;
    EXPECT_EQ(FiltroLineas(ventana, 2), QString());
}

}  // namespace

namespace plan {

ProductoEnvio existente(const char* clave, std::int64_t post, const char* precio, const char* stock) {
    ProductoEnvio p;
    p.clave = clave;
    p.descrip = "Mesa";
    p.precio = precio;
    p.existencia = stock;
    p.postId = post;
    const char* enTienda[] = {precio, stock, MayorQueCero(QLatin1String(stock)) ? "instock" : "outofstock", precio};
    for (size_t i = 0; i < 4; ++i) p.tienda[i] = {post * 10 + std::int64_t(i) + 1, enTienda[i]};
    return p;
}

TEST(PlanEnvio, WritesOnlyWhatDiffersAndCutsChunksByProductsAndRows) {
    std::vector<ProductoEnvio> p;
    p.push_back(existente("A", 1, "5", "2"));  // the shop holds it all: only touched
    p.push_back(existente("B", 2, "5", "2"));
    p.back().precio = "6";                      // price changed: both price keys
    p.back().tienda[1] = {};                    // stock row gone: added back
    ProductoEnvio nuevo;
    nuevo.clave = "C";
    nuevo.descrip = "Mesa";
    nuevo.existencia = "0";  // no price: no price keys
    p.push_back(nuevo);
    p.push_back(nuevo);
    p.back().clave = "D";

    PlanEnvio todo(p, {u"mesa"_s}, LimitesLote{});
    const LotePlan l = todo.Siguiente(0);
    EXPECT_EQ(l.hasta, 4);
    ASSERT_EQ(l.cambios.size(), 2u);
    EXPECT_EQ(l.cambios[0].metaId, 21);
    EXPECT_EQ(l.cambios[0].antes + "->" + l.cambios[0].despues, "5->6");
    EXPECT_EQ(l.cambios[1].cual, Valor::Precio);
    EXPECT_EQ(l.faltantes, 1);
    ASSERT_EQ(l.nuevos.size(), 2u);
    EXPECT_EQ(l.nuevos[0].nombre, u"mesa-2"_s);  // taken names, also within the chunk
    EXPECT_EQ(l.nuevos[1].nombre, u"mesa-3"_s);
    QStringList filas;
    for (const LotePlan::Fila& f : l.filas)
        if (f.producto != 3) filas << u"%1:%2=%3"_s.arg(f.producto).arg(QLatin1String(f.clave), QString::fromStdString(f.valor));
    EXPECT_EQ(filas.first(), u"1:_stock=2"_s);
    EXPECT_EQ(filas.at(1), u"2:_sku=C"_s);
    EXPECT_EQ(filas.mid(filas.size() - 2), (QStringList{u"2:_stock=0"_s, u"2:_stock_status=outofstock"_s}));
    EXPECT_EQ(filas.size(), 1 + 1 + 25 + 2);

    // Bounds: products per chunk; rows per chunk (a new product alone may pass it).
    for (const auto& [limites, cortes] : {std::pair{LimitesLote{2, 6000, 1000}, std::vector<int>{2, 4}},
                                          std::pair{LimitesLote{1000, 28, 1000}, std::vector<int>{2, 3, 4}},
                                          std::pair{LimitesLote{1000, 2, 1000}, std::vector<int>{1, 2, 3, 4}}}) {
        PlanEnvio cortado(p, {}, limites);
        std::vector<int> vistos;
        for (int desde = 0; desde < 4;) vistos.push_back(desde = cortado.Siguiente(desde).hasta);
        EXPECT_EQ(vistos, cortes) << limites.productos << " products, " << limites.filas << " rows";
    }
}

TEST(PlanEnvio, StatementsAreCutByBytesAndNamesThatCanCollideAreKept) {
    for (const auto& [largos, fijo, partes] :
         {std::tuple{std::vector<int>{4, 4, 4}, 2, std::vector<std::pair<int, int>>{{0, 2}, {2, 3}}},
          std::tuple{std::vector<int>{20, 1}, 2, std::vector<std::pair<int, int>>{{0, 1}, {1, 2}}},
          std::tuple{std::vector<int>{1, 1, 1}, 0, std::vector<std::pair<int, int>>{{0, 3}}},
          std::tuple{std::vector<int>{}, 0, std::vector<std::pair<int, int>>{}}})
        EXPECT_EQ(PartesPorBytes(largos, fijo, 10), partes);

    const QString larga = QString(195, u'a');
    const QSet<QString> r = LecturaTienda::Relevantes(
        {u"mesa"_s, larga}, {u"mesa"_s, u"mesa-7"_s, u"mesa-x"_s, u"mesas"_s, u"mesa-de-pino"_s, u"silla-2"_s,
                             larga.left(190) + u"-12"_s, larga.left(150) + u"-2"_s});
    EXPECT_EQ(r, (QSet<QString>{u"mesa"_s, u"mesa-7"_s, larga.left(190) + u"-12"_s}));
}

}  // namespace plan

TEST(MotivoDeFin, SaysHowFarASendGotWhenItStoppedPartWay) {
    ResultadoEnvio r;
    r.total = 10;
    for (const auto& [fin, enviados, dice] :
         {std::tuple{ResultadoEnvio::Fin::OtroEnvio, 4, "se enviaron 4 de 10 productos, el resto se enviará en el próximo envío"},
          std::tuple{ResultadoEnvio::Fin::ConexionPerdida, 7, "se enviaron 7 de 10 productos"},
          std::tuple{ResultadoEnvio::Fin::OtroEnvio, 0, "este no se hizo"},
          std::tuple{ResultadoEnvio::Fin::SinSeleccion, 0, "no se envió nada"}}) {
        r.fin = fin;
        r.enviados = enviados;
        EXPECT_TRUE(MotivoDeFin(r).contains(QString::fromUtf8(dice))) << MotivoDeFin(r).toStdString();
    }
    r.fin = ResultadoEnvio::Fin::Completo;
    r.enviados = 10;
    EXPECT_EQ(MotivoDeFin(r), QString());
}
