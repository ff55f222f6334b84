// The session's state, connections, remote file and folder commands, and its error messages.
#include "AyudaFTP.h"

#include "ftp/RutaRemota.h"

#include <QDir>
#include <QFileInfo>

namespace {
using Sesion = PruebaFTP;

TEST(SesionNueva, EmpiezaSinErrorConLaBanderaEncendidaYSinListado) {
    clsFTP ftp;
    EXPECT_TRUE(ftp.blSigue());
    EXPECT_EQ(ftp.GetLastErrorMessage(), QString());
    const auto lista = ftp.Directory();
    ASSERT_TRUE(lista);
    EXPECT_EQ(lista->Count(), 0);
    EXPECT_EQ(ftp.Directory(), lista);
    ftp.blSigue(false);
    EXPECT_FALSE(ftp.blSigue());
    // Never connected: operations fail with a message and no request.
    EXPECT_EQ(ftp.GetFTPDirectory(), QString());
    EXPECT_TRUE(mensajeEmpiezaCon(ftp, "FtpGetCurrentDirectory error code: 3 Message: "));
    EXPECT_FALSE(ftp.DeleteFTPFile(QStringLiteral("x")));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp, "DeleteFTPFile error code: 3 Message: "));
}

TEST_F(Sesion, AperturasFallidasDejanElMensajeDelServidorODeLibcurl) {
    clsFTP otra;
    EXPECT_FALSE(otra.OpenConnection(direccion(), servidor_.usuario, QStringLiteral("mala")));
    EXPECT_TRUE(mensajeEmpiezaCon(otra, "530 "));
    // After a refused login nothing is open.
    EXPECT_EQ(otra.GetFTPDirectory(), QString());
    EXPECT_TRUE(mensajeEmpiezaCon(otra, "FtpGetCurrentDirectory error code: 3 Message: "));

    // Port 1 of this machine: nothing listens there.
    EXPECT_FALSE(otra.OpenConnection(QStringLiteral("127.0.0.1:1"), servidor_.usuario, servidor_.clave));
    EXPECT_TRUE(mensajeEmpiezaCon(otra, "InternetConnect error code: 7 Message: "));

    for (const char* malo : {"", "sftp://127.0.0.1", "usuario@127.0.0.1", "127.0.0.1 21"}) {
        EXPECT_FALSE(otra.OpenConnection(QLatin1String(malo), servidor_.usuario, servidor_.clave)) << malo;
        EXPECT_TRUE(mensajeEmpiezaCon(otra, "InternetConnect error code: 3 Message: ")) << malo;
    }
}

TEST_F(Sesion, ServidorConPrefijoNombreOCaminoSeAcepta) {
    const QString puerto = QString::number(servidor_.puerto);
    for (const QString& s : {QStringLiteral("ftp://127.0.0.1:") + puerto, QStringLiteral("FTP://localhost:") + puerto + QStringLiteral("/"),
                             QStringLiteral(" 127.0.0.1:") + puerto + QStringLiteral("/ignorado")}) {
        clsFTP otra;
        EXPECT_TRUE(otra.OpenConnection(s, servidor_.usuario, servidor_.clave)) << s.toStdString() << " "
                                                                               << otra.GetLastErrorMessage().toStdString();
        EXPECT_EQ(otra.GetFTPDirectory(), QStringLiteral("/"));
        otra.CloseConnection();
    }
}

