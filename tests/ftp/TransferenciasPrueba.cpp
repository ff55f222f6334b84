// Sending and fetching files, whole and in 255-byte chunks, against the real test server.
#include "AyudaFTP.h"

#include <QProcess>
#include <QTimer>

namespace {
using Transferencias = PruebaFTP;

TEST_F(Transferencias, SubidaPorTrozosAvisaCadaTrozoYElFinalYDejaElArchivoIgual) {
    struct Caso {
        qsizetype largo;
        Avisos esperados;
    };
    const std::vector<Caso> casos = {
        {255, {{255, 255}, {255, 255}}},                              // one full chunk, no remainder
        {300, {{255, 300}, {300, 300}}},                              // one chunk and 45 bytes
        {0, {{0, 0}}},                                                // an empty file is created
        {1000, {{255, 1000}, {510, 1000}, {765, 1000}, {1000, 1000}}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.largo);
        const QString nombre = QStringLiteral("s%1.bin").arg(c.largo);
        const QByteArray datos = contenido(c.largo, static_cast<int>(c.largo));
        escribe(local(nombre), datos);
        avisos_.clear();
        EXPECT_TRUE(ftp_.FTPUploadFile(local(nombre), remota(nombre))) << ftp_.GetLastErrorMessage().toStdString();
        EXPECT_EQ(avisos_, c.esperados);
        ASSERT_TRUE(existe(enServidor(nombre)));
        EXPECT_EQ(lee(enServidor(nombre)), datos);
    }
    EXPECT_EQ(ftp_.GetLastErrorMessage(), QString());
}

TEST_F(Transferencias, DescargaPorTrozosTraeLosMismosBytesYRecortaElArchivoLocalMasLargo) {
    for (const qsizetype largo : {1, 254, 255, 256, 510, 300, 70000}) {
        SCOPED_TRACE(largo);
        const QString nombre = QStringLiteral("d%1.bin").arg(largo);
        const QByteArray datos = contenido(largo, static_cast<int>(largo) + 7);
        escribe(enServidor(nombre), datos);
        // An older local file, longer than the new one, must not leave its tail behind.
        escribe(local(nombre), QByteArray(largo + 1000, 'x'));
        avisos_.clear();
        EXPECT_TRUE(ftp_.FTPDownloadFile(local(nombre), remota(nombre))) << ftp_.GetLastErrorMessage().toStdString();
        EXPECT_EQ(lee(local(nombre)), datos);
        ASSERT_FALSE(avisos_.empty());
        EXPECT_EQ(avisos_.size(), static_cast<size_t>(largo / 255 + 1));
        EXPECT_EQ(avisos_.back(), std::make_pair(int(largo), int(largo)));
        if (largo == 300) {
            EXPECT_EQ(avisos_, (Avisos{{255, 300}, {300, 300}}));
        } else if (largo == 510) {
            EXPECT_EQ(avisos_, (Avisos{{255, 510}, {510, 510}, {510, 510}}));
        }
    }
}

TEST_F(Transferencias, DescargaDeArchivoAusenteOVacioDevuelveFalsoSinAbrirNada) {
    escribe(enServidor(QStringLiteral("vacio.bin")), {});
    ftp_.DeleteFTPFile(remota(QStringLiteral("no-existe-antes")));  // leaves an older message
    const QString anterior = ftp_.GetLastErrorMessage();
    ASSERT_FALSE(anterior.isEmpty());

    EXPECT_FALSE(ftp_.FTPDownloadFile(local(QStringLiteral("a.bin")), remota(QStringLiteral("no-existe.bin"))));
    EXPECT_FALSE(ftp_.FTPDownloadFile(local(QStringLiteral("b.bin")), remota(QStringLiteral("vacio.bin"))));
    EXPECT_FALSE(existe(local(QStringLiteral("a.bin"))));
    EXPECT_FALSE(existe(local(QStringLiteral("b.bin"))));
    EXPECT_TRUE(avisos_.empty());
    EXPECT_EQ(ftp_.GetLastErrorMessage(), anterior);
}

TEST_F(Transferencias, RutasSeRecortanYUnaRutaVaciaDevuelveFalsoSinMensaje) {
    const QByteArray datos = contenido(600);
    escribe(local(QStringLiteral("r.bin")), datos);
    EXPECT_TRUE(ftp_.FTPUploadFile(QStringLiteral("  ") + local(QStringLiteral("r.bin")) + QStringLiteral(" "),
                                   QStringLiteral(" ") + remota(QStringLiteral("r.bin")) + QStringLiteral("  ")));
    EXPECT_EQ(lee(enServidor(QStringLiteral("r.bin"))), datos);
    EXPECT_TRUE(ftp_.FTPDownloadFile(QStringLiteral(" ") + local(QStringLiteral("v.bin")),
                                     remota(QStringLiteral("r.bin")) + QStringLiteral(" ")));
    EXPECT_EQ(lee(local(QStringLiteral("v.bin"))), datos);

    avisos_.clear();
    EXPECT_FALSE(ftp_.FTPUploadFile(QStringLiteral("   "), remota(QStringLiteral("x.bin"))));
    EXPECT_FALSE(ftp_.FTPUploadFile(local(QStringLiteral("r.bin")), QStringLiteral("   ")));
    EXPECT_FALSE(ftp_.FTPDownloadFile(QString(), remota(QStringLiteral("r.bin"))));
    EXPECT_FALSE(ftp_.FTPDownloadFile(local(QStringLiteral("w.bin")), QStringLiteral(" ")));
    EXPECT_TRUE(avisos_.empty());
    EXPECT_EQ(ftp_.GetLastErrorMessage(), QString());
}

TEST_F(Transferencias, ArchivoLocalQueNoSeAbreDaFalsoConMensajeSinTocarElServidor) {
    EXPECT_FALSE(ftp_.FTPUploadFile(local(QStringLiteral("no-existe.bin")), remota(QStringLiteral("n.bin"))));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "FtpOpenFile:PutFile error code: 26 Message: "));
    EXPECT_FALSE(existe(enServidor(QStringLiteral("n.bin"))));

    EXPECT_FALSE(ftp_.FTPUploadFile(dirLocal_.path(), remota(QStringLiteral("carpeta.bin"))));  // a folder, not a file
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "FtpOpenFile:PutFile error code: 26 Message: "));
    EXPECT_FALSE(existe(enServidor(QStringLiteral("carpeta.bin"))));

    escribe(enServidor(QStringLiteral("d.bin")), contenido(400));
    EXPECT_FALSE(ftp_.FTPDownloadFile(local(QStringLiteral("falta/d.bin")), remota(QStringLiteral("d.bin"))));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "FtpOpenFile:GetFile error code: 23 Message: "));
    EXPECT_FALSE(ftp_.SimpleFTPPutFile(local(QStringLiteral("no-existe.bin")), remota(QStringLiteral("n.bin"))));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "SimpleFtpPutFile error code: 26 Message: "));
    EXPECT_FALSE(existe(enServidor(QStringLiteral("n.bin"))));
    EXPECT_TRUE(avisos_.empty());
}

