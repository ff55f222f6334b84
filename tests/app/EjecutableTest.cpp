// The real executable, copied into a folder of its own and run as a user or a scheduled job would.
#include "app/InstanciaUnica.h"
#include "config/ClavesConfiguracion.h"
#include "platform/ArchivoIniTexto.h"
#include "platform/Mezcla.h"
#include "servicelib/ArchivoSistema.h"
#include "support/Permisos.h"
#include "support/Sistema.h"
#include "support/ServidoresPrueba.h"
#include "support/SistemaPequeno.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimeZone>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

const QString kConf = QStringLiteral("Configuración");
// "/moravi", or "/moravi.exe" in the Windows build.
const QString kExe = QStringLiteral("/" MORAVI_EXE_NOMBRE);

// What a run printed. Windows ends its lines with "\r\n" on a pipe or a file; a lone '\r' stays,
// for the tests that show a terminal line updated in place.
QString texto(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

struct Salida {
    int estado = -1;
    QString out, err;
};

class Ejecutable : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QTemporaryDir config;  // XDG_CONFIG_HOME of the runs
    QString zona;          // TZ of the runs, when set: the computer's own time zone
    // A shop owner's folder: a space and accents on the way to the program and to the point of sale.
    QString carpeta() const { return dir.filePath(QStringLiteral("José Núñez/programa")); }
    QString exe() const { return carpeta() + kExe; }
    QString ini() const { return carpeta() + QStringLiteral("/moravi.ini"); }
    QString host() const { return dir.filePath(QStringLiteral("Punto de venta/sartenal")); }

    void SetUp() override { instala(carpeta()); }

    void instala(const QString& destino) const {
        QDir().mkpath(destino);
        ASSERT_TRUE(QFile::copy(QStringLiteral(MORAVI_BIN_DIR) + kExe, destino + kExe));
    }

    QProcessEnvironment entorno() const {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        if (!zona.isEmpty()) e.insert(QStringLiteral("TZ"), zona);
        return e;
    }

    // A run without a window: no display and no Qt platform at all, as under cron.
    // `entrada` is what the run reads on its standard input, which then ends.
    Salida corre(const QStringList& args, const QString& programa = QString(), const QByteArray& entrada = {}) const {
        QProcess p;
        QProcessEnvironment e = entorno();
        for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) e.remove(QString::fromLatin1(v));
        p.setProcessEnvironment(e);
        p.start(programa.isEmpty() ? exe() : programa, args);
        p.write(entrada);
        p.closeWriteChannel();
        p.waitForFinished(120000);
        return {p.exitCode(), texto(p.readAllStandardOutput()), texto(p.readAllStandardError())};
    }

    void creaHost(const prueba::ServidorBD& s, const QString& base) const {
        QDir().mkpath(host());
        QFile f(host() + QStringLiteral("/S0W.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("[S0W]\nMySQLServer=%1\nMySQLPuerto=%2\nMySQLUsuario=%3\nMySQLPassword=%4\n")
                    .arg(s.host)
                    .arg(s.puerto)
                    .arg(Mezcla::encripta(s.usuario), Mezcla::encripta(s.clave))
                    .toUtf8());
        f.close();
        // Written as the user would: with backslashes on Windows.
        ArchivoIniTexto::escribe(ini(), kConf, QStringLiteral("Ruta de Sartenal Premium"), QDir::toNativeSeparators(host()));
        ArchivoIniTexto::escribe(ini(), kConf, QStringLiteral("Base de datos principal"), base);
    }

    // Points the program at the shop database `web` on the test server, through -ajustar.
    Salida apuntaATienda(const prueba::ServidorBD& srv, const QString& web) const {
        return corre({QStringLiteral("-ajustar"), QStringLiteral("Dirección IP=") + srv.host,
                      QStringLiteral("Puerto=") + QString::number(srv.puerto), QStringLiteral("Usuario WEB=") + srv.usuario,
                      QStringLiteral("Contraseña WEB=") + srv.clave, QStringLiteral("Base de datos WEB=") + web});
    }

    // 2,000 new products (three chunks), and a trigger that makes each insert into the shop's posts
    // take `espera` seconds, so that a send is still under way when the test acts.
    static void llenaEnvioLento(prueba::BaseTemporal& pos, prueba::BaseTemporal& web, const QString& espera) {
        pos.ejecuta(QStringLiteral(
            "INSERT INTO productos (Clave, Descrip, Precio1, Existencia, Linea) SELECT CONCAT('P', LPAD(seq, 4, '0')), "
            "CONCAT('Producto ', seq), seq, 1, 1 FROM seq_1_to_2000"));
        web.ejecuta(QStringLiteral("CREATE TRIGGER lento BEFORE INSERT ON wp_posts FOR EACH ROW SET @espera = SLEEP(%1)")
                        .arg(espera));
    }

    // Starts `-enviar` without a display and returns once its first chunk is committed (its
    // products printed); what it printed so far goes to `salida`.
    void enviaHastaElPrimerLote(QProcess& p, QString& salida) const {
        QProcessEnvironment e = entorno();
        for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) e.remove(QString::fromLatin1(v));
        p.setProcessEnvironment(e);
        p.start(exe(), {QStringLiteral("-enviar")});
        for (const QDeadlineTimer tope(120000); !salida.contains(QStringLiteral(" de 2000  ")) && !tope.hasExpired();) {
            ASSERT_NE(p.state(), QProcess::NotRunning) << salida.toStdString() << p.readAllStandardError().toStdString();
            p.waitForReadyRead(1000);
            salida += texto(p.readAllStandardOutput());
        }
    }
};

TEST_F(Ejecutable, HeadlessFirstStartWithoutInstallationSaysWhyAndExits2) {
    const Salida s = corre({QStringLiteral("-enviar")});
    EXPECT_EQ(s.estado, 2);
    EXPECT_TRUE(s.err.contains(QStringLiteral("debe indicarse la ruta correcta de Sartenal Premium.")));
    EXPECT_TRUE(s.err.contains(QStringLiteral("Ruta indicada e incorrecta: \n\nC:\\sartenalpremium")));
    EXPECT_TRUE(s.err.contains(QStringLiteral("¿Desea editar el archivo de configuración?")));
    EXPECT_EQ(ArchivoIniTexto::lee(ini(), kConf, QStringLiteral("Ruta de Sartenal Premium")),
              QStringLiteral("C:\\sartenalpremium"));
    EXPECT_FALSE(s.out.contains(QStringLiteral("Productos enviados")));
}

