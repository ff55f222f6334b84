// Sending and fetching files, whole and in 255-byte chunks, against the real test server.
#include "AyudaFTP.h"

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {
using Transferencias = PruebaFTP;

TEST_F(Transferencias, SubidaPorTrozosAvisaCadaTrozoYElFinalYDejaElArchivoIgual) {
    const std::vector<std::pair<qsizetype, Avisos>> casos = {
        {255, {{255, 255}, {255, 255}}},  // one full chunk, no remainder
        {300, {{255, 300}, {300, 300}}},  // one chunk and 45 bytes
        {0, {{0, 0}}},                    // an empty file is created
        {1000, {{255, 1000}, {510, 1000}, {765, 1000}, {1000, 1000}}},
    };
    for (const auto& [largo, esperados] : casos) {
        SCOPED_TRACE(largo);
        const QString nombre = u"s%1.bin"_s.arg(largo);
        const QByteArray datos = contenido(largo, static_cast<int>(largo));
        escribe(local(nombre), datos);
        avisos_.clear();
        EXPECT_TRUE(ftp_.FTPUploadFile(local(nombre), remota(nombre))) << ftp_.GetLastErrorMessage();
        EXPECT_EQ(avisos_, esperados);
        ASSERT_TRUE(existe(enServidor(nombre)));
        EXPECT_EQ(lee(enServidor(nombre)), datos);
    }
    EXPECT_EQ(ftp_.GetLastErrorMessage(), QString());
}

TEST_F(Transferencias, DescargaPorTrozosTraeLosMismosBytesYRecortaElArchivoLocalMasLargo) {
    for (const qsizetype largo : {1, 254, 255, 256, 510, 300, 70000}) {
        SCOPED_TRACE(largo);
        const QString nombre = u"d%1.bin"_s.arg(largo);
        const QByteArray datos = contenido(largo, static_cast<int>(largo) + 7);
        escribe(enServidor(nombre), datos);
        // An older local file, longer than the new one, must not leave its tail behind.
        escribe(local(nombre), QByteArray(largo + 1000, 'x'));
        avisos_.clear();
        EXPECT_TRUE(ftp_.FTPDownloadFile(local(nombre), remota(nombre))) << ftp_.GetLastErrorMessage();
        EXPECT_EQ(lee(local(nombre)), datos);
        ASSERT_FALSE(avisos_.empty());
        EXPECT_EQ(avisos_.size(), static_cast<size_t>(largo / 255 + 1));
        EXPECT_EQ(avisos_.back(), std::make_pair(int(largo), int(largo)));
        if (largo == 300) { EXPECT_EQ(avisos_, (Avisos{{255, 300}, {300, 300}})); }
        if (largo == 510) { EXPECT_EQ(avisos_, (Avisos{{255, 510}, {510, 510}, {510, 510}})); }
    }
}

TEST_F(Transferencias, DescargaDeArchivoAusenteOVacioDevuelveFalsoSinAbrirNada) {
    escribe(enServidor(u"vacio.bin"_s), {});
    const QString anterior = mensajePrevio();
    EXPECT_FALSE(ftp_.FTPDownloadFile(local(u"a.bin"_s), remota(u"no-existe.bin"_s)));
    EXPECT_FALSE(ftp_.FTPDownloadFile(local(u"b.bin"_s), remota(u"vacio.bin"_s)));
    EXPECT_FALSE(existe(local(u"a.bin"_s)));
    EXPECT_FALSE(existe(local(u"b.bin"_s)));
    EXPECT_TRUE(avisos_.empty());
    EXPECT_EQ(ftp_.GetLastErrorMessage(), anterior);
}

TEST_F(Transferencias, RutasSeRecortanYUnaRutaVaciaDevuelveFalsoSinMensaje) {
    const QByteArray datos = contenido(600);
    escribe(local(u"r.bin"_s), datos);
    EXPECT_TRUE(ftp_.FTPUploadFile(u"  "_s + local(u"r.bin"_s) + u" "_s, u" "_s + remota(u"r.bin"_s) + u"  "_s));
    EXPECT_EQ(lee(enServidor(u"r.bin"_s)), datos);
    EXPECT_TRUE(ftp_.FTPDownloadFile(u" "_s + local(u"v.bin"_s), remota(u"r.bin"_s) + u" "_s));
    EXPECT_EQ(lee(local(u"v.bin"_s)), datos);

    avisos_.clear();
    EXPECT_FALSE(ftp_.FTPUploadFile(u"   "_s, remota(u"x.bin"_s)));
    EXPECT_FALSE(ftp_.FTPUploadFile(local(u"r.bin"_s), u"   "_s));
    EXPECT_FALSE(ftp_.FTPDownloadFile(QString(), remota(u"r.bin"_s)));
    EXPECT_FALSE(ftp_.FTPDownloadFile(local(u"w.bin"_s), u" "_s));
    EXPECT_TRUE(avisos_.empty());
    EXPECT_EQ(ftp_.GetLastErrorMessage(), QString());
}

TEST_F(Transferencias, ArchivoLocalQueNoSeAbreDaFalsoConMensajeSinTocarElServidor) {
    EXPECT_FALSE(ftp_.FTPUploadFile(local(u"no-existe.bin"_s), remota(u"n.bin"_s)));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "FtpOpenFile:PutFile error code: 26 Message: "));
    EXPECT_FALSE(existe(enServidor(u"n.bin"_s)));

    EXPECT_FALSE(ftp_.FTPUploadFile(dirLocal_.path(), remota(u"carpeta.bin"_s)));  // a folder, not a file
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "FtpOpenFile:PutFile error code: 26 Message: "));
    EXPECT_FALSE(existe(enServidor(u"carpeta.bin"_s)));

    escribe(enServidor(u"d.bin"_s), contenido(400));
    EXPECT_FALSE(ftp_.FTPDownloadFile(local(u"falta/d.bin"_s), remota(u"d.bin"_s)));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "FtpOpenFile:GetFile error code: 23 Message: "));
    EXPECT_FALSE(ftp_.SimpleFTPPutFile(local(u"no-existe.bin"_s), remota(u"n.bin"_s)));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "SimpleFtpPutFile error code: 26 Message: "));
    EXPECT_FALSE(existe(enServidor(u"n.bin"_s)));
    EXPECT_TRUE(avisos_.empty());
}