TEST_F(Transferencias, BanderaDeContinuarApagadaDetieneLaSubidaConFalsoYSinArchivoRemoto) {
    const QByteArray datos = contenido(2000);
    escribe(local(QStringLiteral("grande.bin")), datos);
    // A file of the same name that the stopped upload overwrites must not survive half-written.
    escribe(enServidor(QStringLiteral("grande.bin")), QByteArray(50, 'v'));
    const auto conexion = QObject::connect(&ftp_, &clsFTP::FileTransferProgress, [this] { ftp_.blSigue(false); });
    EXPECT_FALSE(ftp_.FTPUploadFile(local(QStringLiteral("grande.bin")), remota(QStringLiteral("grande.bin"))));
    QObject::disconnect(conexion);
    EXPECT_EQ(avisos_, (Avisos{{255, 2000}}));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "FTPUploadFile error code: 42 Message: "));
    EXPECT_FALSE(existe(enServidor(QStringLiteral("grande.bin"))));

    // Still off: nothing is sent, nothing created; an empty file has nothing left to stop.
    EXPECT_FALSE(ftp_.blSigue());
    EXPECT_FALSE(ftp_.FTPUploadFile(local(QStringLiteral("grande.bin")), remota(QStringLiteral("otra.bin"))));
    EXPECT_FALSE(existe(enServidor(QStringLiteral("otra.bin"))));
    escribe(local(QStringLiteral("vacio.bin")), {});
    EXPECT_TRUE(ftp_.FTPUploadFile(local(QStringLiteral("vacio.bin")), remota(QStringLiteral("vacio.bin"))));

    ftp_.blSigue(true);
    EXPECT_TRUE(ftp_.FTPUploadFile(local(QStringLiteral("grande.bin")), remota(QStringLiteral("grande.bin"))));
    EXPECT_EQ(lee(enServidor(QStringLiteral("grande.bin"))), datos);
}