TEST_F(Ejecutable, AjustarWritesKeysAndRefusesBadOnes) {
    // Wine keeps no DACL of its own: it rebuilds one from the Unix mode and merges the folder's
    // inheritable entries even into a protected list, which Windows does not. Private folders
    // keep that out of the check on the settings file below.
    for (const QString& c : {QFileInfo(carpeta()).path(), carpeta()}) ASSERT_EQ(ArchivoSistema::CierraAOtros(c), QString());
    Salida s = corre({QStringLiteral("-ajustar"), QStringLiteral("Contraseña WEB=clave'1"), QStringLiteral("Puerto=3310"),
                      QStringLiteral("Prefijo de tablas WEB=wpx_"), QStringLiteral("Usuario WEB=José Núñez")});
    EXPECT_EQ(s.estado, 0) << s.err.toStdString();
    EXPECT_EQ(ArchivoIniTexto::lee(ini(), kConf, QStringLiteral("Prefijo de tablas WEB")), QStringLiteral("wpx_"));
    EXPECT_TRUE(s.out.contains(QStringLiteral("Prefijo de tablas WEB = wpx_\n"))) << s.out.toStdString();
    EXPECT_EQ(Mezcla::desencripta(ArchivoIniTexto::lee(ini(), kConf, QStringLiteral("Contraseña WEB"))),
              QStringLiteral("clave'1"));
    EXPECT_EQ(ArchivoIniTexto::lee(ini(), kConf, QStringLiteral("Puerto")), QStringLiteral("3310"));
    EXPECT_EQ(Mezcla::desencripta(ArchivoIniTexto::lee(ini(), kConf, QStringLiteral("Usuario WEB"))), QStringLiteral("José Núñez"))
        << "accents on the command line arrive whole";
    EXPECT_FALSE(s.out.contains(QStringLiteral("clave'1")));
    for (const char* precio : {"Número de precio a actualizar=9", "Número de precio a actualizar=0"}) {
        s = corre({QStringLiteral("-ajustar"), QString::fromUtf8(precio)});
        EXPECT_EQ(s.estado, 2) << precio;
        EXPECT_TRUE(s.err.contains(QStringLiteral("debe ser un número de 1 a 5"))) << s.err.toStdString();
        EXPECT_TRUE(ArchivoIniTexto::lee(ini(), kConf, QStringLiteral("Número de precio a actualizar")).isEmpty());
    }
    EXPECT_EQ(prueba::OtrosConAcceso(ini()), QString()) << "it holds the credentials";

    // A secret from standard input stays off the command line.
    s = corre({QStringLiteral("-ajustar"), QStringLiteral("Contraseña WEB=-")}, QString(), "por la entrada\n");
    EXPECT_EQ(s.estado, 0) << s.err.toStdString();
    EXPECT_EQ(Mezcla::desencripta(ArchivoIniTexto::lee(ini(), kConf, QStringLiteral("Contraseña WEB"))),
              QStringLiteral("por la entrada"));
    EXPECT_FALSE(s.out.contains(QStringLiteral("por la entrada")));

    // Bytes that are not UTF-8, as a shell passes them, are refused (Windows passes UTF-16 text).
    if (!prueba::SinProgramasLinux().isEmpty()) return;
    s = corre({QStringLiteral("-c"), QStringLiteral("exec \"$0\" -ajustar \"$(printf 'Usuario WEB=a\\361o')\""), exe()},
              QStringLiteral("/bin/sh"));
    EXPECT_EQ(s.estado, 2) << s.err.toStdString();
    EXPECT_TRUE(s.err.contains(QStringLiteral("no es texto UTF-8 válido"))) << s.err.toStdString();
    EXPECT_EQ(Mezcla::desencripta(ArchivoIniTexto::lee(ini(), kConf, QStringLiteral("Usuario WEB"))), QStringLiteral("José Núñez"));
}

TEST_F(Ejecutable, AjustarOnAFullDiskExits1NamingTheErrorAndKeepsTheFile) {
    const qint64 tamano = QFileInfo(exe()).size();
    prueba::SistemaPequeno disco(tamano + 512 * 1024);
    SALTA_SIN_SISTEMA_PEQUENO(disco);
    const QString carpetaLlena = disco.ruta() + QStringLiteral("/programa");
    instala(carpetaLlena);
    const QString programa = carpetaLlena + kExe;
    const QString iniLleno = carpetaLlena + QStringLiteral("/moravi.ini");
    Salida s = corre({QStringLiteral("-ajustar"), QStringLiteral("Puerto=3306"), QStringLiteral("Usuario WEB=tienda")}, programa);
    ASSERT_EQ(s.estado, 0) << s.err.toStdString();
    QFile f(iniLleno);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray antes = f.readAll();
    f.close();

    disco.llena();
    s = corre({QStringLiteral("-ajustar"), QStringLiteral("Puerto=3307"), QStringLiteral("Dirección IP=10.0.0.9")}, programa);
    EXPECT_EQ(s.estado, 1);
    EXPECT_TRUE(s.err.contains(QStringLiteral("No se pudo grabar"))) << s.err.toStdString();
    EXPECT_TRUE(s.err.contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << s.err.toStdString();
    EXPECT_FALSE(s.out.contains(QStringLiteral("Puerto"))) << "nothing is reported stored";
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), antes);
    f.close();

    disco.libera();
    s = corre({QStringLiteral("-ajustar"), QStringLiteral("Puerto=3307"), QStringLiteral("Dirección IP=10.0.0.9")}, programa);
    EXPECT_EQ(s.estado, 0) << s.err.toStdString();
    EXPECT_EQ(ArchivoIniTexto::lee(iniLleno, kConf, QStringLiteral("Puerto")), QStringLiteral("3307"));
    EXPECT_EQ(Mezcla::desencripta(ArchivoIniTexto::lee(iniLleno, kConf, QStringLiteral("Usuario WEB"))),
              QStringLiteral("tienda"));
}

