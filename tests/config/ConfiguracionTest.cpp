// The settings file: first start, defaults, stored forms, corrections of bad numbers, the
// save of the configuration screen and the command-line "-ajustar".
#include "VistaPrueba.h"
#include "config/AjustarDesdeLinea.h"
#include "config/ClavesConfiguracion.h"
#include "config/Configuracion.h"
#include "config/GuardarConfiguracion.h"
#include "config/LeerConfiguracion.h"
#include "platform/Mezcla.h"
#include "servicelib/Compartidos.h"
#include "support/Permisos.h"
#include "support/SistemaPequeno.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

namespace {

class Ajustes : public ::testing::Test {
protected:
    QTemporaryDir dir;
    VistaPrueba vista;
    void SetUp() override {
        G().crear();
        G().ArchivoIni = dir.filePath(QStringLiteral("moravi.ini"));
        G().ArchivoLineas = dir.filePath(QStringLiteral("LineasAenviar.ini"));
        Config() = Configuracion{};
    }
    QString lee(const QString& clave, const QString& seccion = Claves::kSeccion) {
        return G().libTORVA->LeeIni(seccion, clave, G().ArchivoIni);
    }
    void escribe(const QString& clave, const QString& valor) {
        G().libTORVA->EscribeIni(Claves::kSeccion, clave, valor, G().ArchivoIni);
    }
};

TEST_F(Ajustes, FirstStartWritesEveryKeyWithItsDefaultInItsStoredForm) {
    LeerConfiguracion(vista);
    for (const Claves::Clave& c : Claves::deEnvio()) {
        const QString guardado = lee(c.nombre);
        ASSERT_EQ(guardado.isEmpty(), c.defecto.isEmpty()) << c.nombre.toStdString();
        if (c.encriptada) {
            EXPECT_NE(guardado, c.defecto) << c.nombre.toStdString();
            EXPECT_EQ(Mezcla::desencripta(guardado), c.defecto) << c.nombre.toStdString();
        } else {
            EXPECT_EQ(guardado, c.defecto) << c.nombre.toStdString();
        }
    }
    EXPECT_EQ(prueba::OtrosConAcceso(G().ArchivoIni), QString()) << "it holds the credentials";
    QFile f(G().ArchivoIni);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    // The file holds the keys in reading order.
    const QString texto = QString::fromUtf8(f.readAll());
    qsizetype anterior = -1;
    for (const Claves::Clave& c : Claves::deEnvio()) {
        const qsizetype pos = texto.indexOf(QLatin1Char('\n') + c.nombre + QLatin1Char('='));
        EXPECT_GT(pos, anterior) << c.nombre.toStdString();
        anterior = pos;
    }
    EXPECT_EQ(Config().IntervaloMinutos, 0);
    EXPECT_EQ(Config().PuertoWeb, 3306);
    EXPECT_EQ(Config().NumeroPrecio, 1);
    EXPECT_EQ(Config().UsuarioWeb, QStringLiteral("Usuario"));
    EXPECT_EQ(Config().ContrasenaFTP.size(), 12);
    EXPECT_EQ(Config().ContrasenaWeb.size(), 8);
    EXPECT_FALSE(vista.temporizador);
    EXPECT_EQ(vista.info, QStringLiteral("Sin definir"));
    EXPECT_FALSE(vista.imagenesVisible);
    EXPECT_EQ(vista.datos[4], QStringLiteral("IP"));
    EXPECT_EQ(vista.datos[7], QStringLiteral("3306"));
    EXPECT_EQ(vista.datos[18], QStringLiteral("1"));
    EXPECT_TRUE(vista.datos[0].isEmpty()) << "box 0 is start-up's";
    EXPECT_TRUE(vista.datos[1].isEmpty()) << "box 1 is start-up's";
}

TEST_F(Ajustes, EmptyTestIsExactAndPrefixAloneIsTrimmed) {
    escribe(Claves::kPuerto, QString());
    escribe(QStringLiteral("Usuario WEB"), QStringLiteral("   "));
    escribe(QStringLiteral("Dirección IP"), Mezcla::encripta(QStringLiteral(" 10.1.1.1 ")));
    escribe(Claves::kPrefijo, Mezcla::encripta(QStringLiteral("  img_  ")));
    LeerConfiguracion(vista);
    EXPECT_EQ(lee(Claves::kPuerto), QStringLiteral("3306"));
    EXPECT_EQ(Config().PuertoWeb, 3306);
    EXPECT_EQ(Config().UsuarioWeb, QStringLiteral("   "));
    EXPECT_EQ(lee(QStringLiteral("Usuario WEB")), QStringLiteral("   ")) << "no default written over blanks";
    EXPECT_EQ(Config().DireccionIPWeb, QStringLiteral(" 10.1.1.1 "));
    EXPECT_EQ(Config().PrefijoImagen, QStringLiteral("img_"));
    EXPECT_EQ(vista.datos[17], QStringLiteral("img_"));
}

TEST_F(Ajustes, BadNumbersAreCorrectedAndWrittenBack) {
    escribe(Claves::kPuerto, QStringLiteral("tres mil"));
    escribe(Claves::kIntervalo, QStringLiteral("99999"));
    escribe(Claves::kNumeroPrecio, QStringLiteral("300"));
    escribe(Claves::kPrefijoWeb, QStringLiteral("wp`; DROP"));
    LeerConfiguracion(vista);
    EXPECT_EQ(Config().PrefijoWeb, QStringLiteral("wp_"));
    EXPECT_EQ(lee(Claves::kPrefijoWeb), QStringLiteral("wp_"));
    EXPECT_EQ(vista.datos[Claves::kCajaPrefijoWeb], QStringLiteral("wp_"));
    EXPECT_EQ(Config().PuertoWeb, 3306);
    EXPECT_EQ(lee(Claves::kPuerto), QStringLiteral("3306"));
    EXPECT_EQ(Config().IntervaloMinutos, 0);
    EXPECT_EQ(lee(Claves::kIntervalo), QStringLiteral("0"));
    EXPECT_EQ(Config().NumeroPrecio, 1);
    EXPECT_EQ(lee(Claves::kNumeroPrecio), QStringLiteral("1"));

    escribe(Claves::kPuerto, QStringLiteral("33306"));
    escribe(Claves::kIntervalo, QStringLiteral("-5"));
    escribe(Claves::kNumeroPrecio, QStringLiteral("05"));
    escribe(Claves::kPrefijoWeb, QStringLiteral("wpx_2"));
    LeerConfiguracion(vista);
    EXPECT_EQ(Config().PrefijoWeb, QStringLiteral("wpx_2"));
    EXPECT_EQ(Config().PuertoWeb, 33306) << "ports above 32767 are valid";
    EXPECT_EQ(Config().IntervaloMinutos, -5);
    EXPECT_FALSE(vista.temporizador);
    EXPECT_EQ(vista.info, QStringLiteral("Sin definir"));
    EXPECT_EQ(Config().NumeroPrecio, 5);
    EXPECT_EQ(lee(Claves::kNumeroPrecio), QStringLiteral("05")) << "a valid value is left as typed";

    // There are five price columns: no Precio0, no Precio6.
    for (const char* fuera : {"0", "6", "0.5"}) {
        escribe(Claves::kNumeroPrecio, QString::fromLatin1(fuera));
        LeerConfiguracion(vista);
        EXPECT_EQ(Config().NumeroPrecio, 1) << fuera;
        EXPECT_EQ(lee(Claves::kNumeroPrecio), QStringLiteral("1")) << fuera;
    }
}

TEST_F(Ajustes, IntervalOfOneOrMoreSwitchesTheTimerOnAndKeepsTheLabel) {
    escribe(Claves::kIntervalo, QStringLiteral("5"));
    escribe(Claves::kNumeroPrecio, QStringLiteral("3"));
    vista.info = QStringLiteral("0 hors. 3 min. 0 segs.");
    LeerConfiguracion(vista);
    EXPECT_TRUE(vista.temporizador);
    EXPECT_EQ(vista.info, QStringLiteral("0 hors. 3 min. 0 segs."));
    EXPECT_EQ(Config().NumeroPrecio, 3);
    EXPECT_FALSE(vista.imagenesVisible);
}

TEST_F(Ajustes, SaveWritesScrambledAndClearFormsAndTheGridRow) {
    LeerConfiguracion(vista);
    vista.datos[0] = QStringLiteral("datos2");
    vista.datos[1] = QStringLiteral("5");
    vista.datos[5] = QStringLiteral("s3creta'");
    vista.datos[7] = QStringLiteral("3307");
    vista.datos[18] = QStringLiteral("2");
    GuardarConfiguracion(vista, {QStringList{QString(), QString(), QString(), QString(), QString()}});
    EXPECT_EQ(lee(Claves::kBasePrincipal), QStringLiteral("datos2"));
    EXPECT_EQ(lee(Claves::kIntervalo), QStringLiteral("5"));
    EXPECT_EQ(lee(Claves::kNumeroPrecio), QStringLiteral("2"));
    EXPECT_EQ(lee(Claves::kPuerto), QStringLiteral("3307"));
    const QString pass = lee(QStringLiteral("Contraseña WEB"));
    EXPECT_NE(pass, QStringLiteral("s3creta'"));
    EXPECT_EQ(Mezcla::desencripta(pass), QStringLiteral("s3creta'"));
    for (const char* sufijo : {".CampoWEB", ".TablaExterna", ".CampoEnProds", ".CampoEnTablaExt"}) {
        QFile f(G().ArchivoIni);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(QString::fromUtf8(f.readAll()).contains(QString::fromLatin1(sufijo) + QLatin1Char('=')))
            << sufijo;
    }
    LeerConfiguracion(vista);
    EXPECT_EQ(Config().ContrasenaWeb, QStringLiteral("s3creta'"));
    EXPECT_EQ(Config().IntervaloMinutos, 5);
    EXPECT_TRUE(vista.temporizador);
}

TEST_F(Ajustes, SaveKeepsTheLineSelectionWhenTheLinesCouldNotBeRead) {
    G().libTORVA->EscribeIni(QStringLiteral("Líneas a pasar"), QStringLiteral("Linea 7"), QStringLiteral("1"),
                             G().ArchivoLineas);
    LeerConfiguracion(vista);
    GuardarConfiguracion(vista, {});  // an empty list: the point-of-sale database was not reachable
    EXPECT_EQ(G().libTORVA->LeeIni(QStringLiteral("Líneas a pasar"), QStringLiteral("Linea 7"), G().ArchivoLineas),
              QStringLiteral("1"));
    vista.agregaLinea(12, QStringLiteral("Loza"));
    GuardarConfiguracion(vista, {});  // lines shown, none marked: the selection file goes
    EXPECT_FALSE(QFile::exists(G().ArchivoLineas));
}

TEST_F(Ajustes, AnUnreadableSelectionIsReplacedOnlyByLinesTheUserMarks) {
    const QString sec = QStringLiteral("Líneas a pasar");
    G().libTORVA->EscribeIni(sec, QStringLiteral("Linea 7"), QStringLiteral("1"), G().ArchivoLineas);
    QFile f(G().ArchivoLineas);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray antes = f.readAll();
    f.close();
    LeerConfiguracion(vista);
    vista.agregaLinea(7, QStringLiteral("Loza"));
    vista.agregaLinea(20, QStringLiteral("Ropa"));
    Config().SeleccionIlegible = QStringLiteral("No se pudo leer la selección de líneas guardada.");
    EXPECT_EQ(GuardarConfiguracion(vista, {}), QString());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), antes) << "a save marking nothing keeps the selection it could not read";
    f.close();
    EXPECT_FALSE(Config().SeleccionIlegible.isEmpty());

    vista.setLineaMarcada(1, true);
    EXPECT_EQ(GuardarConfiguracion(vista, {}), QString());
    EXPECT_EQ(G().libTORVA->LeeIni(sec, QStringLiteral("Linea 20"), G().ArchivoLineas), QStringLiteral("1"));
    EXPECT_EQ(G().libTORVA->LeeIni(sec, QStringLiteral("Linea 7"), G().ArchivoLineas), QString());
    EXPECT_TRUE(Config().SeleccionIlegible.isEmpty()) << "the lines marked and saved are the selection now";
}