TEST_F(Transferencias, LosEventosPendientesSeAtiendenDuranteLaTransferencia) {
    escribe(local(QStringLiteral("e.bin")), contenido(1000));
    for (const bool subida : {true, false}) {
        SCOPED_TRACE(subida);
        avisos_.clear();
        int avisosAlAtender = -1;
        QTimer::singleShot(0, &ftp_, [&] { avisosAlAtender = static_cast<int>(avisos_.size()); });
        const bool ok = subida ? ftp_.FTPUploadFile(local(QStringLiteral("e.bin")), remota(QStringLiteral("e.bin")))
                               : ftp_.FTPDownloadFile(local(QStringLiteral("f.bin")), remota(QStringLiteral("e.bin")));
        EXPECT_TRUE(ok) << ftp_.GetLastErrorMessage().toStdString();
        // The timer ran inside the transfer, after the first chunk and before its event.
        EXPECT_EQ(avisosAlAtender, 0);
        EXPECT_EQ(avisos_.size(), 4u);
    }
}

TEST_F(Transferencias, OtraOperacionDesdeElAvisoDeProgresoSeRechazaSinRomperLaTransferencia) {
    escribe(local(QStringLiteral("p.bin")), contenido(700));
    int tamano = 0;
    const auto conexion = QObject::connect(&ftp_, &clsFTP::FileTransferProgress, [&] {
        if (tamano == 0) tamano = ftp_.GetFTPFileSize(remota(QStringLiteral("p.bin")));
    });
    EXPECT_TRUE(ftp_.FTPUploadFile(local(QStringLiteral("p.bin")), remota(QStringLiteral("p.bin"))));
    QObject::disconnect(conexion);
    EXPECT_EQ(tamano, -2);
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "FtpFindFirstFile error code: 93 Message: "));
    EXPECT_EQ(lee(enServidor(QStringLiteral("p.bin"))), contenido(700));

    // Opening again from inside is refused; closing stops the transfer, which cleans up first.
    bool reabierta = true;
    const auto cierre = QObject::connect(&ftp_, &clsFTP::FileTransferProgress, [&] {
        reabierta = ftp_.OpenConnection(direccion(), servidor_.usuario, servidor_.clave);
        ftp_.CloseConnection();
    });
    EXPECT_FALSE(ftp_.FTPUploadFile(local(QStringLiteral("p.bin")), remota(QStringLiteral("q.bin"))));
    QObject::disconnect(cierre);
    EXPECT_FALSE(reabierta);
    EXPECT_FALSE(existe(enServidor(QStringLiteral("q.bin"))));
    EXPECT_FALSE(ftp_.FTPDownloadFile(local(QStringLiteral("q.bin")), remota(QStringLiteral("p.bin"))));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "FtpFindFirstFile error code: 3 Message: "));
    ASSERT_TRUE(ftp_.OpenConnection(direccion(), servidor_.usuario, servidor_.clave));
    EXPECT_TRUE(ftp_.FTPDownloadFile(local(QStringLiteral("q.bin")), remota(QStringLiteral("p.bin"))));
}

TEST_F(Transferencias, EnvioYRecepcionSimplesReemplazanLoQueHabia) {
    const QByteArray datos = contenido(5000, 3);
    escribe(local(QStringLiteral("s.bin")), datos);
    escribe(enServidor(QStringLiteral("s.bin")), QByteArray(9000, 'v'));
    EXPECT_TRUE(ftp_.SimpleFTPPutFile(local(QStringLiteral("s.bin")), remota(QStringLiteral("s.bin"))));
    EXPECT_EQ(lee(enServidor(QStringLiteral("s.bin"))), datos);

    escribe(local(QStringLiteral("t.bin")), QByteArray(9000, 'l'));
    EXPECT_TRUE(ftp_.SimpleFTPGetFile(local(QStringLiteral("t.bin")), remota(QStringLiteral("s.bin"))));
    EXPECT_EQ(lee(local(QStringLiteral("t.bin"))), datos);
    escribe(enServidor(QStringLiteral("cero.bin")), {});
    EXPECT_TRUE(ftp_.SimpleFTPGetFile(local(QStringLiteral("t.bin")), remota(QStringLiteral("cero.bin"))));
    EXPECT_EQ(lee(local(QStringLiteral("t.bin"))), QByteArray());
    EXPECT_TRUE(avisos_.empty());

    // A failed fetch leaves the local file as it was.
    escribe(local(QStringLiteral("t.bin")), QByteArray(10, 'l'));
    EXPECT_FALSE(ftp_.SimpleFTPGetFile(local(QStringLiteral("t.bin")), remota(QStringLiteral("falta.bin"))));
    EXPECT_TRUE(mensajeEmpiezaCon(ftp_, "550 "));
    EXPECT_EQ(lee(local(QStringLiteral("t.bin"))), QByteArray(10, 'l'));
}

