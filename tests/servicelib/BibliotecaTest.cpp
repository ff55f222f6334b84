// The service library stand-in without a database: creation by class name, settings files,
// text to number, scrambling, the point-of-sale settings file.
#include "platform/DelRegistroS0W.h"
#include "platform/LibTORVAQt.h"
#include "platform/Mezcla.h"
#include "servicelib/CrearObjeto.h"
#include "servicelib/Dialogos.h"
#include "servicelib/LibTORVA.h"
#include "servicelib/TextoImprimible.h"
#include "servicelib/Utilerias.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct MensajesGrabados {
    struct Mensaje { QString prompt; int botones; QString titulo; };
    QList<Mensaje> vistos;
    int respuesta = Dialogos::ResultOk;
    Dialogos::Respondedor anterior;
    MensajesGrabados() {
        anterior = Dialogos::instalar([this](const QString& p, int b, const QString& t) {
            vistos.append({p, b, t});
            return respuesta;
        });
    }
    ~MensajesGrabados() { Dialogos::instalar(anterior); }
};

TEST(CrearObjeto, CreatesEveryRegisteredClassByName) {
    const char* clases[] = {"libTORVA", "Utilerias", "DeArchivos", "DelRegistro", "DeControles", "DeEquipo", "Efectos"};
    for (const char* c : clases) {
        std::shared_ptr<Objeto> obj;
        EXPECT_TRUE(CrearObjetoBase(obj, QString::fromLatin1(c), QStringLiteral("kesa5"))) << c;
        EXPECT_NE(obj, nullptr) << c;
    }
    std::shared_ptr<kesa5::LibTORVA> lib;
    EXPECT_TRUE(CrearObjeto(lib, QStringLiteral("libTORVA")));
    ASSERT_NE(lib, nullptr);
}

TEST(CrearObjeto, UnknownClassShowsTheAlertaMessageAndReturnsFalse) {
    MensajesGrabados m;
    std::shared_ptr<kesa5::Utilerias> u;
    EXPECT_FALSE(CrearObjeto(u, QStringLiteral("NoExiste")));
    EXPECT_EQ(u, nullptr);
    ASSERT_EQ(m.vistos.size(), 1);
    EXPECT_EQ(m.vistos[0].titulo, QStringLiteral("Alerta"));
    EXPECT_EQ(m.vistos[0].botones & 0x70, Dialogos::Critical);
    EXPECT_EQ(m.vistos[0].prompt, QStringLiteral("Error nº 429, El componente no puede crear el objeto\r\n"
                                                 "Intentanto crear \"kesa5.NoExiste\""));
}

TEST(CrearObjeto, FailingFactoryIsReportedTheSameWay_FakeFactory) {
    MensajesGrabados m;
    Registro::registrar(QStringLiteral("kesa5.Rota"), []() -> std::shared_ptr<Objeto> {
        throw std::runtime_error("sin memoria");
    });
    std::shared_ptr<Objeto> obj;
    EXPECT_FALSE(CrearObjetoBase(obj, QStringLiteral("Rota"), QStringLiteral("kesa5")));
    Registro::quitar(QStringLiteral("kesa5.Rota"));
    ASSERT_EQ(m.vistos.size(), 1);
    EXPECT_TRUE(m.vistos[0].prompt.contains(QStringLiteral("sin memoria")));
}

TEST(KsVal, ReadsLikeBasicVal) {
    LibTORVAQt lib;
    EXPECT_EQ(lib.ksVal(QStringLiteral("12abc")), 12);
    EXPECT_EQ(lib.ksVal(QStringLiteral("05")), 5);
    EXPECT_EQ(lib.ksVal(QStringLiteral("abc")), 0);
    EXPECT_EQ(lib.ksVal(QString()), 0);
    EXPECT_EQ(lib.ksVal(QStringLiteral(" -3")), -3);
    EXPECT_EQ(lib.ksVal(QStringLiteral("  12.5.7")), 12.5);
    EXPECT_EQ(lib.ksVal(QStringLiteral("-")), 0);
    EXPECT_EQ(lib.ksVal(QStringLiteral("      12")), 12);  // an Id read back from a line item's tail
}

