// The image transfer's progress in the real main window, offscreen: the FTP session's event
// shows the byte counts grouped the locale's way in Label5 and the percentage in pctPorcen.
#include "Entorno.h"
#include "app/PestanaConfiguracion.h"
#include "app/PestanaPrincipal.h"
#include "app/PestanaRelacion.h"
#include "app/frmInicial.h"
#include "ftp/clsFTP.h"
#include "support/ServidoresPrueba.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

namespace {

class Progreso : public ::testing::Test {
protected:
    prueba::CarpetaPrograma carpeta;
    std::unique_ptr<frmInicial> w;
    const QLocale anterior;

    void SetUp() override {
        carpeta.creaHost(QStringLiteral("MySQLServer=127.0.0.1\nMySQLPuerto=1\n"));  // no database needed
        w = std::make_unique<frmInicial>();
        ASSERT_TRUE(w->Cargar({QStringLiteral("moravi")}, carpeta.ruta()));
        ASSERT_TRUE(w->mFTP);
    }
    void TearDown() override {
        QLocale::setDefault(anterior);
        w->Descargar();
    }
    // What the window shows after the session reports `actual` of `total` bytes.
    std::pair<QString, int> aviso(int actual, int total) {
        emit w->mFTP->FileTransferProgress(actual, total);
        return {w->principal->Label5->text(), w->principal->pctPorcen->value()};
    }
    // "Bytes copiados a de b", each space in a and b the default locale's group separator.
    static QString copiados(const char* a, const char* b) {
        const QString g = QLocale().groupSeparator();
        return QStringLiteral("Bytes copiados ") + QString::fromLatin1(a).replace(QLatin1Char(' '), g) +
               QStringLiteral(" de ") + QString::fromLatin1(b).replace(QLatin1Char(' '), g);
    }
};

TEST_F(Progreso, CountsAreGroupedTheLocalesWayAndTheBarShowsTheRoundedPercentage) {
    for (const QLocale& l : {QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::English, QLocale::UnitedStates),
                             QLocale::c()}) {
        QLocale::setDefault(l);
        ASSERT_FALSE(QLocale().groupSeparator().isEmpty());
        EXPECT_EQ(aviso(1234, 5678), std::make_pair(copiados("1 234", "5 678"), 22)) << l.name().toStdString();
    }
    EXPECT_EQ(aviso(255, 300), std::make_pair(QStringLiteral("Bytes copiados 255 de 300"), 85));
    // Halves go to the even neighbour.
    EXPECT_EQ(aviso(1, 8).second, 12);
    EXPECT_EQ(aviso(3, 8).second, 38);
}

TEST_F(Progreso, CountPastTheTotalChangesNothing) {
    const auto antes = aviso(255, 300);
    EXPECT_EQ(aviso(301, 300), antes);
    EXPECT_EQ(aviso(std::numeric_limits<int>::max(), 0), antes);
}

TEST_F(Progreso, EmptyAndLargeFilesNeitherDivideByZeroNorOverflow) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(aviso(0, 0), std::make_pair(QStringLiteral("Bytes copiados 0 de 0"), 100));
    // 30,000,000 x 100 does not fit 32 bits.
    EXPECT_EQ(aviso(30'000'000, 40'000'000), std::make_pair(copiados("30 000 000", "40 000 000"), 75));
    const int mayor = std::numeric_limits<int>::max();
    EXPECT_EQ(aviso(mayor / 2, mayor).second, 50);
    EXPECT_EQ(aviso(mayor, mayor), std::make_pair(copiados("2 147 483 647", "2 147 483 647"), 100));
}

// Closing the program from inside the progress event of a real transfer: the transfer stops and
// the session goes without libcurl's handles being freed under it (run under ASan).
TEST_F(Progreso, ClosingTheProgramFromTheProgressEventStopsTheTransferFirst) {
    const prueba::ServidorFTP srv = prueba::servidorFTP();
    QTemporaryDir local;
    const QString archivo = local.filePath(QStringLiteral("foto.jpg"));
    QFile f(archivo);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(3000, 'f'));
    f.close();
    ASSERT_TRUE(w->mFTP->OpenConnection(QStringLiteral("127.0.0.1:%1").arg(srv.puerto), srv.usuario, srv.clave))
        << w->mFTP->GetLastErrorMessage().toStdString();
    const QString remoto = QStringLiteral("/cierre-%1.jpg").arg(QCoreApplication::applicationPid());
    int avisos = 0;
    QObject::connect(w->mFTP.get(), &clsFTP::FileTransferProgress, w.get(), [&] {
        ++avisos;
        w->Descargar();
    });
    clsFTP* sesion = w->mFTP.get();
    EXPECT_FALSE(sesion->FTPUploadFile(archivo, remoto));
    EXPECT_EQ(avisos, 1);
    EXPECT_EQ(w->mFTP, nullptr);
    const QFileInfo enServidor(srv.raiz + remoto);
    EXPECT_LT(enServidor.exists() ? enServidor.size() : 0, 3000);
    QFile::remove(enServidor.filePath());
}

}