TEST_F(Ejecutable, HeadlessSendEndToEnd) {
    const prueba::ServidorBD srv = prueba::servidorBD();
    prueba::BaseTemporal pos({QStringLiteral("pos-tables.sql")});
    prueba::BaseTemporal web({QStringLiteral("wordpress-tables.sql")});
    pos.ejecuta(QStringLiteral(
        "INSERT INTO productos (Clave, Descrip, Precio1, Precio2, Existencia, Linea) VALUES "
        "('A1', 'Café Ñandú', 12.50, 11, 3, 1), ('B2', 'Taza O''Neil', 10.00, 9, 0, 2), "
        "('XFDD1', 'no va', 1, 1, 1, 1), ('XFCT9', 'tampoco', 1, 1, 1, 2);"
        "INSERT INTO lineas VALUES (1, 'Bebidas'), (2, 'Loza');"));
    creaHost(srv, pos.nombre());
    Salida s = apuntaATienda(srv, web.nombre());
    ASSERT_EQ(s.estado, 0) << s.err.toStdString();

    s = corre({QStringLiteral("-enviar")});
    EXPECT_EQ(s.estado, 0) << s.err.toStdString();
    const QStringList lineas = s.out.trimmed().split(QLatin1Char('\n'));
    ASSERT_FALSE(lineas.isEmpty());
    EXPECT_EQ(lineas.last(), QStringLiteral("Productos enviados: 2 de 2 (nuevos: 2)"));
    EXPECT_EQ(web.filas(QStringLiteral("SELECT meta_value FROM wp_postmeta WHERE meta_key='_sku' ORDER BY meta_value")),
              (QStringList{QStringLiteral("A1"), QStringLiteral("B2")}));
    EXPECT_EQ(web.valor(QStringLiteral("SELECT post_title FROM wp_posts p JOIN wp_postmeta m ON m.post_id=p.ID "
                                       "WHERE m.meta_key='_sku' AND m.meta_value='B2'")),
              QStringLiteral("Taza O'Neil"));

    // To a pipe only what was created or changed is listed; every product with "-todos".
    pos.ejecuta(QStringLiteral("UPDATE productos SET Existencia = 7 WHERE Clave = 'B2'"));
    for (const auto& [args, esperadas] :
         {std::pair{QStringList{QStringLiteral("-enviar")}, QStringList{QStringLiteral("2 de 2  B2  Descripción: Taza O'Neil  (cambiado)")}},
          std::pair{QStringList{QStringLiteral("-enviar"), QStringLiteral("-todos")},
                    QStringList{QStringLiteral("1 de 2  A1  Descripción: Café Ñandú"),
                                QStringLiteral("2 de 2  B2  Descripción: Taza O'Neil")}}}) {
        s = corre(args);
        EXPECT_EQ(s.estado, 0) << s.err.toStdString();
        EXPECT_EQ(s.out.split(QLatin1Char('\n')).filter(QStringLiteral("Descripción:")), esperadas) << s.out.toStdString();
    }

    // Marked lines are read from the selection file: only line 2 now, and nothing new.
    ArchivoIniTexto::escribe(carpeta() + QStringLiteral("/LineasAenviar.ini"), QStringLiteral("Líneas a pasar"),
                             QStringLiteral("Linea 2"), QStringLiteral("1"));
    s = corre({QStringLiteral("-enviar")});
    EXPECT_EQ(s.estado, 0) << s.err.toStdString();
    EXPECT_TRUE(s.out.trimmed().endsWith(QStringLiteral("\nProductos enviados: 1 de 1 (nuevos: 0)")))
        << s.out.toStdString();

    // A database that cannot be opened is named, with its host and port, the server's words and
    // what to check, on standard error, in -historial and in the log; exit 1, nothing written.
    const QString donde = QStringLiteral("%1:%2").arg(srv.host).arg(srv.puerto);
    struct Caso {
        QStringList ajuste;
        QString esperado, revisar;
    };
    const Caso casos[] = {
        {{QStringLiteral("Contraseña WEB=equivocada")},
         QStringLiteral("de la tienda «%1» en %2: [MySQL 1045]").arg(web.nombre(), donde), QStringLiteral("contraseña")},
        {{QStringLiteral("Contraseña WEB=") + srv.clave, QStringLiteral("Puerto=1")},  // nothing listens there
         QStringLiteral("de la tienda «%1» en %2:1: [MySQL 200").arg(web.nombre(), srv.host), QStringLiteral("en marcha")},
        {{QStringLiteral("Puerto=") + QString::number(srv.puerto), QStringLiteral("Base de datos principal=no_existe")},
         QStringLiteral("del punto de venta «no_existe» en %1: [MySQL 1049]").arg(donde), QStringLiteral("Base de datos SRN")}};
    for (const Caso& c : casos) {
        ASSERT_EQ(corre(QStringList{QStringLiteral("-ajustar")} + c.ajuste).estado, 0);
        s = corre({QStringLiteral("-enviar")});
        EXPECT_EQ(s.estado, 1);
        EXPECT_TRUE(s.out.trimmed().endsWith(QStringLiteral("Productos enviados: ninguno (no se llegaron a leer)")))
            << s.out.toStdString();
        const QString historial = corre({QStringLiteral("-historial")}).out.split(QLatin1Char('\n')).value(1);
        QFile log(carpeta() + QStringLiteral("/moravi.log"));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        const QString ultimas = QString::fromUtf8(log.readAll()).trimmed().section(QLatin1Char('\n'), -2);
        for (const QString& dicho : {s.err, historial, ultimas}) {
            EXPECT_TRUE(dicho.contains(QStringLiteral("no se pudo abrir la base de datos ") + c.esperado)) << dicho.toStdString();
            EXPECT_TRUE(dicho.contains(c.revisar)) << dicho.toStdString();
        }
        EXPECT_TRUE(historial.contains(QStringLiteral("productos sin leer"))) << historial.toStdString();
    }
    EXPECT_EQ(web.valor(QStringLiteral("SELECT COUNT(*) FROM wp_posts")), QStringLiteral("2"));
}

// "-h" needs no display; a key "-ajustar" does not know is answered with the ones it does.
// WordPress's *_gmt columns hold UTC, whatever zone the shop's computer is in: a post's local
// date and its UTC date differ by that zone's offset, and the UTC date is now.
TEST_F(Ejecutable, GmtColumnsHoldRealUtcWhateverTheComputersZone) {
    const prueba::ServidorBD srv = prueba::servidorBD();
    const QString sinZona = prueba::SinZonaPorProceso();
    QStringList zonas{QStringLiteral("Asia/Kolkata"), QStringLiteral("Europe/Madrid"), QStringLiteral("America/Mexico_City")};
    if (!sinZona.isEmpty()) {
        std::printf("%s\n", qPrintable(sinZona));
        zonas = QStringList{QString()};  // the computer's own
    }
    for (const QString& z : zonas) {
        zona = z;
        SCOPED_TRACE(z.toStdString());
        prueba::BaseTemporal pos({QStringLiteral("pos-tables.sql")});
        prueba::BaseTemporal web({QStringLiteral("wordpress-tables.sql")});
        pos.ejecuta(QStringLiteral("INSERT INTO productos (Clave, Descrip, Precio1, Existencia, Linea) VALUES ('A1', 'Café', 12, 3, 1);"
                                   "INSERT INTO lineas VALUES (1, 'Bebidas');"));
        creaHost(srv, pos.nombre());
        ASSERT_EQ(apuntaATienda(srv, web.nombre()).estado, 0);
        const int desfase = zona.isEmpty() ? QDateTime::currentDateTime().offsetFromUtc()
                                           : QTimeZone(zona.toLatin1()).offsetFromUtc(QDateTime::currentDateTimeUtc());
        for (const QString& precio : {QStringLiteral("12"), QStringLiteral("13")}) {  // created, then changed
            pos.ejecuta(QStringLiteral("UPDATE productos SET Precio1 = ") + precio);
            const Salida s = corre({QStringLiteral("-enviar")});
            ASSERT_EQ(s.estado, 0) << s.err.toStdString();
            EXPECT_EQ(web.filas(QStringLiteral(
                          "SELECT CONCAT_WS('|', TIMESTAMPDIFF(SECOND, post_date_gmt, post_date), "
                          "TIMESTAMPDIFF(SECOND, post_modified_gmt, post_modified), "
                          "ABS(TIMESTAMPDIFF(SECOND, post_date_gmt, UTC_TIMESTAMP())) < 60, "
                          "ABS(TIMESTAMPDIFF(SECOND, post_modified_gmt, UTC_TIMESTAMP())) < 60) FROM wp_posts")),
                      QStringList{QStringLiteral("%1|%1|1|1").arg(desfase)})
                << "price " << precio.toStdString();
        }
    }
}

