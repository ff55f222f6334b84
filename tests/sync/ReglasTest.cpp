// The pure rules of the send run: numbers as the shop stores them, post names, dates, the
// product query.
#include "servicelib/Compartidos.h"
#include "servicelib/CrearObjeto.h"
#include "sync/ConsultaProductos.h"
#include "sync/Reloj.h"
#include "sync/SlugWordPress.h"
#include "sync/TextoDecimal.h"
#include "VentanaPrueba.h"

#include <QTimeZone>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

QString decimal(const QVariant& v) { return TextoDecimal(v).value_or(QStringLiteral("<nada>")); }

TEST(TextoDecimal, PlainDecimalTextWithoutTrailingZeros) {
    EXPECT_EQ(decimal(QStringLiteral("12.50")), QStringLiteral("12.5"));
    EXPECT_EQ(decimal(QStringLiteral("10.00")), QStringLiteral("10"));
    EXPECT_EQ(decimal(QStringLiteral("-3.000")), QStringLiteral("-3"));
    EXPECT_EQ(decimal(QStringLiteral("0.000")), QStringLiteral("0"));
    EXPECT_EQ(decimal(QStringLiteral("-0.000")), QStringLiteral("0"));
    EXPECT_EQ(decimal(QStringLiteral("-0.50")), QStringLiteral("-0.5"));
    EXPECT_EQ(decimal(QStringLiteral("007.10")), QStringLiteral("7.1"));
    EXPECT_EQ(decimal(QStringLiteral(".5")), QStringLiteral("0.5"));
    EXPECT_EQ(decimal(QStringLiteral(" 1500 ")), QStringLiteral("1500"));
    // Every digit of a wide DECIMAL survives (a double would round the last ones).
    EXPECT_EQ(decimal(QStringLiteral("12345678901234567.89")), QStringLiteral("12345678901234567.89"));
    EXPECT_EQ(decimal(QStringLiteral("1.5e3")), QStringLiteral("1500"));
}

TEST(TextoDecimal, NumbersOfOtherKinds) {
    EXPECT_EQ(decimal(12.5), QStringLiteral("12.5"));
    EXPECT_EQ(decimal(0.1), QStringLiteral("0.1"));
    EXPECT_EQ(decimal(-3.0), QStringLiteral("-3"));
    EXPECT_EQ(decimal(-0.0), QStringLiteral("0"));
    EXPECT_EQ(decimal(1e20), QStringLiteral("100000000000000000000"));
    EXPECT_EQ(decimal(qlonglong(-7)), QStringLiteral("-7"));
    EXPECT_EQ(decimal(QVariant()), QStringLiteral("<nada>"));
    EXPECT_EQ(decimal(QString()), QStringLiteral("<nada>"));
    EXPECT_EQ(decimal(QStringLiteral("abc")), QStringLiteral("<nada>"));
    EXPECT_EQ(decimal(QStringLiteral("-")), QStringLiteral("<nada>"));
    EXPECT_EQ(decimal(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("<nada>"));
    EXPECT_EQ(decimal(std::numeric_limits<double>::infinity()), QStringLiteral("<nada>"));
}

TEST(TextoDecimal, AboveZero) {
    EXPECT_TRUE(MayorQueCero(QStringLiteral("0.5")));
    EXPECT_TRUE(MayorQueCero(QStringLiteral("3")));
    EXPECT_TRUE(MayorQueCero(QStringLiteral("0.0000000000000000000001")));
    EXPECT_FALSE(MayorQueCero(QStringLiteral("0")));
    EXPECT_FALSE(MayorQueCero(QStringLiteral("-3")));
    EXPECT_FALSE(MayorQueCero(QStringLiteral("-0.5")));
}

TEST(SlugWordPress, TitleToPostName) {
    using SlugWordPress::sanitiza;
    EXPECT_EQ(sanitiza(QStringLiteral("Mesa de Pino")), QStringLiteral("mesa-de-pino"));
    EXPECT_EQ(sanitiza(QStringLiteral("Café Ñandú 500 g.")), QStringLiteral("cafe-nandu-500-g"));
    EXPECT_EQ(sanitiza(QStringLiteral("Straße Æon Œuvre Øre Łódź")), QStringLiteral("strasse-aeon-oeuvre-ore-lodz"));
    EXPECT_EQ(sanitiza(QStringLiteral("  A  --  B  ")), QStringLiteral("a-b"));
    EXPECT_EQ(sanitiza(QStringLiteral("Aceite 1/2 l – 3×4")), QStringLiteral("aceite-1-2-l-3x4"));
    EXPECT_EQ(sanitiza(QStringLiteral("O'Brien \"Extra\" 100% ¡Nuevo!")), QStringLiteral("obrien-extra-100-nuevo"));
    EXPECT_EQ(sanitiza(QStringLiteral("<b>Negrita</b> &amp; fina")), QStringLiteral("negrita-fina"));
    EXPECT_EQ(sanitiza(QStringLiteral("snake_case\tTab")), QStringLiteral("snake_casetab"));
    EXPECT_EQ(sanitiza(QStringLiteral("¡¿?!")), QString());
    EXPECT_EQ(sanitiza(QStringLiteral("漢字")), QString());
    EXPECT_EQ(sanitiza(QString(300, QLatin1Char('a'))).size(), 200);
}

TEST(SlugWordPress, FirstFreeSuffix) {
    using SlugWordPress::unico;
    EXPECT_EQ(unico(QStringLiteral("mesa"), {}), QStringLiteral("mesa"));
    EXPECT_EQ(unico(QStringLiteral("mesa"), {QStringLiteral("mesa")}), QStringLiteral("mesa-2"));
    EXPECT_EQ(unico(QStringLiteral("mesa"), {QStringLiteral("mesa"), QStringLiteral("mesa-2"), QStringLiteral("mesa-4")}),
              QStringLiteral("mesa-3"));
    EXPECT_EQ(unico(QStringLiteral("mesa"), {QStringLiteral("mesa-2")}), QStringLiteral("mesa"));
    EXPECT_EQ(unico(QStringLiteral("feed"), {}), QStringLiteral("feed-2"));
    EXPECT_EQ(unico(QStringLiteral("embed"), {}), QStringLiteral("embed-2"));
    const QString largo = QString(199, QLatin1Char('b')) + QLatin1Char('c');
    const QString libre = unico(largo, {largo});
    EXPECT_EQ(libre, QString(198, QLatin1Char('b')) + QStringLiteral("-2"));
}

class RelojFijo : public ::testing::Test {
protected:
    void fija(const QDateTime& t) {
        Reloj::fijar([t] { return t; });
    }
    void TearDown() override { Reloj::fijar({}); }
    const QString formato = QStringLiteral("yyyy-mm-dd hh:nn:ss");
};

TEST_F(RelojFijo, ClassicFormatAndSixHoursAhead) {
    fija(QDateTime(QDate(2026, 1, 8), QTime(7, 5, 9)));
    EXPECT_EQ(Reloj::texto(formato), QStringLiteral("2026-01-08 07:05:09"));
    EXPECT_EQ(Reloj::texto(formato, 6), QStringLiteral("2026-01-08 13:05:09"));
    fija(QDateTime(QDate(2026, 12, 31), QTime(20, 0, 0)));
    EXPECT_EQ(Reloj::texto(formato, 6), QStringLiteral("2027-01-01 02:00:00"));
}

TEST_F(RelojFijo, SixHoursAreAddedToTheReadingWhateverTheZone) {
    // 01:30 on the night Madrid springs forward: the hour 02:00-03:00 does not exist there,
    // but the shop's gmt columns still get the reading plus exactly 6 hours.
    fija(QDateTime(QDate(2026, 3, 29), QTime(1, 30, 0), QTimeZone("Europe/Madrid")));
    EXPECT_EQ(Reloj::texto(formato, 6), QStringLiteral("2026-03-29 07:30:00"));
}

TEST_F(RelojFijo, SystemClockWhenNoneIsSet) {
    Reloj::fijar({});
    const QDateTime antes = QDateTime::currentDateTime().addSecs(-1);
    EXPECT_GE(Reloj::ahora(), antes);
}

class Consulta : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CrearObjeto(G().libTORVA, QStringLiteral("libTORVA"))); }
    void TearDown() override { G().libTORVA.reset(); }
    VentanaPrueba ventana;
    const QString inicio = QStringLiteral("productos WHERE Clave NOT LIKE 'XFDD%' AND Clave NOT LIKE 'XFCT%'");
};

