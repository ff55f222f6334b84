// The shop's session over a real MariaDB: short server-side timeouts, TCP keepalive, and the
// three encryption choices against a server whose certificate a throwaway authority signed.
#include "platform/ConexionMySQL.h"
#include "servicelib/BasesDD.h"
#include "servicelib/CrearObjeto.h"
#include "support/ServidoresPrueba.h"
#include "support/Sistema.h"

#include <QFile>

#include <gtest/gtest.h>
#ifdef Q_OS_WIN
#include <winsock2.h>
#include <ws2tcpip.h>
using socklen_t = int;
#else
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

using namespace Qt::StringLiterals;

namespace {

AjustesConexion ajustesPrueba(const QString& base) {
    const prueba::ServidorBD s = prueba::servidorBD();
    return AjustesConexion{s.host, static_cast<std::uint16_t>(s.puerto), s.usuario, s.clave, base, Cifrado::Ninguno, {}};
}

// The option's value; a system may give fewer bytes than an int (Windows gives SO_KEEPALIVE in one).
int opcion(std::intptr_t s, int nivel, int nombre) {
    int v = 0;
    socklen_t largo = sizeof v;
    EXPECT_EQ(getsockopt(static_cast<decltype(socket(0, 0, 0))>(s), nivel, nombre, reinterpret_cast<char*>(&v), &largo), 0);
    return v;
}

QString valor(ConexionMySQL& c, const QString& sql) {
    const TablaLeida t = c.Consulta(sql);
    return t.filas.empty() ? u"(sin filas)"_s : t.filas.front().back().toString();
}

}  // namespace

TEST(SesionTienda, HasShortTimeoutsKeepaliveAndWordPressModes) {
    prueba::BaseTemporal base;
    ConexionMySQL c(ajustesPrueba(base.nombre()));
    EXPECT_EQ(valor(c, u"SELECT @@SESSION.wait_timeout"_s), u"300"_s);
    // 25 s, or the server's own setting when that is shorter (a test elsewhere may shorten it).
    EXPECT_EQ(valor(c, u"SELECT @@SESSION.innodb_lock_wait_timeout = LEAST(@@GLOBAL.innodb_lock_wait_timeout, 25)"_s),
              u"1"_s);
    EXPECT_LE(valor(c, u"SELECT @@SESSION.innodb_lock_wait_timeout"_s).toInt(), 25);
    // The same start-up statement still drops WordPress's modes.
    EXPECT_FALSE(valor(c, u"SELECT @@SESSION.sql_mode"_s).contains(u"STRICT_TRANS_TABLES"_s));

    const std::intptr_t s = c.socketDeRed();
    EXPECT_EQ(opcion(s, SOL_SOCKET, SO_KEEPALIVE), 1);
    // Windows sets the times with SIO_KEEPALIVE_VALS, which cannot be read back.
#if defined(TCP_KEEPIDLE) && defined(TCP_KEEPINTVL) && defined(TCP_KEEPCNT)
    EXPECT_EQ(opcion(s, IPPROTO_TCP, TCP_KEEPIDLE), 60);
    EXPECT_EQ(opcion(s, IPPROTO_TCP, TCP_KEEPINTVL), 10);
    EXPECT_EQ(opcion(s, IPPROTO_TCP, TCP_KEEPCNT), 6);
#endif
}