TEST_F(Ejecutable, HelpNamesEverySwitchAndAjustarListsTheKeys) {
    for (const QString& ayuda : {QStringLiteral("-h"), QStringLiteral("--help")}) {
        const Salida s = corre({ayuda});
        EXPECT_EQ(s.estado, 0) << s.err.toStdString();
        for (const char* opcion : {"-torva", "-enviar ", "-todos", "-prueba", "-historial", "-ajustar", "--help"})
            EXPECT_TRUE(s.out.contains(QString::fromUtf8(opcion))) << opcion << s.out.toStdString();
    }
    const Salida s = corre({QStringLiteral("-ajustar"), QStringLiteral("Base WEB=x")});
    EXPECT_EQ(s.estado, 2);
    EXPECT_TRUE(s.err.contains(QStringLiteral("Claves válidas"))) << s.err.toStdString();
    for (const char* clave : {"Ruta de Sartenal Premium", "Base de datos WEB", "Cifrado de la conexión WEB"})
        EXPECT_TRUE(s.err.contains(QStringLiteral("\n  ") + QString::fromUtf8(clave) + u'\n')) << clave;
}

// A mistyped switch from cron does nothing and says so (exit 2); the window without a display
// says in Spanish that there is none and which switches need none (exit 1). "-torva" is taken
// anywhere, so only the missing display stops that run.
TEST_F(Ejecutable, UnknownSwitchExits2AndWindowWithoutDisplayExits1) {
    struct Caso {
        QStringList args;
        int estado;
        const char* dice;
    };
    const Caso casos[] = {
        {{QStringLiteral("-enviat")}, 2, "opción desconocida \"-enviat\""},
        {{QStringLiteral("-enviar"), QStringLiteral("-todoss")}, 2, "opción desconocida \"-todoss\""},
        {{QStringLiteral("-enviarx")}, 2, "opción desconocida \"-enviarx\""},
        {{}, 1, "no hay pantalla"},
        {{QStringLiteral("x-torvay")}, 1, "no hay pantalla"},
    };
#ifdef Q_OS_WIN
    const bool sinPantallaPosible = false;  // a Windows session always has its desktop
#else
    const bool sinPantallaPosible = true;
#endif
    for (const Caso& c : casos) {
        if (c.estado == 1 && !sinPantallaPosible) continue;
        const Salida s = corre(c.args);
        const std::string cual = c.args.join(u' ').toStdString();
        EXPECT_EQ(s.estado, c.estado) << cual << s.err.toStdString();
        EXPECT_TRUE(s.err.contains(QString::fromUtf8(c.dice))) << cual << s.err.toStdString();
        if (c.estado == 2) EXPECT_TRUE(s.err.contains(QStringLiteral("Uso: moravi"))) << s.err.toStdString();
        else EXPECT_TRUE(s.err.contains(QStringLiteral("Sin pantalla funcionan: -enviar"))) << s.err.toStdString();
        // Nothing ran: not even the settings file was created.
        EXPECT_FALSE(QFileInfo::exists(ini())) << cual;
    }
    if (!sinPantallaPosible) GTEST_SKIP() << "the window without a display: Windows always has one (the unknown switches were checked)";
}

// A second start from the same folder shows the running window and ends; the headless modes
// and a copy in another folder run beside it.
TEST_F(Ejecutable, OneWindowPerProgramFolder) {
    const prueba::ServidorBD srv = prueba::servidorBD();
    prueba::BaseTemporal pos({QStringLiteral("pos-tables.sql")});
    creaHost(srv, pos.nombre());
    QProcessEnvironment e = entorno();
    e.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("moravi.app.info=true"));
    QProcess primera;
    primera.setProcessEnvironment(e);
    primera.start(exe(), {});
    ASSERT_TRUE(primera.waitForStarted());
    // Started when the settings file has its keys.
    for (int i = 0; i < 200 && ArchivoIniTexto::lee(ini(), kConf, QStringLiteral("Número de precio a actualizar")).isEmpty(); ++i)
        QThread::msleep(50);
    QProcess segunda;
    segunda.setProcessEnvironment(e);
    segunda.start(exe(), {QStringLiteral("-torva")});
    ASSERT_TRUE(segunda.waitForFinished(30000));
    EXPECT_EQ(segunda.exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(segunda.readAllStandardError()).contains(QStringLiteral("ya está abierto")));
    QString oido;
    for (int i = 0; i < 100 && !oido.contains(QStringLiteral("se muestra la ventana")); ++i) {
        primera.waitForReadyRead(100);
        oido += texto(primera.readAllStandardError());
    }
    EXPECT_TRUE(oido.contains(QStringLiteral("Otra copia arrancó desde esta carpeta"))) << oido.toStdString();
    EXPECT_EQ(corre({QStringLiteral("-historial")}).estado, 0);
    EXPECT_EQ(corre({QStringLiteral("-ajustar"), QStringLiteral("Puerto=3306")}).estado, 0);

    const QString otra = dir.filePath(QStringLiteral("otra"));
    instala(otra);
    QFile::copy(ini(), otra + QStringLiteral("/moravi.ini"));
    QProcess aparte;
    aparte.setProcessEnvironment(e);
    aparte.start(otra + kExe, {});
    ASSERT_TRUE(aparte.waitForStarted());
    // Another folder is another program: the copy there takes its own instance (its lock file
    // appears), and a second start there is the one sent away.
    const QString candado = QDir::temp().filePath(InstanciaUnica::Nombre(otra) + QStringLiteral(".lock"));
    for (int i = 0; i < 200 && !QFile::exists(candado); ++i) QThread::msleep(50);
    ASSERT_TRUE(QFile::exists(candado));
    QProcess tercera;
    tercera.setProcessEnvironment(e);
    tercera.start(otra + kExe, {});
    ASSERT_TRUE(tercera.waitForFinished(30000));
    EXPECT_TRUE(QString::fromUtf8(tercera.readAllStandardError()).contains(QStringLiteral("ya está abierto")));
    EXPECT_EQ(aparte.state(), QProcess::Running);
    EXPECT_EQ(primera.state(), QProcess::Running);
    for (QProcess* p : {&primera, &aparte}) {
        p->kill();
        p->waitForFinished();
    }
}