TEST_F(Consulta, LinesThreeAndSevenMarked) {
    ventana.agregaLineaMarcada(3, QStringLiteral("Abarrotes"), true);
    ventana.agregaLineaMarcada(5, QStringLiteral("Bebidas"), false);
    ventana.agregaLineaMarcada(7, QStringLiteral("Cremería"), true);
    EXPECT_EQ(ConsultaProductos(ventana, 2), inicio + QStringLiteral(" AND (Linea=3 OR Linea=7) ORDER BY Clave"));
}

TEST_F(Consulta, OneLineHasNoOr) {
    ventana.agregaLineaMarcada(1234567890, QStringLiteral("Larga"), false);
    ventana.agregaLineaMarcada(12, QStringLiteral("Doce"), true);
    EXPECT_EQ(ConsultaProductos(ventana, 1), inicio + QStringLiteral(" AND (Linea=12) ORDER BY Clave"));
}

TEST_F(Consulta, NoCountMeansEveryLine) {
    ventana.agregaLineaMarcada(3, QStringLiteral("Abarrotes"), true);
    EXPECT_EQ(ConsultaProductos(ventana, 0), inicio + QStringLiteral(" ORDER BY Clave"));
    EXPECT_EQ(ConsultaProductos(ventana, -1), inicio + QStringLiteral(" ORDER BY Clave"));
}

TEST_F(Consulta, CountThatDisagreesWithTheListStillMakesAStatement) {
    ventana.agregaLineaMarcada(3, QStringLiteral("Abarrotes"), true);
    ventana.agregaLineaMarcada(7, QStringLiteral("Cremería"), true);
    EXPECT_EQ(FiltroLineas(ventana, 5), QStringLiteral(" AND (Linea=3 OR Linea=7)"));
    EXPECT_EQ(FiltroLineas(ventana, 1), QStringLiteral(" AND (Linea=3 OR Linea=7)"));
    ventana.lineas[0].marcada = ventana.lineas[1].marcada = false;
    EXPECT_EQ(FiltroLineas(ventana, 2), QString());
}

}  // namespace
