#pragma once
// A real WordPress + WooCommerce shop on the throwaway MariaDB, for tests that must see what
// WooCommerce's own code makes of the rows a send writes: installed by
// tests/woocommerce/instalar.sh into a database of the test's own, and read through PHP
// (WooCommerce's API) in a fresh process each time, so nothing is served from an older read.
#include "support/ServidoresPrueba.h"

#include <QJsonValue>
#include <QProcessEnvironment>
#include <QString>

namespace prueba {

class TiendaWoo {
public:
    // Installs the shop (about 5 s); fails the test when it cannot.
    TiendaWoo();
    BaseTemporal& base() { return base_; }
    const QString& nombre() const { return base_.nombre(); }
    bool instalada() const { return instalada_; }

    // Runs PHP `codigo` with WordPress and WooCommerce loaded (as a plugin would run); its
    // standard output. Fails the test when PHP exits non-zero.
    QString php(const QString& codigo, const QProcessEnvironment& extra = {});
    // The same, the output read as JSON.
    QJsonValue json(const QString& codigo, const QProcessEnvironment& extra = {});

    // The environment arranque.php reads (server, database, WC_DIR, WC_VERSION).
    QProcessEnvironment entorno() const;
    // tests/woocommerce, the project's own kit: the release tarballs, instalar.sh, arranque.php.
    static QString carpeta();
    // The WooCommerce under test: WC_VERSION of the test's environment, 7.8.2 when unset.
    static QString version();
    // The WordPress folder arranque.php loads for that version.
    static QString carpetaWordPress();

private:
    BaseTemporal base_;
    bool instalada_ = false;
};

}