TEST_F(Ejecutable, HistorialPrintsTheSendsAndALogIsKeptBesideTheSettings) {
    Salida s = corre({QStringLiteral("-historial")});
    EXPECT_EQ(s.estado, 0) << s.err.toStdString();
    EXPECT_TRUE(s.out.startsWith(QStringLiteral("No hay envíos registrados"))) << s.out.toStdString();

    const prueba::ServidorBD srv = prueba::servidorBD();
    prueba::BaseTemporal pos({QStringLiteral("pos-tables.sql")});
    prueba::BaseTemporal web({QStringLiteral("wordpress-tables.sql")});
    pos.ejecuta(QStringLiteral("INSERT INTO productos (Clave, Descrip, Precio1, Existencia, Linea) VALUES "
                               "('A1', 'Uno', 10, 3, 1), ('B2', 'Dos', 5, 0, 1)"));
    creaHost(srv, pos.nombre());
    ASSERT_EQ(apuntaATienda(srv, web.nombre()).estado, 0);
    // Output to a pipe: a line per chunk, then the values changed and the time, then the total.
    s = corre({QStringLiteral("-enviar")});
    EXPECT_EQ(s.estado, 0) << s.err.toStdString();
    QStringList lineas = s.out.trimmed().split(QLatin1Char('\n'));
    ASSERT_GE(lineas.size(), 3);
    EXPECT_FALSE(s.out.contains(QLatin1Char('\r')));
    EXPECT_EQ(lineas.last(), QStringLiteral("Productos enviados: 2 de 2 (nuevos: 2)"));
    EXPECT_TRUE(lineas[lineas.size() - 2].startsWith(QStringLiteral("Valores cambiados: 0, tiempo: ")))
        << lineas[lineas.size() - 2].toStdString();
    // The shop refuses every new value: the one chunk fails whole, and the log names the product it began with.
    pos.ejecuta(QStringLiteral("INSERT INTO productos (Clave, Descrip, Precio1, Existencia, Linea) VALUES ('C3', 'Tres', 1, 1, 1)"));
    web.ejecuta(QStringLiteral("CREATE TRIGGER rechaza BEFORE INSERT ON wp_postmeta FOR EACH ROW SIGNAL SQLSTATE '45000' "
                               "SET MESSAGE_TEXT = 'no\\nva'"));
    s = corre({QStringLiteral("-enviar")});
    EXPECT_EQ(s.estado, 1);
    EXPECT_TRUE(s.out.trimmed().endsWith(QStringLiteral("Productos enviados: 0 de 3 (nuevos: 0)"))) << s.out.toStdString();

    s = corre({QStringLiteral("-historial")});
    EXPECT_EQ(s.estado, 0) << s.err.toStdString();
    lineas = s.out.trimmed().split(QLatin1Char('\n'));
    ASSERT_EQ(lineas.size(), 3) << s.out.toStdString();
    EXPECT_TRUE(lineas[0].startsWith(QStringLiteral("Últimos 2 envíos"))) << lineas[0].toStdString();
    EXPECT_TRUE(lineas[1].contains(QStringLiteral("productos 0 de 3  nuevos 0  cambiados 0  falló: el envío no terminó: ")))
        << lineas[1].toStdString();
    EXPECT_TRUE(lineas[1].contains(QStringLiteral("no\\nva"))) << "a line break from the data stays escaped";
    EXPECT_TRUE(lineas[2].contains(QStringLiteral("productos 2 de 2  nuevos 2  cambiados 0  completo")))
        << lineas[2].toStdString();

    QFile log(carpeta() + QStringLiteral("/moravi.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QStringList registro = QString::fromUtf8(log.readAll()).trimmed().split(QLatin1Char('\n'));
    ASSERT_EQ(registro.size(), 3) << registro.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(registro[0].contains(QStringLiteral(" envío: ")));
    EXPECT_TRUE(registro[1].contains(QStringLiteral(" error: clave A1: el envío no terminó: "))) << registro[1].toStdString();
    EXPECT_TRUE(registro[2].contains(QStringLiteral(" envío: ")));

    // On a terminal (a real pseudo-terminal through script(1)): one line updated in place.
    web.ejecuta(QStringLiteral("DROP TRIGGER rechaza"));
    if (const QString sinTerminal = prueba::SinProgramasLinux(); sinTerminal.isEmpty()) {
        QProcess terminal;
        QProcessEnvironment e = entorno();
        e.remove(QStringLiteral("QT_QPA_PLATFORM"));
        terminal.setProcessEnvironment(e);
        terminal.start(QStringLiteral("script"), {QStringLiteral("-qefc"), QLatin1Char('"') + exe() + QStringLiteral("\" -enviar"), QStringLiteral("/dev/null")});
        ASSERT_TRUE(terminal.waitForStarted()) << "script(1), from util-linux";
        terminal.waitForFinished(120000);
        EXPECT_EQ(terminal.exitCode(), 0);
        const QString enTerminal = texto(terminal.readAllStandardOutput());
        EXPECT_TRUE(enTerminal.contains(QStringLiteral("\rProductos 3 de 3"))) << enTerminal.toStdString();
        EXPECT_FALSE(enTerminal.contains(QStringLiteral("3 de 3  "))) << "no line per chunk";
        EXPECT_TRUE(enTerminal.trimmed().endsWith(QStringLiteral("Productos enviados: 3 de 3 (nuevos: 1)"))) << enTerminal.toStdString();
    } else {
        std::printf("La salida en una terminal no se prueba: %s\n", qPrintable(sinTerminal));
    }

    // A history that is not ours is set aside with a message.
    QFile h(carpeta() + QStringLiteral("/moravi-historial.json"));
    ASSERT_TRUE(h.open(QIODevice::WriteOnly | QIODevice::Truncate));
    h.write("basura");
    h.close();
    s = corre({QStringLiteral("-historial")});
    EXPECT_EQ(s.estado, 1);
    EXPECT_TRUE(s.err.contains(QStringLiteral("se apartó como"))) << s.err.toStdString();
    EXPECT_TRUE(QFile::exists(carpeta() + QStringLiteral("/moravi-historial.json.danado")));
}

// The same send with one warning as the window's (Historial.ASendWithAWarning...): one log
// line for it, and a history entry that says it.
TEST_F(Ejecutable, ASendWithAWarningLogsItOnceAndTheHistoryShowsIt) {
    const prueba::ServidorBD srv = prueba::servidorBD();
    prueba::BaseTemporal pos({QStringLiteral("pos-tables.sql")});
    prueba::BaseTemporal web({QStringLiteral("wordpress-tables.sql")});
    pos.ejecuta(QStringLiteral("DROP TABLE configura"));
    pos.ejecuta(QStringLiteral("INSERT INTO productos (Clave, Descrip, Precio1, Existencia, Linea) VALUES ('A1', 'Uno', 10, 1, 1)"));
    creaHost(srv, pos.nombre());
    ASSERT_EQ(apuntaATienda(srv, web.nombre()).estado, 0);
    Salida s = corre({QStringLiteral("-enviar")});
    EXPECT_EQ(s.estado, 0) << "every product was sent and nothing was cut: " << s.err.toStdString();
    const QString aviso = QStringLiteral("el punto de venta no tiene la tabla «configura»");
    EXPECT_EQ(s.err.count(QStringLiteral("Aviso: ") + aviso), 1) << s.err.toStdString();
    QFile log(carpeta() + QStringLiteral("/moravi.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString registro = QString::fromUtf8(log.readAll());
    EXPECT_EQ(registro.count(aviso), 1) << registro.toStdString();
    EXPECT_TRUE(registro.contains(QStringLiteral("productos 1 de 1  nuevos 1  cambiados 0  completo, con 1 aviso\n")))
        << registro.toStdString();
    s = corre({QStringLiteral("-historial")});
    EXPECT_TRUE(s.out.contains(QStringLiteral("completo, con avisos: ") + aviso)) << s.out.toStdString();
}

TEST_F(Ejecutable, WindowStartRegistersAutostartOnceAndAgainWhenMoved) {
    SALTA_SI(prueba::SinEntradaDeEscritorio());
    const prueba::ServidorBD srv = prueba::servidorBD();
    prueba::BaseTemporal pos({QStringLiteral("pos-tables.sql")});
    creaHost(srv, pos.nombre());
    const QString entrada = config.filePath(QStringLiteral("autostart/moravi.desktop"));
    auto leeEntrada = [&] {
        QFile f(entrada);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    };
    // `cambia`: the start is expected to rewrite the entry, so it is waited for (a slow start,
    // under the sanitizers or a busy machine, takes longer than the fixed pause).
    auto arranca = [&](const QString& programa, bool cambia = false) {
        const QString antes = leeEntrada();
        QProcess p;
        p.setProcessEnvironment(entorno());
        p.start(programa, {});
        EXPECT_TRUE(p.waitForStarted());
        // The window program runs until it is closed: wait for it to hold its folder's lock
        // (it takes TERM by then) and for its start-up to have written the settings file,
        // then end it.
        const QString candado =
            QDir::temp().filePath(InstanciaUnica::Nombre(QFileInfo(programa).path()) + QStringLiteral(".lock"));
        for (int i = 0; i < 200 && !QFile::exists(candado); ++i) QThread::msleep(50);
        for (int i = 0; i < 200 && ArchivoIniTexto::lee(QFileInfo(programa).path() + QStringLiteral("/moravi.ini"), kConf,
                                                        QStringLiteral("Número de precio a actualizar"))
                                       .isEmpty();
             ++i)
            QThread::msleep(50);
        for (int i = 0; i < 100 && !QFile::exists(entrada); ++i) QThread::msleep(50);
        for (int i = 0; cambia && i < 200 && leeEntrada() == antes; ++i) QThread::msleep(50);
        QThread::msleep(300);
        EXPECT_EQ(p.state(), QProcess::Running) << "the program keeps running behind its window";
        // A TERM (log-out, systemd) ends it as "Terminar" does, saving what it saves at shutdown.
        p.terminate();
        EXPECT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0);
        EXPECT_FALSE(ArchivoIniTexto::lee(QFileInfo(programa).path() + QStringLiteral("/moravi.ini"), QStringLiteral("Reja"),
                                          QStringLiteral("Columna 1"))
                         .isEmpty());
    };
    arranca(exe());
    const QString primera = leeEntrada();
    EXPECT_TRUE(primera.contains(QStringLiteral("Exec=\"") + exe() + QLatin1Char('"'))) << primera.toStdString();
    // Written only when it differs: a second start from the same folder leaves it as it is.
    {
        QFile f(entrada);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("# marca\n");
    }
    arranca(exe());
    EXPECT_TRUE(leeEntrada().contains(QStringLiteral("# marca")));
    // From another folder it is rewritten with the new path, escaped as the entry's format wants.
    const QString otra = dir.filePath(QStringLiteral("otra $x%"));
    instala(otra);
    QFile::copy(ini(), otra + QStringLiteral("/moravi.ini"));
    arranca(otra + kExe, true);
    const QString nueva = leeEntrada();
    EXPECT_TRUE(nueva.contains(QStringLiteral("Exec=\"") + dir.path() + QStringLiteral("/otra \\\\$x%%/moravi\"")))
        << nueva.toStdString();
    EXPECT_FALSE(nueva.contains(QStringLiteral("# marca")));
}

// Keys, descriptions and a server's message reach the terminal with their control characters
// written out: no colour, no cursor movement, no line the program did not print.
TEST_F(Ejecutable, HeadlessSendShowsControlCharactersFromTheDataEscaped) {
    const prueba::ServidorBD srv = prueba::servidorBD();
    prueba::BaseTemporal pos({QStringLiteral("pos-tables.sql")});
    prueba::BaseTemporal web({QStringLiteral("wordpress-tables.sql")});
    pos.ejecuta(QStringLiteral(
        "INSERT INTO productos (Clave, Descrip, Precio1, Existencia, Linea) VALUES "
        "('E1', CONCAT('rojo', CHAR(27), '[31m', CHAR(10), '3 de 3 FALSO'), 5, 1, 1), "
        "(CONCAT('K', CHAR(13), 'Z'), CONCAT('tab', CHAR(9), 'fin', CHAR(127)), 6, 1, 1)"));
    creaHost(srv, pos.nombre());
    ASSERT_EQ(apuntaATienda(srv, web.nombre()).estado, 0);
    const auto sinControles = [](const QString& texto) {
        for (const QChar c : texto)
            if ((c.unicode() < 0x20 && c != QLatin1Char('\n')) || c.unicode() == 0x7f) return false;
        return true;
    };

    // The preview first: what would be created, escaped too, and nothing written.
    Salida s = corre({QStringLiteral("-enviar"), QStringLiteral("-prueba")});
    EXPECT_EQ(s.estado, 0) << s.err.toStdString();
    EXPECT_TRUE(sinControles(s.out)) << s.out.toStdString();
    EXPECT_TRUE(s.out.contains(QStringLiteral("Nuevo: E1 «rojo\\x1b[31m\\n3 de 3 FALSO» (nombre: rojo31m3-de-3-falso)\n")))
        << s.out.toStdString();
    EXPECT_EQ(s.out.trimmed().split(QLatin1Char('\n')).last(),
              QStringLiteral("Vista previa: 2 de 2 productos cambiarían (nuevos: 2)"));
    EXPECT_EQ(web.valor(QStringLiteral("SELECT COUNT(*) FROM wp_posts")), QStringLiteral("0"));

    s = corre({QStringLiteral("-enviar")});
    EXPECT_EQ(s.estado, 0) << s.err.toStdString();
    EXPECT_TRUE(sinControles(s.out)) << s.out.toStdString();
    const QStringList lineas = s.out.trimmed().split(QLatin1Char('\n'));
    EXPECT_FALSE(lineas.contains(QStringLiteral("3 de 3 FALSO"))) << s.out.toStdString();
    EXPECT_TRUE(s.out.contains(QStringLiteral("E1  Descripción: rojo\\x1b[31m\\n3 de 3 FALSO  (nuevo)\n"))) << s.out.toStdString();
    EXPECT_TRUE(s.out.contains(QStringLiteral("K\\rZ  Descripción: tab\\tfin\\x7f  (nuevo)\n"))) << s.out.toStdString();
    EXPECT_EQ(lineas.last(), QStringLiteral("Productos enviados: 2 de 2 (nuevos: 2)"));
    // The key with a carriage return is the shop's SKU as it stands.
    EXPECT_EQ(web.valor(QStringLiteral("SELECT COUNT(*) FROM wp_postmeta WHERE meta_key='_sku' AND meta_value=CONCAT('K', "
                                       "CHAR(13), 'Z')")),
              QStringLiteral("1"));

    // A server's message on standard error: no line of its own.
    web.ejecuta(QStringLiteral(
        "CREATE TRIGGER rechaza BEFORE UPDATE ON wp_posts FOR EACH ROW BEGIN DECLARE m VARCHAR(100) DEFAULT "
        "CONCAT('mal', CHAR(27 USING utf8mb4), '[2J', CHAR(10 USING utf8mb4), 'Productos enviados: 9 de 9'); "
        "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = m; END"));
    s = corre({QStringLiteral("-enviar")});
    EXPECT_EQ(s.estado, 1);
    EXPECT_TRUE(sinControles(s.err)) << s.err.toStdString();
    // (The server writes the escape out itself, its own way; the line feed comes through as it is.)
    EXPECT_TRUE(s.err.contains(QStringLiteral("mal\\001B[2J\\nProductos enviados: 9 de 9"))) << s.err.toStdString();
    EXPECT_TRUE(s.out.trimmed().endsWith(QStringLiteral("\nProductos enviados: 0 de 2 (nuevos: 0)"))) << s.out.toStdString();
}


// Sends started together (cron beside the log-on start, after an update added keys) each add
// the keys the settings lack: every value stays and every key is there afterwards, in the
// program's settings and in the point of sale's S0W.ini. Nothing answers on the point of sale's
// port, so each run reads its settings and ends at once. Bounded: 20 rounds of 4, at most 90 s.
TEST_F(Ejecutable, SendsStartedTogetherKeepEverySettingAndAddEveryMissingKey) {
    QDir().mkpath(host());
    const QString ajustes = QStringLiteral(
                                "[Configuración]\nRuta de Sartenal Premium=%1\nBase de datos principal=tienda1\n"
                                "Contraseña WEB=%2\nBase de datos WEB=%3\nPuerto=3307\n")
                                .arg(host(), Mezcla::encripta(QStringLiteral("secreta")), Mezcla::encripta(QStringLiteral("shop")));
    const QByteArray s0w = "[S0W]\nMySQLServer=127.0.0.1\nMySQLPuerto=1\nMySQLPassword=" +
                           Mezcla::encripta(QStringLiteral("pv")).toUtf8() + "\n";
    const auto pon = [](const QString& ruta, const QByteArray& datos) {
        QFile f(ruta);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(datos) == datos.size();
    };
    QStringList claves{Claves::kRutaHost, Claves::kBasePrincipal};
    for (const Claves::Clave& c : Claves::deEnvio()) claves << c.nombre;
    QProcessEnvironment e = entorno();
    for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) e.remove(QString::fromLatin1(v));

    const QDeadlineTimer tope(90000);
    int rondas = 0;
    for (; rondas < 20 && !tope.hasExpired(); ++rondas) {
        ASSERT_TRUE(pon(ini(), ajustes.toUtf8()) && pon(host() + QStringLiteral("/S0W.ini"), s0w));
        std::vector<std::unique_ptr<QProcess>> envios;
        for (int i = 0; i < 4; ++i) {
            envios.push_back(std::make_unique<QProcess>());
            envios.back()->setProcessEnvironment(e);
            envios.back()->start(exe(), {QStringLiteral("-enviar")});
        }
        for (auto& p : envios) {
            ASSERT_TRUE(p->waitForFinished(30000)) << "round " << rondas;
            ASSERT_EQ(p->exitCode(), 1) << "the point of sale is not there: " << p->readAllStandardError().toStdString();
        }
        const auto lee = [&](const QString& clave) { return ArchivoIniTexto::lee(ini(), kConf, clave); };
        ASSERT_EQ(lee(Claves::kRutaHost), host()) << "round " << rondas;
        ASSERT_EQ(lee(Claves::kBasePrincipal), QStringLiteral("tienda1")) << "round " << rondas;
        ASSERT_EQ(Mezcla::desencripta(lee(QStringLiteral("Contraseña WEB"))), QStringLiteral("secreta")) << "round " << rondas;
        ASSERT_EQ(Mezcla::desencripta(lee(QStringLiteral("Base de datos WEB"))), QStringLiteral("shop")) << "round " << rondas;
        ASSERT_EQ(lee(Claves::kPuerto), QStringLiteral("3307")) << "round " << rondas;
        for (const QString& clave : claves) {
            const Claves::Clave* c = Claves::busca(clave);
            ASSERT_TRUE(c->defecto.isEmpty() || !lee(clave).isEmpty()) << clave.toStdString() << ", round " << rondas;
        }
        const QString s0wIni = host() + QStringLiteral("/S0W.ini");
        ASSERT_EQ(ArchivoIniTexto::lee(s0wIni, QStringLiteral("S0W"), QStringLiteral("MySQLPuerto")), QStringLiteral("1"));
        ASSERT_EQ(Mezcla::desencripta(ArchivoIniTexto::lee(s0wIni, QStringLiteral("S0W"), QStringLiteral("MySQLPassword"))),
                  QStringLiteral("pv"));
        ASSERT_EQ(Mezcla::desencripta(ArchivoIniTexto::lee(s0wIni, QStringLiteral("S0W"), QStringLiteral("MySQLUsuario"))),
                  QStringLiteral("root"))
            << "round " << rondas;
    }
    EXPECT_GE(rondas, 3) << "too few rounds to tell";
    EXPECT_FALSE(QFile::exists(ini() + QStringLiteral(".lock"))) << "the lock file goes with its writer";
}

// TERM in the middle of a send is "Interrumpir": the chunk in flight ends whole, the send is
// recorded as interrupted (history and log) and the exit status is 1. 2,000 new products are
// three chunks, and a slow trigger makes each take a while.
// A port of 127.0.0.1 that nobody listens on now.
int puertoLibre() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost);
    return s.serverPort();
}

