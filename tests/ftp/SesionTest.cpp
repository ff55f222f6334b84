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
    EXPECT_FALSE(ftp.DeleteFTPFile(u"x"_s));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp, "DeleteFTPFile error code: 3 Message: "));
}

TEST_F(Sesion, AperturasFallidasDejanElMensajeDelServidorODeLibcurl) {
    clsFTP otra;
    EXPECT_FALSE(otra.OpenConnection(direccion(), servidor_.usuario, u"mala"_s));
    EXPECT_TRUE(mensajeEmpiezaCon(otra, "530 "));
    // After a refused login nothing is open.
    EXPECT_EQ(otra.GetFTPDirectory(), QString());
    EXPECT_TRUE(mensajeEmpiezaCon(otra, "FtpGetCurrentDirectory error code: 3 Message: "));

    // Port 1 of this machine: nothing listens there.
    EXPECT_FALSE(otra.OpenConnection(u"127.0.0.1:1"_s, servidor_.usuario, servidor_.clave));
    EXPECT_TRUE(mensajeEmpiezaCon(otra, "InternetConnect error code: 7 Message: "));

    for (const char* malo : {"", "sftp://127.0.0.1", "usuario@127.0.0.1", "127.0.0.1 21"}) {
        EXPECT_FALSE(otra.OpenConnection(QLatin1String(malo), servidor_.usuario, servidor_.clave)) << malo;
        EXPECT_TRUE(mensajeEmpiezaCon(otra, "InternetConnect error code: 3 Message: ")) << malo;
    }
}

TEST_F(Sesion, ServidorConPrefijoNombreOCaminoSeAcepta) {
    const QString puerto = QString::number(servidor_.puerto);
    for (const QString& s : {u"ftp://127.0.0.1:"_s + puerto, u"FTP://localhost:"_s + puerto + u"/"_s,
                             u" 127.0.0.1:"_s + puerto + u"/ignorado"_s}) {
        clsFTP otra;
        EXPECT_TRUE(otra.OpenConnection(s, servidor_.usuario, servidor_.clave)) << s << " " << otra.GetLastErrorMessage();
        EXPECT_EQ(otra.GetFTPDirectory(), u"/"_s);
    }
}

TEST_F(Sesion, SegundaAperturaReemplazaLaPrimeraYCerrarCortaLaConexion) {
    const QString a = local(u"a.txt"_s);
    escribe(a, "datos");
    escribe(enServidor(u"leer.txt"_s), "para leer");
    // The reader may fetch but not send: its refusal shows the second connection is the one used.
    ASSERT_TRUE(ftp_.OpenConnection(direccion(), u"lector"_s, u"lector"_s));
    EXPECT_FALSE(ftp_.FTPUploadFile(a, remota(u"a.txt"_s)));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "550 "));
    EXPECT_FALSE(existe(enServidor(u"a.txt"_s)));
    EXPECT_FALSE(ftp_.SimpleFTPPutFile(a, remota(u"leer.txt"_s)));
    EXPECT_EQ(lee(enServidor(u"leer.txt"_s)), QByteArray("para leer"));  // a refused upload deletes nothing
    EXPECT_TRUE(ftp_.FTPDownloadFile(local(u"l.txt"_s), remota(u"leer.txt"_s)));

    ASSERT_TRUE(ftp_.OpenConnection(direccion(), servidor_.usuario, servidor_.clave));
    EXPECT_TRUE(ftp_.FTPUploadFile(a, remota(u"a.txt"_s)));

    ftp_.CloseConnection();
    ftp_.CloseConnection();  // closing twice is harmless
    EXPECT_FALSE(ftp_.FTPUploadFile(a, remota(u"b.txt"_s)));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "FtpOpenFile:PutFile error code: 3 Message: "));
    EXPECT_EQ(ftp_.GetFTPFileSize(remota(u"a.txt"_s)), -2);
    ASSERT_TRUE(ftp_.OpenConnection(direccion(), servidor_.usuario, servidor_.clave));
    EXPECT_EQ(ftp_.GetFTPFileSize(remota(u"a.txt"_s)), 5);
}

TEST_F(Sesion, RenombrarBorrarYCarpetasCambianElServidor) {
    escribe(enServidor(u"uno.txt"_s), "1");
    EXPECT_TRUE(ftp_.RenameFTPFile(remota(u"uno.txt"_s), remota(u"dos con espacio.txt"_s)));
    EXPECT_FALSE(existe(enServidor(u"uno.txt"_s)));
    EXPECT_EQ(lee(enServidor(u"dos con espacio.txt"_s)), QByteArray("1"));
    EXPECT_TRUE(ftp_.DeleteFTPFile(remota(u"dos con espacio.txt"_s)));
    EXPECT_FALSE(existe(enServidor(u"dos con espacio.txt"_s)));

    EXPECT_TRUE(ftp_.CreateFTPDirectory(remota(u"sub"_s)));
    EXPECT_TRUE(QFileInfo(enServidor(u"sub"_s)).isDir());
    EXPECT_TRUE(ftp_.RemoveFTPDirectory(remota(u"sub"_s)));
    EXPECT_FALSE(existe(enServidor(u"sub"_s)));
    EXPECT_EQ(ftp_.GetLastErrorMessage(), QString());
}

