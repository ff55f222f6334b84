#include "support/CacheRedis.h"

#include "support/TiendaWoo.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace prueba {
namespace {

// A TCP port nobody listens on right now.
int puertoLibre() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) return 0;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t largo = sizeof a;
    int puerto = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &largo) == 0)
        puerto = ntohs(a.sin_port);
    ::close(s);
    return puerto;
}

}  // namespace

CacheRedis::CacheRedis() {
    if (!dir_.isValid()) {
        ADD_FAILURE() << "no temp folder for Redis";
        return;
    }
    const QString contenido = dir_.filePath(QStringLiteral("contenido"));
    QDir().mkpath(contenido + QStringLiteral("/mu-plugins"));
    QDir().mkpath(dir_.filePath(QStringLiteral("redis")));
    if (!QFile::copy(TiendaWoo::carpeta() + QStringLiteral("/object-cache/object-cache.php"),
                     contenido + QStringLiteral("/object-cache.php")) ||
        !QFile::link(QStringLiteral("/usr/share/wordpress/wp-content/themes"), contenido + QStringLiteral("/themes"))) {
        ADD_FAILURE() << "cannot lay out the content folder " << contenido.toStdString();
        return;
    }
    for (int intento = 0; intento < 3 && !lista_; ++intento) {
        puerto_ = puertoLibre();
        servidor_.setProcessChannelMode(QProcess::MergedChannels);
        servidor_.start(QStringLiteral("redis-server"),
                        {QStringLiteral("--port"), QString::number(puerto_), QStringLiteral("--bind"),
                         QStringLiteral("127.0.0.1"), QStringLiteral("--save"), QString(), QStringLiteral("--appendonly"),
                         QStringLiteral("no"), QStringLiteral("--dir"), dir_.filePath(QStringLiteral("redis"))});
        QByteArray salida;
        const QDeadlineTimer plazo(10000);
        while (!plazo.hasExpired() && servidor_.state() != QProcess::NotRunning &&
               !salida.contains("Ready to accept connections")) {
            servidor_.waitForReadyRead(100);
            salida += servidor_.readAll();
        }
        lista_ = salida.contains("Ready to accept connections");
        if (!lista_) {
            servidor_.kill();
            servidor_.waitForFinished(5000);
            if (intento == 2) ADD_FAILURE() << "redis-server did not start:\n" << salida.constData();
        }
    }
}

CacheRedis::~CacheRedis() {
    if (servidor_.state() == QProcess::NotRunning) return;
    servidor_.terminate();  // SIGTERM to its PID
    if (!servidor_.waitForFinished(10000)) {
        servidor_.kill();
        servidor_.waitForFinished(5000);
    }
}

QProcessEnvironment CacheRedis::entorno() const {
    QProcessEnvironment e;
    e.insert(QStringLiteral("WP_CONTENT_DIR"), dir_.filePath(QStringLiteral("contenido")));
    e.insert(QStringLiteral("WP_REDIS_PORT"), QString::number(puerto_));
    return e;
}

void CacheRedis::agregaMuPlugin(const QString& archivo, const QString& nombre) {
    const QString destino = dir_.filePath(QStringLiteral("contenido/mu-plugins/") +
                                          (nombre.isEmpty() ? QFileInfo(archivo).fileName() : nombre));
    QFile::remove(destino);
    if (!QFile::copy(archivo, destino)) ADD_FAILURE() << "cannot copy " << archivo.toStdString();
}

void CacheRedis::quitaMuPlugin(const QString& nombre) {
    if (!QFile::remove(dir_.filePath(QStringLiteral("contenido/mu-plugins/") + nombre)))
        ADD_FAILURE() << "no must-use plugin " << nombre.toStdString();
}

void CacheRedis::escribeMuPlugin(const QString& nombre, const QString& php) {
    QFile f(dir_.filePath(QStringLiteral("contenido/mu-plugins/") + nombre));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(php.toUtf8()) < 0)
        ADD_FAILURE() << "cannot write the must-use plugin " << nombre.toStdString();
}

}