TEST(Mascaras, DigitsOnlyForNumbersAndNamesForDatabases) {
    LibTORVAQt lib;
    auto pasa = [&](QChar c, const char* mascara) {
        int codigo = c.unicode();
        lib.Enter(codigo, QString::fromUtf8(mascara));
        return codigo != 0;
    };
    EXPECT_TRUE(pasa(QLatin1Char('7'), "9"));
    EXPECT_FALSE(pasa(QLatin1Char('a'), "9"));
    EXPECT_TRUE(pasa(QLatin1Char('_'), "¡"));
    EXPECT_FALSE(pasa(QLatin1Char(' '), "¡"));
    EXPECT_FALSE(pasa(QLatin1Char('\''), "¡"));
    EXPECT_TRUE(pasa(QChar(0x00F1), "X"));
    int retroceso = 8;
    lib.Enter(retroceso, QStringLiteral("9"));
    EXPECT_EQ(retroceso, 8);
}

TEST(ArchivoDeAjustes, KeysWithAccentsBlanksAndQuotesRoundTrip) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("moravi.ini"));
    LibTORVAQt lib;
    EXPECT_EQ(lib.LeeIni(QStringLiteral("Configuración"), QStringLiteral("Puerto"), ini), QString());
    lib.EscribeIni(QStringLiteral("Configuración"), QStringLiteral("Dirección IP"), QStringLiteral("10.0.0.1"), ini);
    lib.EscribeIni(QStringLiteral("Configuración"), QStringLiteral("Número de precio a actualizar"), QStringLiteral("2"), ini);
    lib.EscribeIni(QStringLiteral("Líneas a pasar"), QStringLiteral("Linea 12"), QStringLiteral("1"), ini);
    lib.EscribeIni(QStringLiteral("Configuración"), QStringLiteral("Usuario WEB"), QStringLiteral("   "), ini);
    lib.EscribeIni(QStringLiteral("Configuración"), QStringLiteral("Nota"), QStringLiteral(" a b "), ini);
    EXPECT_EQ(lib.LeeIni(QStringLiteral("Configuración"), QStringLiteral("Dirección IP"), ini), QStringLiteral("10.0.0.1"));
    EXPECT_EQ(lib.LeeIni(QStringLiteral("Configuración"), QStringLiteral("Número de precio a actualizar"), ini),
              QStringLiteral("2"));
    EXPECT_EQ(lib.LeeIni(QStringLiteral("Líneas a pasar"), QStringLiteral("Linea 12"), ini), QStringLiteral("1"));
    EXPECT_EQ(lib.LeeIni(QStringLiteral("Configuración"), QStringLiteral("Usuario WEB"), ini), QStringLiteral("   "));
    EXPECT_EQ(lib.LeeIni(QStringLiteral("Configuración"), QStringLiteral("Nota"), ini), QStringLiteral(" a b "));
    // Rewriting a key keeps one line for it and keeps the others.
    lib.EscribeIni(QStringLiteral("Configuración"), QStringLiteral("Dirección IP"), QStringLiteral("10.0.0.2"), ini);
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString texto = QString::fromUtf8(f.readAll());
    EXPECT_EQ(texto.count(QStringLiteral("Dirección IP")), 1);
    EXPECT_TRUE(texto.contains(QStringLiteral("[Configuración]")));
    EXPECT_EQ(lib.LeeIni(QStringLiteral("Configuración"), QStringLiteral("Dirección IP"), ini), QStringLiteral("10.0.0.2"));
}