TEST_F(Transferencias, BanderaDeContinuarApagadaDetieneLaSubidaConFalsoYSinArchivoRemoto) {
    const QByteArray datos = contenido(2000);
    const QString grande = local(u"grande.bin"_s);
    escribe(grande, datos);
    // A file of the same name that the stopped upload overwrites must not survive half-written.
    escribe(enServidor(u"grande.bin"_s), QByteArray(50, 'v'));
    const auto conexion = QObject::connect(&ftp_, &clsFTP::FileTransferProgress, [this] { ftp_.blSigue(false); });
    EXPECT_FALSE(ftp_.FTPUploadFile(grande, remota(u"grande.bin"_s)));
    QObject::disconnect(conexion);
    EXPECT_EQ(avisos_, (Avisos{{255, 2000}}));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "FTPUploadFile error code: 42 Message: "));
    EXPECT_FALSE(existe(enServidor(u"grande.bin"_s)));

    // Still off: nothing is sent, nothing created; an empty file has nothing left to stop.
    EXPECT_FALSE(ftp_.blSigue());
    EXPECT_FALSE(ftp_.FTPUploadFile(grande, remota(u"otra.bin"_s)));
    EXPECT_FALSE(existe(enServidor(u"otra.bin"_s)));
    escribe(local(u"vacio.bin"_s), {});
    EXPECT_TRUE(ftp_.FTPUploadFile(local(u"vacio.bin"_s), remota(u"vacio.bin"_s)));

    ftp_.blSigue(true);
    EXPECT_TRUE(ftp_.FTPUploadFile(grande, remota(u"grande.bin"_s)));
    EXPECT_EQ(lee(enServidor(u"grande.bin"_s)), datos);
}

TEST_F(Transferencias, LosEventosPendientesSeAtiendenDuranteLaTransferencia) {
    escribe(local(u"e.bin"_s), contenido(1000));
    for (const bool subida : {true, false}) {
        SCOPED_TRACE(subida);
        avisos_.clear();
        int avisosAlAtender = -1;
        QTimer::singleShot(0, &ftp_, [&] { avisosAlAtender = static_cast<int>(avisos_.size()); });
        EXPECT_TRUE(subida ? ftp_.FTPUploadFile(local(u"e.bin"_s), remota(u"e.bin"_s))
                           : ftp_.FTPDownloadFile(local(u"f.bin"_s), remota(u"e.bin"_s)))
            << ftp_.GetLastErrorMessage();
        // The timer ran inside the transfer, after the first chunk and before its event.
        EXPECT_EQ(avisosAlAtender, 0);
        EXPECT_EQ(avisos_.size(), 4u);
    }
}