// A client whose network path died sends nothing more, not even a close: to the server it is a
// session gone quiet. Its send lock and its row locks must come free once the session's
// inactivity limit passes (two seconds here, five minutes in use), not after the server's hours.
TEST(SesionTienda, AQuietSessionLetsGoOfTheSendLockAndItsRows) {
    prueba::BaseTemporal base;
    base.ejecuta(u"CREATE TABLE t (id INT PRIMARY KEY, v INT) ENGINE=InnoDB; INSERT INTO t VALUES (1, 0)"_s);
    const QString candado = u"moravi-envio:"_s + base.nombre();

    AjustesConexion corta = ajustesPrueba(base.nombre());
    corta.esperaInactiva = 2;
    ConexionMySQL muda(corta);
    ASSERT_TRUE(muda.TomaCandado(candado, 0));
    muda.BeginTrans();
    muda.Execute(u"UPDATE t SET v = 1 WHERE id = 1"_s);

    ConexionMySQL otra(ajustesPrueba(base.nombre()));
    EXPECT_FALSE(otra.TomaCandado(candado, 0));  // held while the first session lives
    EXPECT_GE(otra.InactividadDelCandado(candado), 0) << "its holder is seen";
    EXPECT_EQ(otra.InactividadDelCandado(candado + u"-otro"_s), -1) << "a lock nobody holds";
    // Waits up to 20 s for the lock; the quiet session is ended after 2 s.
    EXPECT_TRUE(otra.TomaCandado(candado, 20));
    otra.Execute(u"UPDATE t SET v = 2 WHERE id = 1"_s);  // the row lock went with it
    EXPECT_EQ(valor(otra, u"SELECT v FROM t WHERE id = 1"_s), u"2"_s);
    EXPECT_FALSE(muda.Viva());
    EXPECT_EQ(otra.InactividadDelCandado(candado), 0) << "held now by the session that asks, which is running";
}

TEST(SesionTienda, EncryptionChoicesAndCertificateChecks) {
    const prueba::Certificados cert = prueba::certificados();
    const prueba::ServidorBD s = prueba::servidorBD();
    prueba::BaseTemporal base;
    struct Caso {
        int cifrado;
        QString ca;
        bool abre;
        bool cifrada;
        QString mensaje;  // part of the reason given when it does not open
    };
    const Caso casos[] = {
        {0, QString(), true, false, {}},
        {1, QString(), true, true, {}},
        {1, cert.caAjena, true, true, {}},  // only checked when required
        {7, QString(), true, true, {}},      // an unknown number counts as "when offered"
        {2, cert.ca, true, true, {}},
        {2, cert.caAjena, false, false, u"no se pudo verificar con el certificado CA \"%1\""_s.arg(cert.caAjena)},
        {2, QString(), false, false, u"no se pudo verificar con las autoridades del sistema"_s},
        {2, u"/no/existe/ca.pem"_s, false, false, u"No se encontró el archivo del certificado CA \"/no/existe/ca.pem\""_s},
    };
    const QString sinCA = prueba::SinVerificacionConCA();
    for (const Caso& c : casos) {
        SCOPED_TRACE(u"cifrado %1, CA \"%2\""_s.arg(c.cifrado).arg(c.ca).toStdString());
        if (c.cifrado == 2 && QFile::exists(c.ca) && !sinCA.isEmpty()) continue;  // said below
        std::shared_ptr<kesa5::BasesDD> bd;
        ASSERT_TRUE(CrearObjeto(bd, u"BasesDD"_s));
        bd->cRuta = s.host;
        bd->cPuerto = static_cast<std::uint16_t>(s.puerto);
        bd->cUsuario = s.usuario;
        bd->cPassword = s.clave;
        bd->cCifrado = c.cifrado;
        bd->cCertificadoCA = c.ca;
        ConexionPtr cn;
        ASSERT_EQ(bd->AbrirBdD(cn, base.nombre()), c.abre) << bd->cUltimoError.toStdString();
        if (c.abre) {
            EXPECT_EQ(bd->cUltimoError, QString());
            auto m = std::dynamic_pointer_cast<ConexionMySQL>(cn);
            ASSERT_TRUE(m);
            EXPECT_EQ(!valor(*m, u"SHOW SESSION STATUS LIKE 'Ssl_cipher'"_s).isEmpty(), c.cifrada);
        } else {
            EXPECT_EQ(cn, nullptr);
            EXPECT_TRUE(bd->cUltimoError.contains(c.mensaje)) << bd->cUltimoError.toStdString();
        }
        bd->CierraBdD(cn);
    }
    SALTA_SI(sinCA.isEmpty() ? QString() : u"Los casos verificados con un archivo CA no se probaron: "_s + sinCA);
}
