#pragma once
// The real main window, offscreen, in a program folder of its own whose point-of-sale
// installation and shop settings point at databases of the test MariaDB.
#include "Entorno.h"
#include "app/PestanaConfiguracion.h"
#include "app/PestanaPrincipal.h"
#include "app/PestanaRelacion.h"
#include "app/frmInicial.h"
#include "config/Configuracion.h"
#include "platform/Mezcla.h"
#include "servicelib/Compartidos.h"
#include "support/ServidoresPrueba.h"

#include <QApplication>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace prueba {

class VentanaReal : public ::testing::Test {
protected:
    const QString kConf = QStringLiteral("Configuración");
    ServidorBD srv = servidorBD();
    BaseTemporal pos{{QStringLiteral("pos-tables.sql")}};
    BaseTemporal web{{QStringLiteral("wordpress-tables.sql")}};
    CarpetaPrograma carpeta;
    std::unique_ptr<frmInicial> w;

    void SetUp() override {
        Config() = Configuracion{};
        carpeta.creaHost(QStringLiteral("MySQLServer=%1\nMySQLPuerto=%2\nMySQLUsuario=%3\nMySQLPassword=%4\n")
                             .arg(srv.host)
                             .arg(srv.puerto)
                             .arg(Mezcla::encripta(srv.usuario), Mezcla::encripta(srv.clave)));
        carpeta.escribe(kConf, QStringLiteral("Base de datos principal"), pos.nombre());
        carpeta.escribe(kConf, QStringLiteral("Dirección IP"), Mezcla::encripta(srv.host));
        carpeta.escribe(kConf, QStringLiteral("Puerto"), QString::number(srv.puerto));
        carpeta.escribe(kConf, QStringLiteral("Usuario WEB"), Mezcla::encripta(srv.usuario));
        carpeta.escribe(kConf, QStringLiteral("Contraseña WEB"), Mezcla::encripta(srv.clave));
        carpeta.escribe(kConf, QStringLiteral("Base de datos WEB"), Mezcla::encripta(web.nombre()));
    }
    void TearDown() override {
        if (w) w->Descargar();
    }

    // Starts the program with this send interval; with `activa` the window is shown and made
    // the active one, so that focus changes are real.
    frmInicial& arranca(int intervalo = 0, bool activa = false) {
        carpeta.escribe(kConf, QStringLiteral("Intervalo en minutos para enviar existencias"), QString::number(intervalo));
        w = std::make_unique<frmInicial>();
        EXPECT_TRUE(w->Cargar({QStringLiteral("moravi")}, carpeta.ruta()));
        if (activa) {
            w->show();
            w->activateWindow();
            QApplication::setActiveWindow(w.get());
            QApplication::processEvents();
        }
        return *w;
    }

    // Runs `accion` from inside the window's handling of pending input (a countdown tick's or
    // the send run's), the first time `cuando` holds.
    void alProcesar(std::function<bool()> cuando, std::function<void()> accion) {
        QMetaObject::invokeMethod(
            w.get(),
            [this, cuando, accion] {
                if (cuando()) accion();
                else if (w->enviando()) alProcesar(cuando, accion);
            },
            Qt::QueuedConnection);
    }
};

}
