#include "AyudaFTP.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

void PruebaFTP::SetUp() {
    servidor_ = prueba::servidorFTP();
    ASSERT_NE(servidor_.puerto, 0);
    ASSERT_TRUE(dirLocal_.isValid());
    // Other test programs use the same server at the same time: every test works in a folder of its own.
    carpeta_ = u"f%1_%2"_s.arg(QCoreApplication::applicationPid()).arg(QRandomGenerator::global()->generate());
    ASSERT_TRUE(QDir(servidor_.raiz).mkdir(carpeta_));
    QObject::connect(&ftp_, &clsFTP::FileTransferProgress, [this](int actual, int total) { avisos_.emplace_back(actual, total); });
    ftp_.SetModePassive();
    ftp_.SetTransferBinary();
    ASSERT_TRUE(ftp_.OpenConnection(direccion(), servidor_.usuario, servidor_.clave)) << ftp_.GetLastErrorMessage().toStdString();
}

void PruebaFTP::TearDown() {
    ftp_.CloseConnection();
    if (!carpeta_.isEmpty()) QDir(enServidor()).removeRecursively();
}

QString PruebaFTP::direccion() const { return u"127.0.0.1:%1"_s.arg(servidor_.puerto); }

QString PruebaFTP::remota(const QString& nombre) const {
    return QLatin1Char('/') + carpeta_ + (nombre.isEmpty() ? QString() : QLatin1Char('/') + nombre);
}

QString PruebaFTP::enServidor(const QString& nombre) const { return servidor_.raiz + remota(nombre); }

QString PruebaFTP::local(const QString& nombre) const { return dirLocal_.filePath(nombre); }

QString PruebaFTP::mensajePrevio() {
    EXPECT_FALSE(ftp_.DeleteFTPFile(remota(u"falta-antes"_s)));
    EXPECT_FALSE(ftp_.GetLastErrorMessage().isEmpty());
    return ftp_.GetLastErrorMessage();
}

QByteArray PruebaFTP::contenido(qsizetype largo, int semilla) {
    QByteArray b(largo, '\0');
    quint32 x = 2463534242u + static_cast<quint32>(semilla);
    for (qsizetype i = 0; i < largo; ++i) {  // every byte value, CR and LF included
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b[i] = static_cast<char>(x & 0xFF);
    }
    return b;
}

void PruebaFTP::escribe(const QString& ruta, const QByteArray& datos) {
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << ruta.toStdString();
    ASSERT_EQ(f.write(datos), datos.size());
}

QByteArray PruebaFTP::lee(const QString& ruta) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << ruta.toStdString();
        return {};
    }
    return f.readAll();
}

bool PruebaFTP::existe(const QString& ruta) { return QFileInfo::exists(ruta); }

::testing::AssertionResult mensajeEmpiezaCon(const clsFTP& ftp, const char* inicio) {
    const QString m = ftp.GetLastErrorMessage();
    if (m.startsWith(QString::fromUtf8(inicio))) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "last error \"" << m.toStdString() << "\" does not begin with \"" << inicio << '"';
}
