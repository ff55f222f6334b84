#include "app/InstanciaUnica.h"

#include "servicelib/Categorias.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

namespace {
const QByteArray kMostrar = "mostrar\n";
}

InstanciaUnica::InstanciaUnica(const QString& carpeta) : nombre_(Nombre(carpeta)) {}
InstanciaUnica::~InstanciaUnica() = default;

QString InstanciaUnica::Nombre(const QString& carpeta) {
    const QString canonica = QFileInfo(carpeta).canonicalFilePath();
    const QByteArray clave = (QDir::homePath() + QLatin1Char('\n') + (canonica.isEmpty() ? carpeta : canonica)).toUtf8();
    return QStringLiteral("moravi-") +
           QString::fromLatin1(QCryptographicHash::hash(clave, QCryptographicHash::Sha1).toHex().left(20));
}

bool InstanciaUnica::Toma(std::function<void()> mostrar) {
    // The lock decides who is first (two starts at the same moment cannot both listen); a lock
    // left by a program that died is taken over (QLockFile sees its process is gone).
    candado_ = std::make_unique<QLockFile>(QDir::temp().filePath(nombre_ + QStringLiteral(".lock")));
    candado_->setStaleLockTime(0);
    if (candado_->tryLock(0)) {
        QLocalServer::removeServer(nombre_);  // a socket file a crash left behind
        servidor_ = new QLocalServer(this);
        servidor_->setSocketOptions(QLocalServer::UserAccessOption);
        if (!servidor_->listen(nombre_))
            qCWarning(lcApp).noquote() << "No se pudo escuchar a otras copias del programa:" << servidor_->errorString();
        connect(servidor_, &QLocalServer::newConnection, this, [this, mostrar] {
            while (QLocalSocket* s = servidor_->nextPendingConnection()) {
                connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
                connect(s, &QLocalSocket::readyRead, this, [s, mostrar] {
                    if (!s->readAll().contains(kMostrar)) return;
                    qCInfo(lcApp) << "Otra copia arrancó desde esta carpeta: se muestra la ventana.";
                    mostrar();
                });
            }
        });
        return true;
    }
    candado_.reset();
    // The first one may still be starting: it listens within a few seconds.
    for (int intento = 0; intento < 50 && !avisada_; ++intento) {
        QLocalSocket s;
        s.connectToServer(nombre_);
        if (s.waitForConnected(200)) {
            s.write(kMostrar);
            avisada_ = s.waitForBytesWritten(2000);
            s.disconnectFromServer();
        } else {
            QThread::msleep(100);
        }
    }
    return false;
}
