#pragma once
// A persistent object cache for a TiendaWoo, as hosted shops run one: a redis-server of its own
// on 127.0.0.1 (a free port, a temp folder, stopped by its PID) and a WordPress content folder
// holding the real Redis Object Cache drop-in (../shared/woocommerce/object-cache/), an
// mu-plugins/ folder and a link to WordPress's themes. PHP run with entorno() added to a
// TiendaWoo's keeps posts, meta, terms, options, transients and queries in that Redis.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

namespace prueba {

class CacheRedis {
public:
    // Starts the server and lays out the folder; fails the test when it cannot.
    CacheRedis();
    ~CacheRedis();
    CacheRedis(const CacheRedis&) = delete;
    CacheRedis& operator=(const CacheRedis&) = delete;

    bool lista() const { return lista_; }
    // WP_CONTENT_DIR and WP_REDIS_PORT for bootstrap.php.
    QProcessEnvironment entorno() const;
    // Copies `archivo` into the content folder's mu-plugins/ under `nombre` (its own name when
    // empty), as a shop's administrator installs a must-use plugin; quitaMuPlugin takes it out.
    void agregaMuPlugin(const QString& archivo, const QString& nombre = {});
    void quitaMuPlugin(const QString& nombre);
    // A must-use plugin written from PHP text (e.g. a define() the shop's wp-config would hold).
    void escribeMuPlugin(const QString& nombre, const QString& php);

private:
    QTemporaryDir dir_;
    QProcess servidor_;
    int puerto_ = 0;
    bool lista_ = false;
};

}