TEST_F(Sesion, SegundaAperturaReemplazaLaPrimeraYCerrarCortaLaConexion) {
    escribe(local(QStringLiteral("a.txt")), "datos");
    escribe(enServidor(QStringLiteral("leer.txt")), "para leer");
    // The reader may fetch but not send: its refusal shows the second connection is the one used.
    ASSERT_TRUE(ftp_.OpenConnection(direccion(), QStringLiteral("lector"), QStringLiteral("lector")));
    EXPECT_FALSE(ftp_.FTPUploadFile(local(QStringLiteral("a.txt")), remota(QStringLiteral("a.txt"))));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "550 "));
    EXPECT_FALSE(existe(enServidor(QStringLiteral("a.txt"))));
    EXPECT_FALSE(ftp_.SimpleFTPPutFile(local(QStringLiteral("a.txt")), remota(QStringLiteral("leer.txt"))));
    EXPECT_EQ(lee(enServidor(QStringLiteral("leer.txt"))), QByteArray("para leer"));  // a refused upload deletes nothing
    EXPECT_TRUE(ftp_.FTPDownloadFile(local(QStringLiteral("l.txt")), remota(QStringLiteral("leer.txt"))));

    ASSERT_TRUE(ftp_.OpenConnection(direccion(), servidor_.usuario, servidor_.clave));
    EXPECT_TRUE(ftp_.FTPUploadFile(local(QStringLiteral("a.txt")), remota(QStringLiteral("a.txt"))));

    ftp_.CloseConnection();
    ftp_.CloseConnection();  // closing twice is harmless
    EXPECT_FALSE(ftp_.FTPUploadFile(local(QStringLiteral("a.txt")), remota(QStringLiteral("b.txt"))));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "FtpOpenFile:PutFile error code: 3 Message: "));
    EXPECT_EQ(ftp_.GetFTPFileSize(remota(QStringLiteral("a.txt"))), -2);
    ASSERT_TRUE(ftp_.OpenConnection(direccion(), servidor_.usuario, servidor_.clave));
    EXPECT_EQ(ftp_.GetFTPFileSize(remota(QStringLiteral("a.txt"))), 5);
}

TEST_F(Sesion, RenombrarBorrarYCarpetasCambianElServidor) {
    escribe(enServidor(QStringLiteral("uno.txt")), "1");
    EXPECT_TRUE(ftp_.RenameFTPFile(remota(QStringLiteral("uno.txt")), remota(QStringLiteral("dos con espacio.txt"))));
    EXPECT_FALSE(existe(enServidor(QStringLiteral("uno.txt"))));
    EXPECT_EQ(lee(enServidor(QStringLiteral("dos con espacio.txt"))), QByteArray("1"));
    EXPECT_TRUE(ftp_.DeleteFTPFile(remota(QStringLiteral("dos con espacio.txt"))));
    EXPECT_FALSE(existe(enServidor(QStringLiteral("dos con espacio.txt"))));

    EXPECT_TRUE(ftp_.CreateFTPDirectory(remota(QStringLiteral("sub"))));
    EXPECT_TRUE(QFileInfo(enServidor(QStringLiteral("sub"))).isDir());
    EXPECT_TRUE(ftp_.RemoveFTPDirectory(remota(QStringLiteral("sub"))));
    EXPECT_FALSE(existe(enServidor(QStringLiteral("sub"))));
    EXPECT_EQ(ftp_.GetLastErrorMessage(), QString());
}

TEST_F(Sesion, FallosDejanLaRespuestaDelServidorYUnExitoNoLaBorra) {
    EXPECT_FALSE(ftp_.DeleteFTPFile(remota(QStringLiteral("falta.txt"))));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "550 "));
    EXPECT_FALSE(ftp_.RenameFTPFile(remota(QStringLiteral("falta.txt")), remota(QStringLiteral("otro.txt"))));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "550 "));

    ASSERT_TRUE(QDir(enServidor()).mkpath(QStringLiteral("llena/dentro")));
    EXPECT_FALSE(ftp_.RemoveFTPDirectory(remota(QStringLiteral("llena"))));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "550 "));
    const QString mensaje = ftp_.GetLastErrorMessage();
    EXPECT_TRUE(existe(enServidor(QStringLiteral("llena/dentro"))));

    // The failed command closed the control connection; the next one opens another by itself.
    EXPECT_TRUE(ftp_.CreateFTPDirectory(remota(QStringLiteral("nueva"))));
    EXPECT_EQ(ftp_.GetFTPDirectory(), QStringLiteral("/"));
    EXPECT_EQ(ftp_.GetLastErrorMessage(), mensaje);

    // A line break in a name could smuggle in a command of its own: it is refused, not sent.
    escribe(enServidor(QStringLiteral("queda.txt")), "q");
    EXPECT_FALSE(ftp_.DeleteFTPFile(QStringLiteral("x\r\nDELE ") + remota(QStringLiteral("queda.txt"))));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "DeleteFTPFile error code: 43 Message: "));
    EXPECT_TRUE(existe(enServidor(QStringLiteral("queda.txt"))));
}