TEST_F(Ajustes, SaveOnAFullDiskChangesNeitherFileAndSaysWhy) {
    prueba::SistemaPequeno disco(64 * 1024);
    SALTA_SIN_SISTEMA_PEQUENO(disco);
    G().ArchivoIni = disco.ruta() + QStringLiteral("/moravi.ini");
    G().ArchivoLineas = disco.ruta() + QStringLiteral("/LineasAenviar.ini");
    LeerConfiguracion(vista);
    vista.agregaLinea(7, QStringLiteral("Loza"));
    vista.setLineaMarcada(0, true);
    ASSERT_EQ(GuardarConfiguracion(vista, {}), QString());
    auto bytes = [](const QString& archivo) {
        QFile f(archivo);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray ini = bytes(G().ArchivoIni), lineas = bytes(G().ArchivoLineas);
    ASSERT_FALSE(ini.isEmpty());

    disco.llena();
    vista.datos[7] = QStringLiteral("3307");
    vista.datos[5] = QStringLiteral("otra");
    vista.agregaLinea(20, QStringLiteral("Ropa"));
    vista.setLineaMarcada(1, true);
    const QString error = GuardarConfiguracion(vista, {});
    EXPECT_TRUE(error.contains(QStringLiteral("No se pudo grabar"))) << error.toStdString();
    EXPECT_EQ(bytes(G().ArchivoIni), ini);
    EXPECT_EQ(bytes(G().ArchivoLineas), lineas);

    // With only the settings file refusing, the selection saved matches the marks shown.
    disco.libera();
    QFile::remove(G().ArchivoIni);
    ASSERT_TRUE(QDir().mkdir(G().ArchivoIni));
    EXPECT_FALSE(GuardarConfiguracion(vista, {}).isEmpty());
    EXPECT_EQ(G().libTORVA->LeeIni(QStringLiteral("Líneas a pasar"), QStringLiteral("Linea 20"), G().ArchivoLineas),
              QStringLiteral("1"));
}

TEST_F(Ajustes, EmptyPasswordSavedStaysEmpty) {
    LeerConfiguracion(vista);
    vista.datos[5].clear();
    GuardarConfiguracion(vista, {});
    LeerConfiguracion(vista);
    EXPECT_EQ(Config().ContrasenaWeb, QString()) << "an empty password must not come back as the placeholder";
}

TEST_F(Ajustes, CommandLineWritesValidPairsAndRefusesTheRestWhole) {
    QString out, err;
    QTextStream salida(&out), errores(&err);
    EXPECT_EQ(AjustarDesdeLinea({QStringLiteral("Usuario WEB=tienda"), QStringLiteral("Contraseña WEB=x'y"),
                                 QStringLiteral("Intervalo en minutos para enviar existencias=15"),
                                 QStringLiteral("Dirección IP=127.0.0.1"), QStringLiteral("Prefijo de tablas WEB=wpx_")},
                                salida, errores),
              0);
    EXPECT_EQ(lee(Claves::kPrefijoWeb), QStringLiteral("wpx_"));
    EXPECT_EQ(Mezcla::desencripta(lee(QStringLiteral("Usuario WEB"))), QStringLiteral("tienda"));
    EXPECT_NE(lee(QStringLiteral("Contraseña WEB")), QStringLiteral("x'y"));
    EXPECT_EQ(lee(Claves::kIntervalo), QStringLiteral("15"));
    EXPECT_FALSE(out.contains(QStringLiteral("x'y"))) << "secrets are masked";
    EXPECT_FALSE(out.contains(QStringLiteral("tienda")));
    EXPECT_TRUE(out.contains(QStringLiteral("127.0.0.1")));

    const QString antes = lee(QStringLiteral("Usuario WEB"));
    EXPECT_EQ(AjustarDesdeLinea({QStringLiteral("Usuario WEB=otro"), QStringLiteral("Clave rara=1")}, salida, errores), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("Clave rara")));
    EXPECT_EQ(lee(QStringLiteral("Usuario WEB")), antes) << "nothing changes when one pair is refused";
    for (const char* malo : {"Intervalo en minutos para enviar existencias=10000", "Número de precio a actualizar=6",
                             "Número de precio a actualizar=0", "Puerto=abc",
                             "Intervalo en minutos para enviar existencias=-1", "Prefijo de tablas WEB=wp-x_",
                             "Prefijo de tablas WEB=", "Prefijo de tablas WEB=tienda_ñ"}) {
        err.clear();
        EXPECT_EQ(AjustarDesdeLinea({QString::fromUtf8(malo)}, salida, errores), 2) << malo;
        EXPECT_FALSE(err.isEmpty());
    }
    EXPECT_EQ(lee(Claves::kIntervalo), QStringLiteral("15"));
    EXPECT_EQ(lee(Claves::kPrefijoWeb), QStringLiteral("wpx_"));
}

