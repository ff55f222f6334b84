// INI files on disk: a write changes only its key's line and keeps every other byte and the
// file's encoding; names and values are read whatever the encoding of other lines; a write
// that fails on a full disk leaves the file byte for byte; the settings stay private.
#include "platform/ArchivoIniTexto.h"
#include "platform/DelRegistroS0W.h"
#include "platform/LibTORVAQt.h"
#include "support/Permisos.h"
#include "support/Sistema.h"
#include "support/SistemaPequeno.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace {

QByteArray bytesDe(const QString& archivo) {
    QFile f(archivo);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(no se pudo leer)");
}

void pon(const QString& archivo, const QByteArray& bytes) {
    QFile f(archivo);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// The point-of-sale product's own file: Windows-1252, CRLF, blanks around "=", a duplicate key.
const QByteArray kS0W = "; Configuraci\xF3n de Papeler\xED" "a\r\n"
                        "[S0W]\r\n"
                        "servidor = 192.168.1.5\r\n"
                        "MySQLPuerto = 0\r\n"
                        "Empresa=Papeler\xED" "a L\xF3pez\r\n"
                        "Empresa=duplicada\r\n"
                        "\r\n"
                        "; otra secci\xF3n\r\n"
                        "[Otra]\r\n"
                        "x=1\r\n";

TEST(ArchivoIni, AWriteChangesOnlyItsLineInTheFilesOwnEncoding) {
    struct Caso {
        const char* que;
        QByteArray antes;
        const char* seccion;
        const char* clave;
        const char* valor;
        QByteArray despues;
    };
    const QByteArray utf8Suelto = "[Configuración]\n; nota de Mar\xED" "a\nPuerto=3306\n\n[Reja]\nColumna 0=10\n";
    const Caso casos[] = {
        {"missing key of the point of sale's file", kS0W, "S0W", "MySQLUsuario", "K0A1B",
         QByteArray(kS0W).replace("Empresa=duplicada\r\n", "Empresa=duplicada\r\nMySQLUsuario=K0A1B\r\n")},
        {"changed key keeps its blanks", kS0W, "S0W", "MySQLPuerto", "3306",
         QByteArray(kS0W).replace("MySQLPuerto = 0", "MySQLPuerto = 3306")},
        {"names without regard to case", kS0W, "s0w", "mysqlpuerto", "3307",
         QByteArray(kS0W).replace("MySQLPuerto = 0", "MySQLPuerto = 3307")},
        {"UTF-8 file with a stray Latin-1 byte stays UTF-8", utf8Suelto, "Configuración", "Dirección IP", "año",
         QByteArray(utf8Suelto).replace("Puerto=3306\n", "Puerto=3306\nDirección IP=año\n")},
        {"Latin-1 file stays Latin-1", "[Configuraci\xF3n]\nBase de datos principal=a\xF1o\n", "Configuración",
         "Dirección IP", "€ñ", "[Configuraci\xF3n]\nBase de datos principal=a\xF1o\nDirecci\xF3n IP=\x80\xF1\n"},
        {"new section after a last line without its ending", "[A]\nx=1", "B", "y", "2", "[A]\nx=1\n\n[B]\ny=2\n"},
        {"new key after a last line without its ending", "[A]\r\nx=1", "A", "y", "2", "[A]\r\nx=1\r\ny=2\r\n"},
        {"byte-order mark kept", "\xEF\xBB\xBF[C]\nPuerto=1\n", "C", "Puerto", "2", "\xEF\xBB\xBF[C]\nPuerto=2\n"},
        {"a new file takes the system's line end", "", "C", "Usuario WEB", "  a ",
         "[C]" + prueba::FinDeLinea() + "Usuario WEB=\"  a \"" + prueba::FinDeLinea()},
        {"same value: not a byte changes", kS0W, "S0W", "servidor", "192.168.1.5", kS0W},
    };
    QTemporaryDir dir;
    const QString archivo = dir.filePath(QStringLiteral("S0W.ini"));
    for (const Caso& c : casos) {
        QFile::remove(archivo);
        if (!c.antes.isEmpty()) pon(archivo, c.antes);
        const QString seccion = QString::fromUtf8(c.seccion), clave = QString::fromUtf8(c.clave);
        EXPECT_TRUE(ArchivoIniTexto::escribe(archivo, seccion, clave, QString::fromUtf8(c.valor))) << c.que;
        EXPECT_EQ(bytesDe(archivo), c.despues) << c.que;
        EXPECT_EQ(ArchivoIniTexto::lee(archivo, seccion, clave), QString::fromUtf8(c.valor)) << c.que;
    }

    // A character the Windows-1252 file cannot hold is refused and changes nothing.
    pon(archivo, kS0W);
    const QString error = ArchivoIniTexto::escribeVarias(
        archivo, {{u"S0W"_qs, u"MySQLServer"_qs, u"10.0.0.1"_qs}, {u"S0W"_qs, u"Nota"_qs, u"łódź"_qs}},
        ArchivoIniTexto::Permisos::Conservar);
    EXPECT_TRUE(error.contains(QStringLiteral("Nota"))) << error.toStdString();
    EXPECT_EQ(bytesDe(archivo), kS0W);
}

TEST(ArchivoIni, NamesAndValuesAreReadWhateverTheEncodingOfOtherLines) {
    struct Caso {
        QByteArray contenido;
        const char* seccion;
        const char* clave;
        const char* esperado;
    };
    const Caso casos[] = {
        {kS0W, "S0W", "Empresa", "Papelería López"},  // the first of two
        {kS0W, "Otra", "x", "1"},
        {"[Configuración]\n; nota de Mar\xED" "a\nPuerto=3306\n", "Configuración", "Puerto", "3306"},
        {"[Configuraci\xF3n]\r\nBase de datos principal=a\xF1o\r\n", "Configuración", "Base de datos principal", "año"},
        {"[Configuración]\nContraseña WEB=a\xF1o \x80\n", "Configuración", "Contraseña WEB", "año €"},
        {"[configuración]\n  PUERTO =  7  \n", "Configuración", "Puerto", "7"},
        {"[C]\nx=\"  \"\n", "C", "x", "  "},
        {"[C]\n;x=1\n#x=2\nx=3\n", "C", "x", "3"},
        {"[A]\nx=1\n[B]\ny=2\n", "A", "y", ""},
    };
    QTemporaryDir dir;
    const QString archivo = dir.filePath(QStringLiteral("x.ini"));
    for (const Caso& c : casos) {
        pon(archivo, c.contenido);
        EXPECT_EQ(ArchivoIniTexto::lee(archivo, QString::fromUtf8(c.seccion), QString::fromUtf8(c.clave)),
                  QString::fromUtf8(c.esperado))
            << c.contenido.toStdString();
    }
}

TEST(ArchivoIni, SectionReadSaysWhyWhenTheFileCannotBeRead) {
    QTemporaryDir dir;
    const QString archivo = dir.filePath(QStringLiteral("LineasAenviar.ini"));
    const QString seccion = QStringLiteral("Líneas a pasar");
    QList<QPair<QString, QString>> claves;
    QString error;
    EXPECT_TRUE(ArchivoIniTexto::leeSeccion(archivo, seccion, claves, error)) << "an absent file is an empty section";
    EXPECT_TRUE(claves.isEmpty());

    pon(archivo, "; elegidas por Mar\xED" "a\n[Líneas a pasar]\nLinea 7=1\nLinea 12=0\n");
    ASSERT_TRUE(ArchivoIniTexto::leeSeccion(archivo, seccion, claves, error));
    EXPECT_EQ(claves, (QList<QPair<QString, QString>>{{u"Linea 7"_qs, u"1"_qs}, {u"Linea 12"_qs, u"0"_qs}}));

    // Saved by an editor as UTF-16: keys, but no section this program can find.
    QByteArray utf16("\xFF\xFE");
    const QString texto = QStringLiteral("[Líneas a pasar]\r\nLinea 7=1\r\n");
    utf16.append(reinterpret_cast<const char*>(texto.utf16()), texto.size() * 2);
    pon(archivo, utf16);
    EXPECT_FALSE(ArchivoIniTexto::leeSeccion(archivo, seccion, claves, error));
    EXPECT_TRUE(error.contains(QStringLiteral("[Líneas a pasar]"))) << error.toStdString();

    // A path that cannot be read as a file (root reads any file, so a folder stands for it).
    QFile::remove(archivo);
    ASSERT_TRUE(QDir().mkdir(archivo));
    error.clear();
    EXPECT_FALSE(ArchivoIniTexto::leeSeccion(archivo, seccion, claves, error));
    EXPECT_TRUE(error.contains(QStringLiteral("No se pudo leer"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(archivo)));
    // Nor is such a file ever written over with part of it.
    EXPECT_FALSE(ArchivoIniTexto::escribe(archivo, seccion, QStringLiteral("Linea 9"), QStringLiteral("1")));
}

TEST(ArchivoIni, SettingsAreOwnerOnlyAndOtherFilesKeepTheirPermissions) {
    QTemporaryDir dir;
    LibTORVAQt lib;
    const QString ini = dir.filePath(QStringLiteral("moravi.ini"));
    lib.EscribeIni(QStringLiteral("Configuración"), QStringLiteral("Puerto"), QStringLiteral("3306"), ini);
    EXPECT_EQ(prueba::OtrosConAcceso(ini), QString()) << "created private";
    EXPECT_EQ(lib.LeeIni(QStringLiteral("Configuración"), QStringLiteral("Puerto"), ini), QStringLiteral("3306"));

    // An older file readable by everyone is closed by the next write, changed or not.
    for (const char* valor : {"3307", "3307"}) {
        ASSERT_TRUE(prueba::AbreALaLectura(ini));
        ASSERT_NE(prueba::OtrosConAcceso(ini), QString());
        EXPECT_EQ(lib.EscribeIniVarias({{u"Configuración"_qs, u"Puerto"_qs, QString::fromLatin1(valor)}}, ini, false),
                  QString());
        EXPECT_EQ(prueba::OtrosConAcceso(ini), QString()) << valor;
    }
    // Its owner may still replace and remove it.
    EXPECT_EQ(lib.EscribeIniVarias({{u"Configuración"_qs, u"Puerto"_qs, u"3308"_qs}}, ini, false), QString());
    EXPECT_TRUE(QFile::remove(ini));

    // The point of sale's file keeps its own.
    const QString s0w = dir.filePath(QStringLiteral("S0W.ini"));
    pon(s0w, kS0W);
    ASSERT_TRUE(prueba::AbreALaLectura(s0w));
    const QString suyos = prueba::Acceso(s0w);
    DelRegistroS0W reg;
    ASSERT_FALSE(reg.BuscarRegistroS0W(dir.path()).isEmpty());
    reg.GuardaDatosS0W(QStringLiteral("MySQLServer"), QStringLiteral("192.168.1.5"));
    EXPECT_EQ(reg.DatosS0W(QStringLiteral("MySQLServer")), QStringLiteral("192.168.1.5"));
    EXPECT_EQ(prueba::Acceso(s0w), suyos);
}

TEST(ArchivoIni, AWriteThatFailsOnAFullDiskLeavesTheFileByteForByte) {
    prueba::SistemaPequeno disco(64 * 1024);
    SALTA_SIN_SISTEMA_PEQUENO(disco);
    LibTORVAQt lib;
    const QString ini = disco.ruta() + QStringLiteral("/moravi.ini");
    const QString lineas = disco.ruta() + QStringLiteral("/LineasAenviar.ini");
    ASSERT_EQ(lib.EscribeIniVarias({{u"Configuración"_qs, u"Puerto"_qs, u"3306"_qs},
                                    {u"Configuración"_qs, u"Usuario WEB"_qs, u"K00"_qs}},
                                   ini, false),
              QString());
    ASSERT_EQ(lib.EscribeIniVarias({{u"Líneas a pasar"_qs, u"Linea 7"_qs, u"1"_qs}}, lineas, true), QString());
    const QByteArray iniAntes = bytesDe(ini), lineasAntes = bytesDe(lineas);

    disco.llena();
    const QString sinEspacio = QString::fromLocal8Bit(std::strerror(ENOSPC));
    const QString error = lib.EscribeIniVarias(
        {{u"Configuración"_qs, u"Puerto"_qs, u"3307"_qs}, {u"Configuración"_qs, u"Dirección IP"_qs, u"K01"_qs}}, ini,
        false);
    EXPECT_TRUE(error.contains(QStringLiteral("No se pudo grabar"))) << error.toStdString();
    EXPECT_TRUE(error.contains(sinEspacio)) << error.toStdString();
    EXPECT_EQ(bytesDe(ini), iniAntes);
    EXPECT_FALSE(lib.EscribeIniVarias({{u"Líneas a pasar"_qs, u"Linea 12"_qs, u"1"_qs}}, lineas, true).isEmpty());
    EXPECT_EQ(bytesDe(lineas), lineasAntes);
    lib.EscribeIni(QStringLiteral("Configuración"), QStringLiteral("Puerto"), QStringLiteral("3308"), ini);
    EXPECT_EQ(bytesDe(ini), iniAntes) << "the one-key write fails the same way";
    EXPECT_EQ(QDir(disco.ruta()).entryList(QDir::Files | QDir::Hidden).size(), 3) << "no temporary file is left";

    disco.libera();
    EXPECT_EQ(lib.EscribeIniVarias({{u"Configuración"_qs, u"Puerto"_qs, u"3307"_qs}}, ini, false), QString());
    EXPECT_EQ(lib.LeeIni(QStringLiteral("Configuración"), QStringLiteral("Puerto"), ini), QStringLiteral("3307"));
    EXPECT_EQ(lib.LeeIni(QStringLiteral("Configuración"), QStringLiteral("Usuario WEB"), ini), QStringLiteral("K00"));
}

}