TEST_F(Sesion, CarpetaActualSeCambiaYSeUsaParaLasRutasRelativas) {
    EXPECT_EQ(ftp_.GetFTPDirectory(), QStringLiteral("/"));
    ASSERT_TRUE(QDir(enServidor()).mkpath(QStringLiteral("sub")));
    EXPECT_TRUE(ftp_.SetFTPDirectory(remota()));
    EXPECT_EQ(ftp_.GetFTPDirectory(), remota());
    EXPECT_TRUE(ftp_.SetFTPDirectory(QStringLiteral("sub")));
    EXPECT_EQ(ftp_.GetFTPDirectory(), remota(QStringLiteral("sub")));

    escribe(local(QStringLiteral("r.txt")), "relativa");
    EXPECT_TRUE(ftp_.FTPUploadFile(local(QStringLiteral("r.txt")), QStringLiteral("r.txt")));
    EXPECT_EQ(lee(enServidor(QStringLiteral("sub/r.txt"))), QByteArray("relativa"));
    EXPECT_EQ(ftp_.GetFTPFileSize(QStringLiteral("r.txt")), 8);
    EXPECT_TRUE(ftp_.RenameFTPFile(QStringLiteral("r.txt"), QStringLiteral("../s.txt")));
    EXPECT_TRUE(existe(enServidor(QStringLiteral("s.txt"))));

    EXPECT_FALSE(ftp_.SetFTPDirectory(QStringLiteral("no-existe")));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "550 "));
    EXPECT_EQ(ftp_.GetFTPDirectory(), remota(QStringLiteral("sub")));
    EXPECT_TRUE(ftp_.SetFTPDirectory(QStringLiteral("..")));
    EXPECT_EQ(ftp_.GetFTPDirectory(), remota());
    // A new connection starts again where the server puts the user.
    ASSERT_TRUE(ftp_.OpenConnection(direccion(), servidor_.usuario, servidor_.clave));
    EXPECT_EQ(ftp_.GetFTPDirectory(), QStringLiteral("/"));
}

TEST_F(Sesion, TamanoDeArchivoPorSuNombreExacto) {
    escribe(enServidor(QStringLiteral("t.bin")), contenido(300));
    escribe(enServidor(QStringLiteral("con espacio.bin")), contenido(12));
    escribe(enServidor(QStringLiteral("con_guion.bin")), contenido(20));
    escribe(enServidor(QStringLiteral("cero.bin")), {});
    EXPECT_EQ(ftp_.GetFTPFileSize(remota(QStringLiteral("t.bin"))), 300);
    EXPECT_EQ(ftp_.GetFTPFileSize(remota(QStringLiteral("con espacio.bin"))), 12);
    EXPECT_EQ(ftp_.GetFTPFileSize(remota(QStringLiteral("cero.bin"))), 0);
    ftp_.SetTransferASCII();  // the size is a byte count whatever the transfer type
    EXPECT_EQ(ftp_.GetFTPFileSize(remota(QStringLiteral("t.bin"))), 300);

    EXPECT_FALSE(ftp_.DeleteFTPFile(remota(QStringLiteral("falta"))));
    const QString anterior = ftp_.GetLastErrorMessage();
    EXPECT_EQ(ftp_.GetFTPFileSize(remota(QStringLiteral("falta.bin"))), -1);
    // No wildcard stands in for the space: another file whose name differs there is not taken.
    EXPECT_EQ(ftp_.GetFTPFileSize(remota(QStringLiteral("con guion.bin"))), -1);
    EXPECT_EQ(ftp_.GetLastErrorMessage(), anterior);
}

TEST(RutaRemota, ResuelveRelativasYLeeLaRespuesta257) {
    EXPECT_EQ(RutaRemota::resuelve(QStringLiteral("/a/b"), QStringLiteral("c.txt")), QStringLiteral("/a/b/c.txt"));
    EXPECT_EQ(RutaRemota::resuelve(QStringLiteral("/a/b"), QStringLiteral("../c/./d/")), QStringLiteral("/a/c/d"));
    EXPECT_EQ(RutaRemota::resuelve(QStringLiteral("/a"), QStringLiteral("/x//y")), QStringLiteral("/x/y"));
    EXPECT_EQ(RutaRemota::resuelve(QStringLiteral("/"), QStringLiteral("../..")), QStringLiteral("/"));
    EXPECT_EQ(RutaRemota::deRespuesta257(QStringLiteral("257 \"/a \"\"b\"\"\" is the current directory.")),
              QStringLiteral("/a \"b\""));
    EXPECT_EQ(RutaRemota::deRespuesta257(QStringLiteral("250 \"/a\" ok")), QString());
    EXPECT_EQ(RutaRemota::deRespuesta257(QStringLiteral("257 \"/sin-cierre")), QString());
}

}
