// Explicit TLS ("ftpes") against the test server, whose user "cifrado" is served only over an
// encrypted control connection and encrypted data connections.
#include "AyudaFTP.h"
#include "support/Sistema.h"

namespace {
using Cifrado = PruebaFTP;

TEST_F(Cifrado, TlsExplicitoSegunElModoYElCertificado) {
    const prueba::Certificados cert = prueba::certificados();
    const QByteArray datos = contenido(5000);
    escribe(local(u"a.bin"_s), datos);
    const struct {
        int modo;
        QString ca;
        bool abre;
        const char* mensaje;  // how the failure's message begins
    } casos[] = {
        {0, {}, false, "550 SSL/TLS required on the control channel."},
        {1, {}, true, ""},
        {1, cert.caAjena, true, ""},  // not checked in this mode
        {2, cert.ca, true, ""},
        {2, cert.caAjena, false, "InternetConnect error code: 60 Message: "},  // CURLE_PEER_FAILED_VERIFICATION
        {2, {}, false, "InternetConnect error code: 60 Message: "},  // not signed by the system's authorities
    };
    const QString sinRechazo = prueba::SinRechazoDeAutoridadesAjenas();
    int n = 0;
    for (const auto& c : casos) {
        SCOPED_TRACE(u"modo %1, CA \"%2\""_s.arg(c.modo).arg(c.ca).toStdString());
        if (c.modo == 2 && c.ca.isEmpty() && !sinRechazo.isEmpty()) continue;  // said at the end
        clsFTP sesion;
        sesion.SetModePassive();
        sesion.SetTransferBinary();
        sesion.SetCifrado(c.modo, c.ca);
        // By a name the server's certificate holds: Schannel's libcurl matches host names only, not IP addresses.
        ASSERT_EQ(sesion.OpenConnection(u"localhost:%1"_s.arg(servidor_.puerto), u"cifrado"_s, u"cpass"_s), c.abre)
            << sesion.GetLastErrorMessage();
        if (!c.abre) {
            EXPECT_TRUE(mensajeEmpiezaCon(sesion, c.mensaje));
            continue;
        }
        // Both ways over encrypted data connections, the bytes unchanged.
        const QString nombre = u"c%1.bin"_s.arg(++n);
        EXPECT_TRUE(sesion.FTPUploadFile(local(u"a.bin"_s), remota(nombre))) << sesion.GetLastErrorMessage();
        EXPECT_EQ(lee(enServidor(nombre)), datos);
        EXPECT_TRUE(sesion.SimpleFTPGetFile(local(nombre), remota(nombre))) << sesion.GetLastErrorMessage();
        EXPECT_EQ(lee(local(nombre)), datos);
        sesion.CloseConnection();
    }
    // The user of the other tests, on the same server, may take TLS or leave it.
    clsFTP abierta;
    abierta.SetModePassive();
    abierta.SetCifrado(1);
    EXPECT_TRUE(abierta.OpenConnection(direccion(), servidor_.usuario, servidor_.clave)) << abierta.GetLastErrorMessage();
    EXPECT_EQ(abierta.GetFTPDirectory(), u"/"_s);
    SALTA_SI(sinRechazo.isEmpty() ? QString() : u"El rechazo de un servidor que no firmó una autoridad del sistema no se probó: "_s + sinRechazo);
}

}  // namespace