// A server of the test's own that lacks passive (or active) data connections shows which mode
// the session really uses.
class ServidorRestringido {
public:
    ServidorRestringido(const QString& raiz, const QString& sin) {
        proceso_.start(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral(MORAVI_SERVIDOR_RESTRINGIDO), QStringLiteral("--raiz"), raiz, QStringLiteral("--sin"), sin});
        if (proceso_.waitForReadyRead(20000)) puerto_ = proceso_.readLine().trimmed().toInt();
    }
    ~ServidorRestringido() {
        proceso_.terminate();
        proceso_.waitForFinished(5000);
    }
    QString direccion() const { return QStringLiteral("127.0.0.1:%1").arg(puerto_); }
    int puerto() const { return puerto_; }

private:
    QProcess proceso_;
    int puerto_ = 0;
};

TEST_F(Transferencias, ModosPasivoYActivoTransfierenYElModoValeDesdeLaSiguienteApertura) {
    const QByteArray datos = contenido(800, 9);
    escribe(local(QStringLiteral("m.bin")), datos);
    for (const bool pasivo : {false, true}) {
        SCOPED_TRACE(pasivo);
        pasivo ? ftp_.SetModePassive() : ftp_.SetModeActive();
        ASSERT_TRUE(ftp_.OpenConnection(direccion(), servidor_.usuario, servidor_.clave));
        EXPECT_TRUE(ftp_.FTPUploadFile(local(QStringLiteral("m.bin")), remota(QStringLiteral("m.bin"))))
            << ftp_.GetLastErrorMessage().toStdString();
        EXPECT_TRUE(ftp_.FTPDownloadFile(local(QStringLiteral("n.bin")), remota(QStringLiteral("m.bin"))));
        EXPECT_EQ(lee(local(QStringLiteral("n.bin"))), datos);
    }

    ServidorRestringido sinPasivo(enServidor(), QStringLiteral("pasivo"));
    ServidorRestringido sinActivo(enServidor(), QStringLiteral("activo"));
    ASSERT_NE(sinPasivo.puerto(), 0);
    ASSERT_NE(sinActivo.puerto(), 0);
    clsFTP otra;
    otra.SetTransferBinary();
    otra.SetModeActive();
    ASSERT_TRUE(otra.OpenConnection(sinPasivo.direccion(), servidor_.usuario, servidor_.clave));
    otra.SetModePassive();  // not yet: the open connection stays active
    EXPECT_TRUE(otra.FTPUploadFile(local(QStringLiteral("m.bin")), QStringLiteral("/activo.bin")))
        << otra.GetLastErrorMessage().toStdString();
    EXPECT_EQ(lee(enServidor(QStringLiteral("activo.bin"))), datos);
    ASSERT_TRUE(otra.OpenConnection(sinPasivo.direccion(), servidor_.usuario, servidor_.clave));
    EXPECT_FALSE(otra.FTPUploadFile(local(QStringLiteral("m.bin")), QStringLiteral("/pasivo.bin")));

    ASSERT_TRUE(otra.OpenConnection(sinActivo.direccion(), servidor_.usuario, servidor_.clave));
    EXPECT_TRUE(otra.FTPUploadFile(local(QStringLiteral("m.bin")), QStringLiteral("/pasivo.bin")))
        << otra.GetLastErrorMessage().toStdString();
    EXPECT_EQ(lee(enServidor(QStringLiteral("pasivo.bin"))), datos);
    otra.SetModeActive();
    ASSERT_TRUE(otra.OpenConnection(sinActivo.direccion(), servidor_.usuario, servidor_.clave));
    EXPECT_FALSE(otra.FTPUploadFile(local(QStringLiteral("m.bin")), QStringLiteral("/activo2.bin")));
    otra.CloseConnection();
}

}