TEST(ArchivoDeAjustes, HandEditedLatin1FileIsStillRead) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("x.ini"));
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("[Configuración]\r\nBase de datos principal=año\r\n").toLatin1());
    f.close();
    LibTORVAQt lib;
    EXPECT_EQ(lib.LeeIni(QStringLiteral("Configuración"), QStringLiteral("Base de datos principal"), ini),
              QStringLiteral("año"));
}

TEST(Encripta, RoundTripsAnyTextAndIsNeverEmptyOrClear) {
    const QString textos[] = {QString(), QStringLiteral("root"), QStringLiteral("Contraseña ñandú €"),
                              QStringLiteral("  blancos  "), QStringLiteral("a=b;[x]\"'")};
    for (const QString& t : textos) {
        const QString m = Mezcla::encripta(t);
        EXPECT_FALSE(m.isEmpty());
        EXPECT_FALSE(!t.trimmed().isEmpty() && m.contains(t.trimmed())) << t.toStdString();
        for (QChar c : m) EXPECT_TRUE(c.isDigit() || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')));
        EXPECT_EQ(Mezcla::desencripta(m), t);
    }
    // A value typed in clear by hand is used as it stands.
    EXPECT_EQ(Mezcla::desencripta(QStringLiteral("tienda_web")), QStringLiteral("tienda_web"));
}

TEST(DelRegistroS0W, FolderIsAnInstallationOnlyWithItsSettingsFile) {
    QTemporaryDir dir;
    DelRegistroS0W reg;
    EXPECT_TRUE(reg.BuscarRegistroS0W(dir.path()).isEmpty());
    EXPECT_TRUE(reg.BuscarRegistroS0W(QString()).isEmpty());
    QFile f(dir.filePath(QStringLiteral("S0W.ini")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[S0W]\nservidor=192.168.1.5\n");
    f.close();
    EXPECT_FALSE(reg.BuscarRegistroS0W(dir.path()).isEmpty());
    EXPECT_EQ(reg.DatosS0W(QStringLiteral("servidor")), QStringLiteral("192.168.1.5"));
    reg.GuardaDatosS0W(QStringLiteral("MySQLServer"), QStringLiteral("192.168.1.5"));
    EXPECT_EQ(reg.DatosS0W(QStringLiteral("MySQLServer")), QStringLiteral("192.168.1.5"));
}

TEST(TextoImprimible, ControlCharactersAreWrittenOutAndEverythingElseStays) {
    const struct { QString entrada, salida; } casos[] = {
        {QString(), QString()},
        {u"Café Ñandú 12,50 € ✓ 😀"_s, u"Café Ñandú 12,50 € ✓ 😀"_s},
        {u"C:\\sartenal\\n no es salto"_s, u"C:\\sartenal\\n no es salto"_s},  // a backslash stays as it is
        {u"a\nb\rc\td"_s, u"a\\nb\\rc\\td"_s},
        {u"x\r\n3 de 3 FALSO"_s, u"x\\r\\n3 de 3 FALSO"_s},
        {u"\x1b[31mrojo\x1b[0m"_s, u"\\x1b[31mrojo\\x1b[0m"_s},
        {QString(QChar(0)) + u"\x01\x07\x08\x0b\x0c\x1f"_s, u"\\x00\\x01\\x07\\x08\\x0b\\x0c\\x1f"_s},
        {u"borra\x7f"_s, u"borra\\x7f"_s},
        {u"\u0080\u0085\u009b1m\u009f\u00a0"_s, u"\\x80\\x85\\x9b1m\\x9f\u00a0"_s},  // C1; no-break space stays
        {u"a\u2028b\u2029c"_s, u"a\\u2028b\\u2029c"_s},
        {u"\u202eodnum\u202c \u2066x\u2069"_s, u"\\u202eodnum\\u202c \\u2066x\\u2069"_s},
        {u"\u200d\u00ad"_s, u"\u200d\u00ad"_s},  // joiners and soft hyphens lay nothing out
    };
    for (const auto& c : casos) EXPECT_EQ(TextoImprimible(c.entrada), c.salida) << c.entrada.toStdString();
}

}