// The encryption keys: what a file without them gets, what a bad stored value becomes, the
// screen's save and read, and the command line's checks (a CA file must exist; stored in full).
TEST_F(Ajustes, EncryptionKeysDefaultCorrectSaveAndCheck) {
    LeerConfiguracion(vista);
    EXPECT_EQ(lee(Claves::kCifradoWeb), QStringLiteral("1")) << "TLS when offered, also for older files";
    EXPECT_EQ(lee(Claves::kCifradoFTP), QStringLiteral("0"));
    EXPECT_EQ(Config().CifradoWeb, 1);
    EXPECT_EQ(Config().CifradoFTP, 0);
    EXPECT_EQ(vista.datos[Claves::kCajaCifradoWeb], QStringLiteral("1"));
    EXPECT_EQ(Config().CertificadoCAWeb, QString());

    escribe(Claves::kCifradoWeb, QStringLiteral("3"));
    escribe(Claves::kCifradoFTP, QStringLiteral("sí"));
    LeerConfiguracion(vista);
    EXPECT_EQ(lee(Claves::kCifradoWeb), QStringLiteral("1"));
    EXPECT_EQ(lee(Claves::kCifradoFTP), QStringLiteral("0"));

    vista.datos[Claves::kCajaCifradoWeb] = QStringLiteral("2");
    vista.datos[Claves::kCajaCertificadoCAWeb] = QStringLiteral(" /etc/ca de la tienda.pem ");
    vista.datos[Claves::kCajaCifradoFTP] = QStringLiteral("1");
    GuardarConfiguracion(vista, {});
    EXPECT_EQ(lee(Claves::kCertificadoCAWeb), QStringLiteral("/etc/ca de la tienda.pem"));
    LeerConfiguracion(vista);
    EXPECT_EQ(Config().CifradoWeb, 2);
    EXPECT_EQ(Config().CertificadoCAWeb, QStringLiteral("/etc/ca de la tienda.pem"));
    EXPECT_EQ(Config().CifradoFTP, 1);

    QFile ca(dir.filePath(QStringLiteral("ca.pem")));
    ASSERT_TRUE(ca.open(QIODevice::WriteOnly));
    ca.close();
    QString out, err;
    QTextStream salida(&out), errores(&err);
    const QString rutaCA = dir.filePath(QStringLiteral("ca.pem"));
    EXPECT_EQ(AjustarDesdeLinea({Claves::kCifradoWeb + QStringLiteral("=0"), Claves::kCertificadoCAFTP + u'=' + rutaCA},
                                salida, errores),
              0)
        << err.toStdString();
    EXPECT_EQ(lee(Claves::kCifradoWeb), QStringLiteral("0"));
    EXPECT_EQ(lee(Claves::kCertificadoCAFTP), rutaCA);
    const struct {
        QString par;
        QString motivo;
    } malos[] = {
        {Claves::kCifradoWeb + QStringLiteral("=3"), QStringLiteral("debe ser 0")},
        {Claves::kCifradoFTP + QStringLiteral("=uno"), QStringLiteral("debe ser 0")},
        {Claves::kCertificadoCAWeb + QStringLiteral("=/no/existe.pem"),
         QStringLiteral("No se encontró el archivo del certificado CA \"/no/existe.pem\"")},
        {Claves::kCertificadoCAWeb + u'=' + dir.path(), QStringLiteral("no es un archivo que se pueda leer")},
    };
    for (const auto& m : malos) {
        err.clear();
        EXPECT_EQ(AjustarDesdeLinea({m.par}, salida, errores), 2) << m.par.toStdString();
        EXPECT_TRUE(err.contains(m.motivo)) << err.toStdString();
    }
    EXPECT_EQ(lee(Claves::kCifradoWeb), QStringLiteral("0"));
    EXPECT_EQ(lee(Claves::kCertificadoCAWeb), QStringLiteral("/etc/ca de la tienda.pem"));
}

