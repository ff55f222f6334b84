// The description window: opened with F1 from any control, one instance, its place kept.
#include "Entorno.h"
#include "app/Mensajes.h"
#include "app/frmDescripcion.h"
#include "app/PestanaConfiguracion.h"
#include "app/PestanaPrincipal.h"
#include "app/PestanaRelacion.h"
#include "app/frmInicial.h"
#include "platform/DeArchivosQt.h"
#include "support/SinAbridor.h"
#include "support/Sistema.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace {

const QString kSeccion = QStringLiteral("frmDescripcion");

class Descripcion : public ::testing::Test {
protected:
    prueba::CarpetaPrograma carpeta;
    prueba::Respuestas respuestas;
    std::unique_ptr<frmInicial> w;

    void SetUp() override {
        carpeta.creaHost(QStringLiteral("MySQLServer=127.0.0.1\nMySQLPuerto=1\n"));
        w = std::make_unique<frmInicial>();
        ASSERT_TRUE(w->Cargar({QStringLiteral("moravi")}, carpeta.ruta()));
        QApplication::setActiveWindow(w.get());
    }
    void TearDown() override {
        if (frmDescripcion::abierta()) frmDescripcion::instancia()->close();
        QCoreApplication::processEvents();
        w->Descargar();
    }
    frmDescripcion* pulsaF1() {
        // The user comes back to the main window, then presses F1 in a text box.
        QApplication::setActiveWindow(w.get());
        QTest::keyClick(w->configuracion->txtDato[4], Qt::Key_F1);
        return frmDescripcion::instancia();
    }
};

TEST_F(Descripcion, F1OpensOneModelessWindowThatSavesItsPlaceOnClosing) {
    EXPECT_FALSE(frmDescripcion::abierta());
    frmDescripcion* d = pulsaF1();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(d->isModal());
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Descripción del programa"));
    EXPECT_EQ(d->pos(), w->geometry().center() - d->rect().center()) << "no saved place yet: centred on the main window";
    EXPECT_FALSE(d->rtbTexto->toPlainText().isEmpty());
    EXPECT_TRUE(d->rtbTexto->toPlainText().contains(QDir::toNativeSeparators(carpeta.ini())))
        << "the text says where the settings file is";
    EXPECT_EQ(pulsaF1(), d) << "a second F1 brings up the same window";

    // The text box follows the window's size, 260 by 600 twips smaller.
    d->resize(TwipsAPixeles(7000, d), TwipsAPixeles(5000, d));
    QCoreApplication::processEvents();
    EXPECT_EQ(d->rtbTexto->width(), d->width() - TwipsAPixeles(260, d));
    EXPECT_EQ(d->rtbTexto->height(), d->height() - TwipsAPixeles(600, d));
    d->move(TwipsAPixeles(1200, d), TwipsAPixeles(600, d));
    d->close();
    QCoreApplication::processEvents();
    EXPECT_FALSE(frmDescripcion::abierta()) << "closing unloads it";
    EXPECT_EQ(carpeta.lee(kSeccion, QStringLiteral("Ventana")), QStringLiteral("Descripción del programa"));
    EXPECT_EQ(carpeta.lee(kSeccion, QStringLiteral("Columna")), QStringLiteral("1200"));
    EXPECT_EQ(carpeta.lee(kSeccion, QStringLiteral("Linea")), QStringLiteral("600"));
    EXPECT_FALSE(carpeta.lee(kSeccion, QStringLiteral("Ancho")).isEmpty());
    EXPECT_FALSE(carpeta.lee(kSeccion, QStringLiteral("Alto")).isEmpty());

    frmDescripcion* otra = pulsaF1();
    ASSERT_NE(otra, nullptr);
    EXPECT_EQ(otra->pos(), QPoint(TwipsAPixeles(1200, otra), TwipsAPixeles(600, otra)));
    EXPECT_EQ(otra->size(), QSize(TwipsAPixeles(7000, otra), TwipsAPixeles(5000, otra)));
}

TEST_F(Descripcion, SavedPlaceFallBacks) {
    carpeta.escribe(kSeccion, QStringLiteral("Columna"), QStringLiteral("1440"));
    carpeta.escribe(kSeccion, QStringLiteral("Linea"), QStringLiteral("720"));
    carpeta.escribe(kSeccion, QStringLiteral("Ancho"), QStringLiteral("0"));
    carpeta.escribe(kSeccion, QStringLiteral("Alto"), QStringLiteral("5000"));
    frmDescripcion* d = pulsaF1();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->pos(), QPoint(TwipsAPixeles(1440, d), TwipsAPixeles(720, d))) << "a width of 0 keeps the place";
    EXPECT_EQ(d->size(), QSize(TwipsAPixeles(9000, d), TwipsAPixeles(6600, d))) << "and the design size";
    d->close();
    QCoreApplication::processEvents();

    carpeta.escribe(kSeccion, QStringLiteral("Ancho"), QStringLiteral("6000"));
    carpeta.escribe(kSeccion, QStringLiteral("Alto"), QStringLiteral("alto"));
    d = pulsaF1();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->pos(), w->geometry().center() - d->rect().center())
        << "a height that is not a number is no saved place: centred on the main window";
}

TEST_F(Descripcion, MenuOpensTheSettingsFileAndOutlivesTheMainWindow) {
    QStringList abiertos;
    auto viejo = DeArchivosQt::instalarAbridor([&](const QString& ruta) { abiertos << ruta; });
    frmDescripcion* d = pulsaF1();
    ASSERT_NE(d, nullptr);
    QAction* editar = d->findChild<QAction*>(QStringLiteral("mnEditINI"));
    ASSERT_NE(editar, nullptr);
    EXPECT_EQ(editar->text(), QStringLiteral("Editar archivo INI de configuración"));
    editar->trigger();
    EXPECT_EQ(abiertos, QStringList{QDir::toNativeSeparators(carpeta.ini())});
    DeArchivosQt::instalarAbridor(viejo);
    // No program to open it with: the user is told where the file is.
    QString sinProbar;
    {
        const prueba::SinAbridor sinAbridor(u".ini"_qs);
        sinProbar = sinAbridor.porQueNo();
        if (sinProbar.isEmpty()) {  // otherwise said at the end
            const auto vistos = respuestas.vistos.size();
            editar->trigger();
            ASSERT_EQ(respuestas.vistos.size(), vistos + 1);
            EXPECT_TRUE(respuestas.vistos.back().prompt.contains(QStringLiteral("No hay un programa para abrir")));
            EXPECT_TRUE(respuestas.vistos.back().prompt.contains(QDir::toNativeSeparators(carpeta.ini())));
        }
    }

    w->Descargar();
    QCoreApplication::processEvents();
    EXPECT_TRUE(frmDescripcion::abierta()) << "the main window's shutdown does not close it";
    d->move(TwipsAPixeles(300, d), TwipsAPixeles(300, d));
    d->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(carpeta.lee(kSeccion, QStringLiteral("Columna")), QStringLiteral("300"))
        << "it still saves its place after the main window is gone";
    SALTA_SI(sinProbar.isEmpty() ? QString() : u"El aviso de que no hay programa para abrir el archivo no se probó: "_qs + sinProbar);
}

}