TEST_F(Transferencias, OtraOperacionDesdeElAvisoDeProgresoSeRechazaSinRomperLaTransferencia) {
    escribe(local(u"p.bin"_s), contenido(700));
    int tamano = 0;
    const auto conexion = QObject::connect(&ftp_, &clsFTP::FileTransferProgress, [&] {
        if (tamano == 0) tamano = ftp_.GetFTPFileSize(remota(u"p.bin"_s));
    });
    EXPECT_TRUE(ftp_.FTPUploadFile(local(u"p.bin"_s), remota(u"p.bin"_s)));
    QObject::disconnect(conexion);
    EXPECT_EQ(tamano, -2);
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "FtpFindFirstFile error code: 93 Message: "));
    EXPECT_EQ(lee(enServidor(u"p.bin"_s)), contenido(700));

    // Opening again from inside is refused; closing stops the transfer, which cleans up first.
    bool reabierta = true;
    const auto cierre = QObject::connect(&ftp_, &clsFTP::FileTransferProgress, [&] {
        reabierta = ftp_.OpenConnection(direccion(), servidor_.usuario, servidor_.clave);
        ftp_.CloseConnection();
    });
    EXPECT_FALSE(ftp_.FTPUploadFile(local(u"p.bin"_s), remota(u"q.bin"_s)));
    QObject::disconnect(cierre);
    EXPECT_FALSE(reabierta);
    EXPECT_FALSE(existe(enServidor(u"q.bin"_s)));
    EXPECT_FALSE(ftp_.FTPDownloadFile(local(u"q.bin"_s), remota(u"p.bin"_s)));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "FtpFindFirstFile error code: 3 Message: "));
    ASSERT_TRUE(ftp_.OpenConnection(direccion(), servidor_.usuario, servidor_.clave));
    EXPECT_TRUE(ftp_.FTPDownloadFile(local(u"q.bin"_s), remota(u"p.bin"_s)));
}

TEST_F(Transferencias, EnvioYRecepcionSimplesReemplazanLoQueHabia) {
    const QByteArray datos = contenido(5000, 3);
    const QString t = local(u"t.bin"_s);
    escribe(local(u"s.bin"_s), datos);
    escribe(enServidor(u"s.bin"_s), QByteArray(9000, 'v'));
    EXPECT_TRUE(ftp_.SimpleFTPPutFile(local(u"s.bin"_s), remota(u"s.bin"_s)));
    EXPECT_EQ(lee(enServidor(u"s.bin"_s)), datos);

    escribe(t, QByteArray(9000, 'l'));
    EXPECT_TRUE(ftp_.SimpleFTPGetFile(t, remota(u"s.bin"_s)));
    EXPECT_EQ(lee(t), datos);
    escribe(enServidor(u"cero.bin"_s), {});
    EXPECT_TRUE(ftp_.SimpleFTPGetFile(t, remota(u"cero.bin"_s)));
    EXPECT_EQ(lee(t), QByteArray());
    EXPECT_TRUE(avisos_.empty());

    // A failed fetch leaves the local file as it was.
    escribe(t, QByteArray(10, 'l'));
    EXPECT_FALSE(ftp_.SimpleFTPGetFile(t, remota(u"falta.bin"_s)));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "550 "));
    EXPECT_EQ(lee(t), QByteArray(10, 'l'));
}

// A server of the test's own that lacks passive (or active) data connections shows which mode
// the session really uses.
// The server answers through a socket of the test's, not through its standard output, and ends
// when that socket closes: a Windows build's test under Wine can neither read a Linux program's
// pipes nor wait for it or end it.
class ServidorRestringido {
public:
    ServidorRestringido(const QString& raiz, const QStringList& opciones) {
        if (!aviso_.listen(QHostAddress::LocalHost)) return;
        if (!QProcess::startDetached(u"/usr/bin/python3"_s,
                                     QStringList{QStringLiteral(MORAVI_SERVIDOR_RESTRINGIDO), u"--raiz"_s, raiz,
                                                 u"--aviso"_s, QString::number(aviso_.serverPort())} +
                                         opciones))
            return;
        if (!aviso_.waitForNewConnection(20000)) return;
        conexion_.reset(aviso_.nextPendingConnection());
        while (!conexion_->canReadLine() && conexion_->waitForReadyRead(20000)) {}
        puerto_ = conexion_->readLine().trimmed().toInt();
    }
    QString direccion() const { return u"127.0.0.1:%1"_s.arg(puerto_); }
    int puerto() const { return puerto_; }

private:
    QTcpServer aviso_;
    std::unique_ptr<QTcpSocket> conexion_;
    int puerto_ = 0;
};

