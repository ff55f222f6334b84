#include "support/TiendaWoo.h"

#include "support/Sistema.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLockFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace prueba {

QString TiendaWoo::carpeta() { return QStringLiteral(MORAVI_WOO_DIR); }

QString TiendaWoo::version() {
    const QString v = qEnvironmentVariable("WC_VERSION");
    return v.isEmpty() ? QStringLiteral("7.8.2") : v;
}

QString TiendaWoo::carpetaWordPress() {
    if (version() == QStringLiteral("7.8.2")) return QStringLiteral("/usr/share/wordpress");
    QFile suma(carpeta() + QStringLiteral("/wordpress-7.0.4.tar.xz.sha256"));
    if (!suma.open(QIODevice::ReadOnly)) return {};
    return QDir::tempPath() + QStringLiteral("/moravi-wp-7.0.4-") + QString::fromLatin1(suma.read(12));
}

QProcessEnvironment TiendaWoo::entorno() const {
    const ServidorBD s = servidorBD();
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("MARIADB_HOST"), s.host);
    e.insert(QStringLiteral("MARIADB_PORT"), QString::number(s.puerto));
    e.insert(QStringLiteral("MARIADB_USER"), s.usuario);
    e.insert(QStringLiteral("MARIADB_PASSWORD"), s.clave);
    e.insert(QStringLiteral("WP_DB_NAME"), base_.nombre());
    // One unpacked plugin for every test of a run (instalar.sh unpacks it once).
    e.insert(QStringLiteral("WC_DIR"), QDir::tempPath() + QStringLiteral("/moravi-wc"));
    return e;
}

TiendaWoo::TiendaWoo() {
    if (!SinProgramasLinux().isEmpty()) return;  // the test skips itself
    QDir().mkpath(QDir::tempPath() + QStringLiteral("/moravi-wc"));
    // Two test programs running at once must not unpack the plugin over each other.
    QLockFile candado(QDir::tempPath() + QStringLiteral("/moravi-wc/.instalando"));
    candado.setStaleLockTime(0);
    if (!candado.lock()) {
        ADD_FAILURE() << "cannot lock the WooCommerce folder";
        return;
    }
    QProcess p;
    p.setProcessEnvironment(entorno());
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("bash"), {carpeta() + QStringLiteral("/instalar.sh"), base_.nombre()});
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << "instalar.sh failed:\n" << p.readAll().constData();
        return;
    }
    // The release asked for is the one installed (a test named for 11.0.1 never runs on 7.8.2).
    const QByteArray salida = p.readAll();
    if (!salida.contains("WooCommerce " + version().toUtf8() + " en ")) {
        ADD_FAILURE() << "instalar.sh did not install WooCommerce " << version().toStdString() << ":\n" << salida.constData();
        return;
    }
    instalada_ = true;
}

QString TiendaWoo::php(const QString& codigo, const QProcessEnvironment& extra) {
    QProcessEnvironment e = entorno();
    for (const QString& k : extra.keys()) e.insert(k, extra.value(k));
    QProcess p;
    p.setProcessEnvironment(e);
    const QString programa = QStringLiteral("require '%1/arranque.php';\n").arg(carpeta()) + codigo;
    p.start(QStringLiteral("php"), {QStringLiteral("-r"), programa});
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << "php failed (" << p.exitCode() << "):\n"
                      << p.readAllStandardError().constData() << "\n--- code:\n"
                      << codigo.toStdString();
        return {};
    }
    const QByteArray errores = p.readAllStandardError();
    if (!errores.trimmed().isEmpty()) ADD_FAILURE() << "php wrote to stderr:\n" << errores.constData();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QJsonValue TiendaWoo::json(const QString& codigo, const QProcessEnvironment& extra) {
    const QString salida = php(codigo, extra);
    QJsonParseError error{};
    const QJsonDocument d = QJsonDocument::fromJson(QByteArray(salida.toUtf8()).prepend("[").append("]"), &error);
    if (error.error != QJsonParseError::NoError) {
        ADD_FAILURE() << "php did not print JSON: " << salida.toStdString();
        return {};
    }
    return d.array().at(0);
}

}