// Whether something accepts connections on `puerto` within ten seconds.
bool escucha(int puerto) {
    for (const QDeadlineTimer tope(10000); !tope.hasExpired(); QThread::msleep(100)) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(puerto));
        if (s.waitForConnected(1000)) return true;
    }
    return false;
}

// The shop's link dies while a chunk is in flight (the relay between the program and the shop's
// server is killed): the error names the shop's database, where it is and what to check, on the
// terminal, in the history and in the log, like every failure to open it. It dies inside the
// second chunk, after that chunk's first statements have run: its meta rows turn slow once the
// first chunk is in.
TEST_F(Ejecutable, ConnectionLostInTheMiddleOfASendNamesTheShopsDatabase) {
    SALTA_SI(prueba::SinProgramasLinux());  // the relay is a Python program
    const prueba::ServidorBD srv = prueba::servidorBD();
    prueba::BaseTemporal pos({QStringLiteral("pos-tables.sql")});
    prueba::BaseTemporal web({QStringLiteral("wordpress-tables.sql")});
    llenaEnvioLento(pos, web, QStringLiteral("0"));
    // Not transactional: the next statement sees the switch, whatever its transaction's snapshot.
    web.ejecuta(QStringLiteral("CREATE TABLE lentitud (activa INT) ENGINE=MyISAM"));
    web.ejecuta(QStringLiteral("INSERT INTO lentitud VALUES (0)"));
    web.ejecuta(QStringLiteral("CREATE TRIGGER meta_lenta BEFORE INSERT ON wp_postmeta FOR EACH ROW "
                               "SET @espera = IF((SELECT activa FROM lentitud) = 1, SLEEP(0.004), 0)"));
    creaHost(srv, pos.nombre());
    const int puerto = puertoLibre();
    QProcess relevo;
    relevo.start(QStringLiteral("python3"), {QStringLiteral(MORAVI_BENCH_DIR "/proxy_retardo.py"), QStringLiteral("--puerto"),
                                             QString::number(puerto), QStringLiteral("--destino"),
                                             QStringLiteral("%1:%2").arg(srv.host).arg(srv.puerto), QStringLiteral("--rtt"),
                                             QStringLiteral("0"), QStringLiteral("--estadisticas"),
                                             dir.filePath(QStringLiteral("idas"))});
    ASSERT_TRUE(relevo.waitForStarted());
    ASSERT_TRUE(escucha(puerto)) << relevo.readAllStandardError().toStdString();
    prueba::ServidorBD pasando = srv;
    pasando.host = QStringLiteral("127.0.0.1");
    pasando.puerto = puerto;
    ASSERT_EQ(apuntaATienda(pasando, web.nombre()).estado, 0);

    QProcess p;
    QString salida;
    ASSERT_NO_FATAL_FAILURE(enviaHastaElPrimerLote(p, salida));
    // The next chunk is under way: once the server sleeps among its meta rows, the relay dies.
    web.ejecuta(QStringLiteral("UPDATE lentitud SET activa = 1"));
    for (const QDeadlineTimer tope(60000);
         web.valor(QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE DB = DATABASE() "
                                  "AND STATE = 'User sleep'")) == QStringLiteral("0") &&
         !tope.hasExpired();)
        QThread::msleep(20);
    relevo.kill();
    relevo.waitForFinished();
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 1);
    // The server's end of the dead link would otherwise write the rest of the chunk before it
    // noticed, holding the test's database that long.
    for (const QString& id : web.filas(QStringLiteral(
             "SELECT ID FROM information_schema.PROCESSLIST WHERE DB = DATABASE() AND COMMAND = 'Query' AND ID <> CONNECTION_ID()")))
        web.ejecuta(QStringLiteral("KILL ") + id);
    const QString errores = texto(p.readAllStandardError());
    // The client's own words are quoted ("Lost connection", a TLS "unexpected eof"), in the
    // same form as a database that would not open.
    const QString donde = QStringLiteral("la base de datos de la tienda «%1» en 127.0.0.1:%2").arg(web.nombre()).arg(puerto);
    const QString revise = QStringLiteral("revise que el servidor de la tienda");
    EXPECT_TRUE(errores.contains(QStringLiteral("se perdió la conexión con ")) && errores.contains(donde) &&
                errores.contains(QStringLiteral(" en pleno envío: [MySQL ")) &&
                errores.contains(revise))
        << errores.toStdString();
    EXPECT_FALSE(errores.contains(QStringLiteral("El envío terminó por un error: [MySQL"))) << errores.toStdString();
    const Salida h = corre({QStringLiteral("-historial")});
    EXPECT_TRUE(h.out.contains(donde) && h.out.contains(revise)) << h.out.toStdString();
    QFile log(carpeta() + QStringLiteral("/moravi.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(log.readAll()).contains(donde));
}

TEST_F(Ejecutable, TermDuringASendEndsItAfterAWholeChunkAndRecordsIt) {
    const prueba::ServidorBD srv = prueba::servidorBD();
    prueba::BaseTemporal pos({QStringLiteral("pos-tables.sql")});
    prueba::BaseTemporal web({QStringLiteral("wordpress-tables.sql")});
    llenaEnvioLento(pos, web, QStringLiteral("0.002"));
    creaHost(srv, pos.nombre());
    ASSERT_EQ(apuntaATienda(srv, web.nombre()).estado, 0);

    QProcess p;
    QString salida;
    ASSERT_NO_FATAL_FAILURE(enviaHastaElPrimerLote(p, salida));
    // The next chunk is under way: TERM (on Windows, the log-off's question).
    QString sinSenal;
    const QString senal = prueba::Interrumpe(p, sinSenal);
    if (senal.isEmpty()) {
        p.kill();
        p.waitForFinished();
        GTEST_SKIP() << sinSenal.toStdString();
    }
    ASSERT_TRUE(p.waitForFinished(120000));
    salida += texto(p.readAllStandardOutput());
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << "it ended itself, not the signal";
    EXPECT_EQ(p.exitCode(), 1);

    const QString sku = web.valor(QStringLiteral("SELECT COUNT(*) FROM wp_postmeta WHERE meta_key = '_sku'"));
    const int k = sku.toInt();
    EXPECT_GT(k, 0);
    EXPECT_LT(k, 2000) << "interrupted before the end";
    EXPECT_TRUE(salida.contains(QStringLiteral("\n%1 de 2000  ").arg(k))) << "k is where a chunk ended";
    EXPECT_FALSE(salida.contains(QStringLiteral("\n%1 de 2000  ").arg(k + 1)));
    // Whole chunks only: every post has its key and its values.
    EXPECT_EQ(web.valor(QStringLiteral("SELECT COUNT(*) FROM wp_posts")), sku);
    EXPECT_EQ(web.valor(QStringLiteral("SELECT COUNT(*) FROM wp_postmeta WHERE meta_key = '_stock_status'")), sku);
    EXPECT_TRUE(salida.trimmed().endsWith(QStringLiteral("Productos enviados: %1 de 2000 (nuevos: %1)").arg(k)))
        << salida.toStdString();

    const QString interrumpido = QStringLiteral("productos %1 de 2000  nuevos %1  cambiados 0  interrumpido %1 de 2000").arg(k);
    const Salida h = corre({QStringLiteral("-historial")});
    EXPECT_TRUE(h.out.contains(interrumpido)) << h.out.toStdString();
    QFile log(carpeta() + QStringLiteral("/moravi.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString registro = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(registro.contains(QStringLiteral(" aviso: se recibió la señal %1: el envío se interrumpe\n").arg(senal)))
        << registro.toStdString();
    EXPECT_TRUE(registro.contains(QStringLiteral(" envío: ")) && registro.contains(interrumpido)) << registro.toStdString();
}

}