TEST_F(Transferencias, ModosPasivoYActivoTransfierenYElModoValeDesdeLaSiguienteApertura) {
    const QByteArray datos = contenido(800, 9);
    const QString m = local(u"m.bin"_s);
    escribe(m, datos);
    // Each mode transfers both ways on a server that lacks the other one; a mode set after
    // opening waits for the next opening.
    for (const bool pasivo : {false, true}) {
        SCOPED_TRACE(pasivo);
        ServidorRestringido servidor(enServidor(), {u"--sin"_s, pasivo ? u"activo"_s : u"pasivo"_s});
        ASSERT_NE(servidor.puerto(), 0);
        clsFTP otra;
        otra.SetTransferBinary();
        pasivo ? otra.SetModePassive() : otra.SetModeActive();
        ASSERT_TRUE(otra.OpenConnection(servidor.direccion(), servidor_.usuario, servidor_.clave));
        pasivo ? otra.SetModeActive() : otra.SetModePassive();
        const QString nombre = u"/modo%1.bin"_s.arg(pasivo);
        EXPECT_TRUE(otra.FTPUploadFile(m, nombre)) << otra.GetLastErrorMessage();
        EXPECT_EQ(lee(enServidor() + nombre), datos);
        EXPECT_TRUE(otra.FTPDownloadFile(local(u"n.bin"_s), nombre));
        EXPECT_EQ(lee(local(u"n.bin"_s)), datos);
        ASSERT_TRUE(otra.OpenConnection(servidor.direccion(), servidor_.usuario, servidor_.clave));
        EXPECT_FALSE(otra.FTPUploadFile(m, u"/otro.bin"_s));
    }
}

// A listing line is taken up to 64 KiB: the test's own server sends one that never ends, which a
// real server cannot be made to do.
TEST_F(Transferencias, UnaLineaDeListadoSinFinSeRechazaConSuMensaje_ServidorFalso) {
    ServidorRestringido servidor(enServidor(), {u"--linea-sin-fin"_s});
    ASSERT_NE(servidor.puerto(), 0);
    clsFTP otra;
    otra.SetModePassive();
    ASSERT_TRUE(otra.OpenConnection(servidor.direccion(), servidor_.usuario, servidor_.clave));
    // A folder and a name (which would otherwise be looked for again in its folder) alike.
    for (const QString& filtro : {u"/"_s, u"nombre"_s}) {
        EXPECT_EQ(otra.GetDirectoryListing(filtro), nullptr);
        EXPECT_TRUE(mensajeEmpiezaCon(otra, "FtpFindFirstFile error code: 23 Message: el servidor envió una línea de "
                                            "listado de más de 65536 bytes; no se leyó el listado"));
    }
    EXPECT_EQ(otra.GetFTPDirectory(), u"/"_s) << otra.GetLastErrorMessage();  // the session goes on
}

// Ending the program from a progress handler destroys the session inside its own transfer: the
// transfer stops, and libcurl's handles are released only once it has returned (run under ASan).
TEST_F(Transferencias, SesionDestruidaDesdeElAvisoDeProgresoParaLaTransferenciaYLiberaAlVolver) {
    const QByteArray datos = contenido(2000, 4);
    escribe(local(u"g.bin"_s), datos);
    escribe(enServidor(u"g.bin"_s), datos);
    for (const bool subida : {true, false}) {
        SCOPED_TRACE(subida);
        auto sesion = std::make_unique<clsFTP>();
        sesion->SetTransferBinary();
        sesion->SetModePassive();
        ASSERT_TRUE(sesion->OpenConnection(direccion(), servidor_.usuario, servidor_.clave));
        int avisos = 0;
        QObject::connect(sesion.get(), &clsFTP::FileTransferProgress, [&] {
            ++avisos;
            sesion.reset();
        });
        clsFTP* s = sesion.get();
        EXPECT_FALSE(subida ? s->FTPUploadFile(local(u"g.bin"_s), remota(u"h.bin"_s))
                            : s->FTPDownloadFile(local(u"h.bin"_s), remota(u"g.bin"_s)));
        EXPECT_EQ(sesion, nullptr);
        EXPECT_EQ(avisos, 1);
        if (subida)
            EXPECT_LT(existe(enServidor(u"h.bin"_s)) ? lee(enServidor(u"h.bin"_s)).size() : 0, datos.size());
        else
            EXPECT_FALSE(existe(local(u"h.bin"_s)));
    }
    // The server took the stopped transfers in its stride.
    EXPECT_TRUE(ftp_.FTPDownloadFile(local(u"i.bin"_s), remota(u"g.bin"_s))) << ftp_.GetLastErrorMessage();
    EXPECT_EQ(lee(local(u"i.bin"_s)), datos);
}

}
