#include "support/CacheRedis.h"

#include "support/Sistema.h"
#include "support/TiendaWoo.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <QTcpServer>

namespace prueba {

CacheRedis::CacheRedis() {
    if (!SinProgramasLinux().isEmpty()) return;  // the test skips itself
    const QString contenido = dir_.filePath(QStringLiteral("contenido"));
    QDir().mkpath(contenido + QStringLiteral("/mu-plugins"));
    if (!QFile::copy(TiendaWoo::carpeta() + QStringLiteral("/cache-objetos/object-cache.php"),
                     contenido + QStringLiteral("/object-cache.php")) ||
        !QFile::link(TiendaWoo::carpetaWordPress() + QStringLiteral("/wp-content/themes"), contenido + QStringLiteral("/themes"))) {
        ADD_FAILURE() << "cannot lay out the content folder " << contenido.toStdString();
        return;
    }
    // A port nobody listens on now.
    {
        QTcpServer libre;
        if (libre.listen(QHostAddress::LocalHost)) puerto_ = libre.serverPort();
    }

    servidor_.setProcessChannelMode(QProcess::MergedChannels);
    servidor_.start(QStringLiteral("redis-server"),
                    {QStringLiteral("--port"), QString::number(puerto_), QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                     QStringLiteral("--save"), QString(), QStringLiteral("--appendonly"), QStringLiteral("no"),
                     QStringLiteral("--dir"), dir_.path()});
    QByteArray salida;
    for (const QDeadlineTimer plazo(10000); !plazo.hasExpired() && servidor_.state() != QProcess::NotRunning && !lista_;) {
        servidor_.waitForReadyRead(100);
        salida += servidor_.readAll();
        lista_ = salida.contains("Ready to accept connections");
    }
    if (!lista_) ADD_FAILURE() << "redis-server did not start:\n" << salida.constData();
}

CacheRedis::~CacheRedis() {
    servidor_.terminate();  // SIGTERM to its PID
    if (!servidor_.waitForFinished(10000)) servidor_.kill();
    servidor_.waitForFinished(5000);
}

QProcessEnvironment CacheRedis::entorno() const {
    QProcessEnvironment e;
    e.insert(QStringLiteral("WP_CONTENT_DIR"), dir_.filePath(QStringLiteral("contenido")));
    e.insert(QStringLiteral("WP_REDIS_PORT"), QString::number(puerto_));
    return e;
}

void CacheRedis::muPlugin(const QString& nombre, const QByteArray& php) {
    QFile f(dir_.filePath(QStringLiteral("contenido/mu-plugins/") + nombre));
    if (php.isEmpty() ? !f.remove() : !f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(php) != php.size())
        ADD_FAILURE() << "cannot change the must-use plugin " << nombre.toStdString();
}

}
