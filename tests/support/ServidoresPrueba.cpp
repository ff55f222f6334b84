#include "support/ServidoresPrueba.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <mysql.h>

namespace prueba {
namespace {
QString env(const char* nombre) { return qEnvironmentVariable(nombre); }

MYSQL* conecta(const QString& base) {
    const ServidorBD s = servidorBD();
    MYSQL* m = mysql_init(nullptr);
    mysql_options(m, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    unsigned int flags = CLIENT_MULTI_STATEMENTS;
    if (!mysql_real_connect(m, s.host.toUtf8().constData(), s.usuario.toUtf8().constData(),
                            s.clave.toUtf8().constData(), base.isEmpty() ? nullptr : base.toUtf8().constData(),
                            static_cast<unsigned>(s.puerto), nullptr, flags)) {
        ADD_FAILURE() << "cannot connect to the test MariaDB: " << mysql_error(m);
        mysql_close(m);
        return nullptr;
    }
    return m;
}

void ejecutaEn(const QString& base, const QString& sql) {
    MYSQL* m = conecta(base);
    if (!m) return;
    const QByteArray q = sql.toUtf8();
    int r = mysql_real_query(m, q.constData(), static_cast<unsigned long>(q.size()));
    if (r != 0) ADD_FAILURE() << "SQL failed: " << mysql_error(m) << "\n" << q.left(300).constData();
    while (r == 0) {
        if (MYSQL_RES* res = mysql_store_result(m)) mysql_free_result(res);
        r = mysql_next_result(m);
        if (r > 0) ADD_FAILURE() << "SQL failed: " << mysql_error(m);
    }
    mysql_close(m);
}
}

ServidorBD servidorBD() {
    ServidorBD s{env("MORAVI_TEST_DB_HOST"), env("MORAVI_TEST_DB_PORT").toInt(), env("MORAVI_TEST_DB_USER"),
                 env("MORAVI_TEST_DB_PASS")};
    if (s.host.isEmpty() || s.puerto == 0)
        ADD_FAILURE() << "MORAVI_TEST_DB_* not set: run the tests with scripts/test, which starts MariaDB";
    return s;
}

ServidorFTP servidorFTP() {
    ServidorFTP s{env("MORAVI_TEST_FTP_PORT").toInt(), env("MORAVI_TEST_FTP_ROOT"), env("MORAVI_TEST_FTP_USER"),
                  env("MORAVI_TEST_FTP_PASS")};
    if (s.puerto == 0 || s.raiz.isEmpty())
        ADD_FAILURE() << "MORAVI_TEST_FTP_* not set: run the tests with scripts/test, which starts the FTP server";
    return s;
}

Certificados certificados() {
    Certificados c{env("MORAVI_TEST_CA"), env("MORAVI_TEST_CA_AJENA")};
    if (c.ca.isEmpty() || c.caAjena.isEmpty())
        ADD_FAILURE() << "MORAVI_TEST_CA* not set: run the tests with scripts/test, which makes the certificates";
    return c;
}

QString rutaFixture(const QString& archivo) {
    return QStringLiteral(MORAVI_FIXTURES_DIR "/") + archivo;
}

BaseTemporal::BaseTemporal(const QStringList& scripts) {
    nombre_ = QStringLiteral("t_%1_%2")
                  .arg(QCoreApplication::applicationPid())
                  .arg(QRandomGenerator::global()->generate() % 100000000u);
    ejecutaEn(QString(), QStringLiteral("CREATE DATABASE `%1` CHARACTER SET utf8mb4").arg(nombre_));
    for (const QString& s : scripts) {
        QFile f(rutaFixture(s));
        if (!f.open(QIODevice::ReadOnly)) {
            ADD_FAILURE() << "missing fixture " << s.toStdString();
            continue;
        }
        ejecutaEn(nombre_, QString::fromUtf8(f.readAll()));
    }
}

BaseTemporal::~BaseTemporal() { ejecutaEn(QString(), QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(nombre_)); }

void BaseTemporal::ejecuta(const QString& sql) { ejecutaEn(nombre_, sql); }

QStringList BaseTemporal::filas(const QString& sql) {
    QStringList salida;
    MYSQL* m = conecta(nombre_);
    if (!m) return salida;
    const QByteArray q = sql.toUtf8();
    if (mysql_real_query(m, q.constData(), static_cast<unsigned long>(q.size())) != 0) {
        ADD_FAILURE() << "query failed: " << mysql_error(m) << "\n" << q.constData();
        mysql_close(m);
        return salida;
    }
    if (MYSQL_RES* res = mysql_store_result(m)) {
        const unsigned n = mysql_num_fields(res);
        while (MYSQL_ROW row = mysql_fetch_row(res)) {
            unsigned long* largos = mysql_fetch_lengths(res);
            QStringList cols;
            for (unsigned i = 0; i < n; ++i)
                cols << (row[i] ? QString::fromUtf8(row[i], static_cast<qsizetype>(largos[i])) : QStringLiteral("NULL"));
            salida << cols.join(QLatin1Char('|'));
        }
        mysql_free_result(res);
    }
    mysql_close(m);
    return salida;
}

QString BaseTemporal::valor(const QString& sql) {
    const QStringList f = filas(sql);
    if (f.size() != 1) {
        ADD_FAILURE() << "expected one row from: " << sql.toStdString() << " got " << f.size();
        return {};
    }
    return f.first();
}

}