TEST_F(Sesion, FallosDejanLaRespuestaDelServidorYUnExitoNoLaBorra) {
    EXPECT_FALSE(ftp_.DeleteFTPFile(remota(u"falta.txt"_s)));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "550 "));
    EXPECT_FALSE(ftp_.RenameFTPFile(remota(u"falta.txt"_s), remota(u"otro.txt"_s)));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "550 "));

    ASSERT_TRUE(QDir(enServidor()).mkpath(u"llena/dentro"_s));
    EXPECT_FALSE(ftp_.RemoveFTPDirectory(remota(u"llena"_s)));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "550 "));
    const QString mensaje = ftp_.GetLastErrorMessage();
    EXPECT_TRUE(existe(enServidor(u"llena/dentro"_s)));

    // The failed command closed the control connection; the next one opens another by itself.
    EXPECT_TRUE(ftp_.CreateFTPDirectory(remota(u"nueva"_s)));
    EXPECT_EQ(ftp_.GetFTPDirectory(), u"/"_s);
    EXPECT_EQ(ftp_.GetLastErrorMessage(), mensaje);

    // A line break in a name could smuggle in a command of its own: it is refused, not sent.
    escribe(enServidor(u"queda.txt"_s), "q");
    EXPECT_FALSE(ftp_.DeleteFTPFile(u"x\r\nDELE "_s + remota(u"queda.txt"_s)));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "DeleteFTPFile error code: 43 Message: "));
    EXPECT_TRUE(existe(enServidor(u"queda.txt"_s)));
}

TEST_F(Sesion, CarpetaActualSeCambiaYSeUsaParaLasRutasRelativas) {
    EXPECT_EQ(ftp_.GetFTPDirectory(), u"/"_s);
    ASSERT_TRUE(QDir(enServidor()).mkpath(u"sub"_s));
    EXPECT_TRUE(ftp_.SetFTPDirectory(remota()));
    EXPECT_EQ(ftp_.GetFTPDirectory(), remota());
    EXPECT_TRUE(ftp_.SetFTPDirectory(u"sub"_s));
    EXPECT_EQ(ftp_.GetFTPDirectory(), remota(u"sub"_s));

    escribe(local(u"r.txt"_s), "relativa");
    EXPECT_TRUE(ftp_.FTPUploadFile(local(u"r.txt"_s), u"r.txt"_s));
    EXPECT_EQ(lee(enServidor(u"sub/r.txt"_s)), QByteArray("relativa"));
    EXPECT_EQ(ftp_.GetFTPFileSize(u"r.txt"_s), 8);
    EXPECT_TRUE(ftp_.RenameFTPFile(u"r.txt"_s, u"../s.txt"_s));
    EXPECT_TRUE(existe(enServidor(u"s.txt"_s)));

    EXPECT_FALSE(ftp_.SetFTPDirectory(u"no-existe"_s));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "550 "));
    EXPECT_EQ(ftp_.GetFTPDirectory(), remota(u"sub"_s));
    EXPECT_TRUE(ftp_.SetFTPDirectory(u".."_s));
    EXPECT_EQ(ftp_.GetFTPDirectory(), remota());
    // A new connection starts again where the server puts the user.
    ASSERT_TRUE(ftp_.OpenConnection(direccion(), servidor_.usuario, servidor_.clave));
    EXPECT_EQ(ftp_.GetFTPDirectory(), u"/"_s);
}

TEST_F(Sesion, TamanoDeArchivoPorSuNombreExacto) {
    const std::vector<std::pair<QString, int>> archivos{{u"t.bin"_s, 300}, {u"con espacio.bin"_s, 12}, {u"cero.bin"_s, 0}};
    for (const auto& [nombre, largo] : archivos) escribe(enServidor(nombre), contenido(largo));
    escribe(enServidor(u"con_guion.bin"_s), contenido(20));
    for (const auto& [nombre, largo] : archivos) EXPECT_EQ(ftp_.GetFTPFileSize(remota(nombre)), largo) << nombre;
    ftp_.SetTransferASCII();  // the size is a byte count whatever the transfer type
    EXPECT_EQ(ftp_.GetFTPFileSize(remota(u"t.bin"_s)), 300);

    const QString anterior = mensajePrevio();
    EXPECT_EQ(ftp_.GetFTPFileSize(remota(u"falta.bin"_s)), -1);
    // No wildcard stands in for the space: another file whose name differs there is not taken.
    EXPECT_EQ(ftp_.GetFTPFileSize(remota(u"con guion.bin"_s)), -1);
    EXPECT_EQ(ftp_.GetLastErrorMessage(), anterior);
}

TEST(RutaRemota, ResuelveRelativasYLeeLaRespuesta257) {
    EXPECT_EQ(RutaRemota::resuelve(u"/a/b"_s, u"c.txt"_s), u"/a/b/c.txt"_s);
    EXPECT_EQ(RutaRemota::resuelve(u"/a/b"_s, u"../c/./d/"_s), u"/a/c/d"_s);
    EXPECT_EQ(RutaRemota::resuelve(u"/a"_s, u"/x//y"_s), u"/x/y"_s);
    EXPECT_EQ(RutaRemota::resuelve(u"/"_s, u"../.."_s), u"/"_s);
    EXPECT_EQ(RutaRemota::deRespuesta257(u"257 \"/a \"\"b\"\"\" is the current directory."_s), u"/a \"b\""_s);
    EXPECT_EQ(RutaRemota::deRespuesta257(u"250 \"/a\" ok"_s), QString());
    EXPECT_EQ(RutaRemota::deRespuesta257(u"257 \"/sin-cierre"_s), QString());
}

}
