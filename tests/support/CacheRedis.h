#pragma once
// A persistent object cache for a TiendaWoo, as hosted shops run one: a redis-server of its own
// on 127.0.0.1 (a free port, a temp folder, stopped by its PID) and a WordPress content folder
// holding the real Redis Object Cache drop-in (tests/woocommerce/cache-objetos/), mu-plugins/
// and a link to WordPress's themes. PHP run with entorno() keeps posts, meta, terms, options,
// transients and query results in that Redis.
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace prueba {

class CacheRedis {
public:
    CacheRedis();  // fails the test when the server does not start
    ~CacheRedis();
    bool lista() const { return lista_; }
    // WP_CONTENT_DIR and WP_REDIS_PORT for arranque.php.
    QProcessEnvironment entorno() const;
    // Writes mu-plugins/<nombre> with `php` (as an administrator copies a must-use plugin in);
    // empty text takes it out.
    void muPlugin(const QString& nombre, const QByteArray& php);

private:
    QTemporaryDir dir_;
    QProcess servidor_;
    int puerto_ = 0;
    bool lista_ = false;
};

}