TEST_F(Ajustes, CommandLineReadsADashFromInputAndRefusesTextThatIsNotUtf8) {
    QString out, err;
    QTextStream salida(&out), errores(&err);
    QList<QByteArray> lineas{"se cr3ta ñ\r\n", "\n"};
    QStringList pedidas;
    const LectorEntrada entrada = [&](const QString& clave) -> std::optional<QByteArray> {
        pedidas << clave;
        if (lineas.isEmpty()) return std::nullopt;
        return lineas.takeFirst();
    };
    EXPECT_EQ(AjustarDesdeLinea({u"Contraseña WEB=-"_qs, u"Password del FTP=-"_qs, u"Puerto=3307"_qs}, salida, errores,
                                entrada),
              0)
        << err.toStdString();
    EXPECT_EQ(pedidas, (QStringList{u"Contraseña WEB"_qs, u"Password del FTP"_qs}));
    EXPECT_EQ(Mezcla::desencripta(lee(QStringLiteral("Contraseña WEB"))), QStringLiteral("se cr3ta ñ"));
    EXPECT_EQ(Mezcla::desencripta(lee(QStringLiteral("Password del FTP"))), QString()) << "an empty line is empty";
    EXPECT_FALSE(out.contains(QStringLiteral("cr3ta")));

    // Refused whole, each with its reason: no input left, bytes that are not UTF-8, on the
    // command line (decoded with a replacement character) or from the input.
    const QString antes = lee(QStringLiteral("Contraseña WEB"));
    struct Caso {
        QStringList pares;
        std::optional<QByteArray> linea;
        const char* dice;
    };
    const Caso casos[] = {
        {{u"Puerto=3308"_qs, u"Contraseña WEB=-"_qs}, std::nullopt, "entrada estándar"},
        {{u"Puerto=3308"_qs, u"Contraseña WEB=-"_qs}, QByteArray("a\xF1o\n"), "UTF-8"},
        {{u"Puerto=3308"_qs, QStringLiteral("Contraseña WEB=a") + QChar::ReplacementCharacter + u'o'}, std::nullopt,
         "UTF-8"},
    };
    for (const Caso& c : casos) {
        err.clear();
        EXPECT_EQ(AjustarDesdeLinea(c.pares, salida, errores, [&](const QString&) { return c.linea; }), 2) << c.dice;
        EXPECT_TRUE(err.contains(QString::fromUtf8(c.dice))) << err.toStdString();
        EXPECT_EQ(lee(QStringLiteral("Contraseña WEB")), antes);
        EXPECT_EQ(lee(Claves::kPuerto), QStringLiteral("3307"));
    }
}

}
