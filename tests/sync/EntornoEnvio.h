#pragma once
// A point-of-sale database and a shop database of their own for one send-run test, each
// reached through a MariaDB user of its own (so a test can see, cut or refuse exactly the
// run's connections), the shared objects and settings pointed at them, and a fixed clock.
#include "VentanaPrueba.h"
#include "config/Configuracion.h"
#include "support/ServidoresPrueba.h"
#include "sync/clsProcedimenti.h"

#include <QDateTime>
#include <QMap>
#include <gtest/gtest.h>

class UsuarioPrueba {
public:
    explicit UsuarioPrueba(prueba::BaseTemporal& base);
    ~UsuarioPrueba();
    const QString nombre;
    const QString clave = u"clave-propia"_s;
    void cambiaClave(const QString& nueva);
    // Server session ids of the user's open connections.
    QStringList conexiones();
    void cortaConexiones();
    // True once the user has no connection left (a closed one leaves the server's list
    // shortly after the client lets go of it).
    bool sinConexiones();

private:
    prueba::BaseTemporal& base_;
};

class EntornoEnvio : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    ResultadoEnvio enviar();
    // One row of `productos`; each value but the key is SQL text ("NULL" allowed).
    void producto(const QString& clave, const QString& descrip, const QString& precio1 = u"1"_s,
                  const QString& existencia = u"1"_s, int linea = 1);
    // Products P1 .. Pn, described "Producto 1" .. "Producto n".
    void productos(int n);
    // The keys in the shop's "_sku" rows, in the order their posts were made.
    QStringList skus();
    // The post linked to the key by its "_sku" row ("" when none).
    QString post(const QString& clave);
    // The post's meta keys in the order they were added, and key -> value.
    QStringList claves(const QString& postId);
    QMap<QString, QString> valores(const QString& postId);
    int cuenta(const QString& tabla);
    // The send goes to the database `base` on the test server (a real shop a test installed there)
    // instead of the fixture's own.
    void enviaA(const QString& base);
    // A database object of the test's own, pointed at the shop's database as the settings name it.
    std::shared_ptr<kesa5::BasesDD> baseWeb();

    prueba::BaseTemporal host{{u"pos-tables.sql"_s}};
    prueba::BaseTemporal web{{u"wordpress-tables.sql"_s}};
    UsuarioPrueba usuarioHost{host};
    UsuarioPrueba usuarioWeb{web};
    VentanaPrueba ventana;
    ColeccionCampos campos;
    bool blInterruptus = false;
    // The run's chunks; a test about what happens between two products makes each product one.
    LimitesLote lote;
    ReintentosLote reintentos;
    void unoPorLote() { lote.productos = 1; }
    QDateTime ahora{QDate(2026, 1, 8), QTime(17, 19, 59)};
};

// Text for a single-quoted SQL literal in the fixture statements.
QString sqlTexto(const QString& texto);
