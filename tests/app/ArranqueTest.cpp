// Start-up and shutdown of the real main window, offscreen, in a program folder of its own.
#include "Entorno.h"
#include "consola/Arranque.h"
#include "app/Mensajes.h"
#include "app/PestanaConfiguracion.h"
#include "app/PestanaPrincipal.h"
#include "app/PestanaRelacion.h"
#include "app/frmInicial.h"
#include "config/Configuracion.h"
#include "platform/DeArchivosQt.h"
#include "platform/Mezcla.h"
#include "servicelib/Compartidos.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using prueba::CarpetaPrograma;
using prueba::Respuestas;

namespace {

const QString kConf = QStringLiteral("Configuración");
// Nothing listens on port 1 of the loopback: the product-line read fails at once.
const QString kHostSinServidor = QStringLiteral("MySQLServer=127.0.0.1\nMySQLPuerto=1\n");

class ArranqueVentana : public ::testing::Test {
protected:
    CarpetaPrograma carpeta;
    void SetUp() override { Config() = Configuracion{}; }
};

TEST_F(ArranqueVentana, NoInstallationShowsAtencionAsksToEditAndEnds) {
    Respuestas r;
    r.siguientes = {Dialogos::ResultOk, Dialogos::ResultYes};
    QStringList abiertos;
    auto viejo = DeArchivosQt::instalarAbridor([&](const QString& ruta) { abiertos << ruta; });
    {
        frmInicial w;
        EXPECT_FALSE(w.Cargar({QStringLiteral("moravi")}, carpeta.ruta()));
        EXPECT_FALSE(w.isVisible());
    }
    DeArchivosQt::instalarAbridor(viejo);
    const QString ini = QDir::toNativeSeparators(carpeta.ini());
    ASSERT_EQ(r.vistos.size(), 2);
    EXPECT_EQ(r.vistos[0].titulo, QStringLiteral("Atención"));
    EXPECT_EQ(r.vistos[0].botones, Dialogos::Critical);
    EXPECT_EQ(r.vistos[0].prompt,
              QStringLiteral("En el archivo de configuración de este programa\r\r(") + ini +
                  QStringLiteral(")\r\rdebe indicarse la ruta correcta de Sartenal Premium.\r"
                                 "Ruta indicada e incorrecta: \r\rC:\\sartenalpremium"));
    EXPECT_EQ(r.vistos[1].titulo, QStringLiteral("Editar INI"));
    EXPECT_EQ(r.vistos[1].botones, Dialogos::Question | Dialogos::YesNo);
    EXPECT_EQ(r.vistos[1].prompt, QStringLiteral("¿Desea editar el archivo de configuración?"));
    EXPECT_EQ(abiertos, QStringList{ini});
    // Only the folder key was written: nothing else of start-up ran.
    EXPECT_EQ(carpeta.lee(kConf, QStringLiteral("Ruta de Sartenal Premium")), QStringLiteral("C:\\sartenalpremium"));
    EXPECT_TRUE(carpeta.lee(kConf, QStringLiteral("Usuario WEB")).isEmpty());
}

TEST_F(ArranqueVentana, HostSettingsAreCompletedAndFillTheDatabaseObject) {
    carpeta.creaHost(QStringLiteral("servidor=127.0.0.1\nMySQLPuerto=1\n"));
    Respuestas r;
    frmInicial w;
    ASSERT_TRUE(w.Cargar({QStringLiteral("moravi")}, carpeta.ruta()));
    EXPECT_EQ(carpeta.leeS0W(QStringLiteral("MySQLServer")), QStringLiteral("127.0.0.1"));
    const QString usuario = carpeta.leeS0W(QStringLiteral("MySQLUsuario"));
    const QString clave = carpeta.leeS0W(QStringLiteral("MySQLPassword"));
    EXPECT_NE(usuario, QStringLiteral("root"));
    EXPECT_EQ(Mezcla::desencripta(usuario), QStringLiteral("root"));
    EXPECT_FALSE(clave.isEmpty());
    EXPECT_EQ(Mezcla::desencripta(clave), QString());
    EXPECT_EQ(G().BasesDD->cRuta, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(G().BasesDD->cUsuario, QStringLiteral("root"));
    EXPECT_EQ(G().BasesDD->cPassword, QString());
    EXPECT_EQ(G().BasesDD->cPuerto, 1);
    EXPECT_EQ(G().BasesDD->cMiBase, QStringLiteral("datos1"));
    EXPECT_EQ(carpeta.lee(kConf, QStringLiteral("Base de datos principal")), QStringLiteral("datos1"));
    EXPECT_FALSE(carpeta.lee(kConf, QStringLiteral("Usuario WEB")).isEmpty()) << "the send settings were read";
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Actualización de productos en línea «Moravi»   v 1.0.0"));
    EXPECT_EQ(w.configuracion->txtDato[0]->text(), QStringLiteral("datos1"));
    EXPECT_EQ(w.configuracion->txtDato[1]->text(), QStringLiteral("0"));
    EXPECT_TRUE(r.vistos.isEmpty());
    w.Descargar();
}

TEST_F(ArranqueVentana, PortZeroIsStoredAsTheStandardOne) {
    carpeta.creaHost(QStringLiteral("MySQLServer=127.0.0.1\nMySQLPuerto=0\nMySQLUsuario=") +
                     Mezcla::encripta(QStringLiteral("caja")) + QStringLiteral("\nMySQLPassword=") +
                     Mezcla::encripta(QStringLiteral("s3cr'eto")) + QLatin1Char('\n'));
    Respuestas r;
    frmInicial w;
    ASSERT_TRUE(w.Cargar({QStringLiteral("moravi")}, carpeta.ruta()));
    EXPECT_EQ(carpeta.leeS0W(QStringLiteral("MySQLPuerto")), QStringLiteral("3306"));
    EXPECT_EQ(G().BasesDD->cUsuario, QStringLiteral("caja"));
    EXPECT_EQ(G().BasesDD->cPassword, QStringLiteral("s3cr'eto"));
    w.Descargar();
}

TEST_F(ArranqueVentana, WindowShowsItselfOnlyWithoutScheduleOrWithTheSwitch) {
    carpeta.creaHost(kHostSinServidor);
    Respuestas r;
    {
        frmInicial w;
        ASSERT_TRUE(w.Cargar({QStringLiteral("moravi")}, carpeta.ruta()));
        EXPECT_TRUE(w.isVisible()) << "interval 0: nothing is scheduled, so the window shows";
        EXPECT_FALSE(w.Timer1->isActive());
        w.Descargar();
    }
    carpeta.escribe(kConf, QStringLiteral("Intervalo en minutos para enviar existencias"), QStringLiteral("5"));
    {
        frmInicial w;
        ASSERT_TRUE(w.Cargar({QStringLiteral("moravi")}, carpeta.ruta()));
        EXPECT_FALSE(w.isVisible());
        EXPECT_TRUE(w.Timer1->isActive());
        w.Descargar();
    }
    {
        frmInicial w;
        ASSERT_TRUE(w.Cargar({QStringLiteral("moravi"), QStringLiteral("x-torvay")}, carpeta.ruta()));
        EXPECT_TRUE(w.isVisible()) << "-torva anywhere in the command line";
        EXPECT_FALSE(w.isMinimized());
        w.Descargar();
    }
    carpeta.escribe(kConf, QStringLiteral("Intervalo en minutos para enviar existencias"), QStringLiteral("-1"));
    {
        frmInicial w;
        ASSERT_TRUE(w.Cargar({QStringLiteral("moravi")}, carpeta.ruta()));
        EXPECT_TRUE(w.isVisible()) << "a negative interval schedules nothing either";
        w.Descargar();
    }
    EXPECT_FALSE(Arranque::ArranqueVisible({QStringLiteral("moravi"), QStringLiteral("-TORVA")}));
}

TEST_F(ArranqueVentana, StoredColumnWidthsApplyOnlyWhenAboveZeroAndAreWrittenAtShutdown) {
    carpeta.creaHost(kHostSinServidor);
    carpeta.escribe(QStringLiteral("Reja"), QStringLiteral("Columna 1"), QStringLiteral("0"));
    carpeta.escribe(QStringLiteral("Reja"), QStringLiteral("Columna 2"), QStringLiteral("-300"));
    carpeta.escribe(QStringLiteral("Reja"), QStringLiteral("Columna 3"), QStringLiteral("ancho"));
    carpeta.escribe(QStringLiteral("Reja"), QStringLiteral("Columna 4"), QStringLiteral("4320"));
    Respuestas r;
    frmInicial w;
    ASSERT_TRUE(w.Cargar({QStringLiteral("moravi")}, carpeta.ruta()));
    const QTableWidget& reja = *w.relacion->mhgReja;
    EXPECT_EQ(reja.columnWidth(1), TwipsAPixeles(2000, &w));
    EXPECT_EQ(reja.columnWidth(2), TwipsAPixeles(2000, &w));
    EXPECT_EQ(reja.columnWidth(3), TwipsAPixeles(2000, &w));
    EXPECT_EQ(reja.columnWidth(4), TwipsAPixeles(4320, &w));
    EXPECT_EQ(reja.columnWidth(5), TwipsAPixeles(3000, &w));
    EXPECT_EQ(reja.horizontalHeaderItem(1)->text(), QStringLiteral("Campo de Sartenal"));
    EXPECT_EQ(reja.horizontalHeaderItem(5)->text(), QStringLiteral("Llave en tabla externa"));
    w.relacion->mhgReja->setColumnWidth(0, TwipsAPixeles(720, &w));
    w.Descargar();
    EXPECT_EQ(carpeta.lee(QStringLiteral("Reja"), QStringLiteral("Columna 0")), QStringLiteral("720"));
    EXPECT_EQ(carpeta.lee(QStringLiteral("Reja"), QStringLiteral("Columna 4")), QStringLiteral("4320"));
    EXPECT_EQ(carpeta.lee(QStringLiteral("Reja"), QStringLiteral("Columna 3")),
              QString::number(PixelesATwips(TwipsAPixeles(2000, &w), &w)))
        << "the default width written back in twips";
    EXPECT_EQ(G().libTORVA, nullptr) << "shutdown releases the shared objects";
}

TEST_F(ArranqueVentana, ClosingRules) {
    carpeta.creaHost(kHostSinServidor);
    Respuestas r;
    QStringList abiertos;
    auto viejo = DeArchivosQt::instalarAbridor([&](const QString& ruta) { abiertos << ruta; });
    frmInicial w;
    ASSERT_TRUE(w.Cargar({QStringLiteral("moravi")}, carpeta.ruta()));
    ASSERT_TRUE(w.isVisible());

    EXPECT_FALSE(w.close()) << "the title-bar close only minimises";
    EXPECT_TRUE(w.isMinimized());
    w.showNormal();
    EXPECT_FALSE(w.close());
    EXPECT_EQ(w.avisosOculta(), 1) << "the icon says once that the program goes on behind it";
    EXPECT_NE(G().libTORVA, nullptr);

    r.siguientes = {Dialogos::ResultNo};
    w.principal->cmdTerminar->click();
    ASSERT_EQ(r.vistos.size(), 1);
    EXPECT_EQ(r.vistos[0].prompt, QStringLiteral("¿Está seguro de cerrar este programa?"));
    EXPECT_EQ(r.vistos[0].titulo, QStringLiteral("Cerrar conexión"));
    EXPECT_EQ(r.vistos[0].botones, 36 + 256);
    EXPECT_NE(G().libTORVA, nullptr) << "No leaves everything as it was";

    QTest::mouseDClick(w.centralWidget(), Qt::LeftButton);
    EXPECT_EQ(abiertos, QStringList{QDir::toNativeSeparators(carpeta.ini())});

    r.siguientes = {Dialogos::ResultYes};
    w.principal->cmdTerminar->click();
    EXPECT_EQ(G().libTORVA, nullptr);
    EXPECT_FALSE(carpeta.lee(QStringLiteral("Reja"), QStringLiteral("Columna 5")).isEmpty());
    DeArchivosQt::instalarAbridor(viejo);
}

TEST_F(ArranqueVentana, AltF4UnloadsAtOnceWithoutAQuestion) {
    carpeta.creaHost(kHostSinServidor);
    Respuestas r;
    frmInicial w;
    ASSERT_TRUE(w.Cargar({QStringLiteral("moravi"), QStringLiteral("-torva")}, carpeta.ruta()));
    w.activateWindow();
    QApplication::setActiveWindow(&w);
    QTest::keyClick(w.configuracion->txtDato[4], Qt::Key_F4, Qt::AltModifier);
    EXPECT_TRUE(r.vistos.isEmpty());
    EXPECT_EQ(G().libTORVA, nullptr);
    EXPECT_FALSE(w.isVisible());
}

TEST(Posicion, PlaceAndSizeRoundTripAndBadValuesFallBack) {
    CarpetaPrograma carpeta;
    G().crear();
    G().ArchivoIni = carpeta.ini();
    QWidget ventana;
    ventana.setObjectName(QStringLiteral("frmPrueba"));
    ventana.setWindowTitle(QStringLiteral("Prueba"));
    ventana.move(TwipsAPixeles(1500, &ventana), TwipsAPixeles(900, &ventana));
    ventana.resize(TwipsAPixeles(6000, &ventana), TwipsAPixeles(4500, &ventana));
    GuardaPosicion(ventana, true);
    EXPECT_EQ(carpeta.lee(QStringLiteral("frmPrueba"), QStringLiteral("Ventana")), QStringLiteral("Prueba"));
    EXPECT_EQ(carpeta.lee(QStringLiteral("frmPrueba"), QStringLiteral("Columna")), QStringLiteral("1500"));

    QWidget otra;
    otra.setObjectName(QStringLiteral("frmPrueba"));
    RecuperaPosicion(otra, true);
    EXPECT_EQ(otra.pos(), ventana.pos());
    EXPECT_EQ(otra.size(), ventana.size());

    // The tag names the section before the name does.
    QWidget conTag;
    conTag.setObjectName(QStringLiteral("frmOtro"));
    conTag.setProperty("tag", QStringLiteral("frmPrueba"));
    RecuperaPosicion(conTag, false);
    EXPECT_EQ(conTag.pos(), ventana.pos());

    carpeta.escribe(QStringLiteral("frmPrueba"), QStringLiteral("Alto"), QStringLiteral("alto"));
    QWidget mala;
    mala.setObjectName(QStringLiteral("frmPrueba"));
    mala.resize(200, 100);
    RecuperaPosicion(mala, true);
    EXPECT_EQ(mala.pos(), QPoint(0, 0)) << "a size that is not a number sends the place to 0, 0";
    EXPECT_EQ(mala.size(), QSize(200, 100));

    carpeta.escribe(QStringLiteral("frmPrueba"), QStringLiteral("Alto"), QStringLiteral("4500"));
    carpeta.escribe(QStringLiteral("frmPrueba"), QStringLiteral("Ancho"), QStringLiteral("0"));
    QWidget cero;
    cero.setObjectName(QStringLiteral("frmPrueba"));
    cero.resize(200, 100);
    RecuperaPosicion(cero, true);
    EXPECT_EQ(cero.pos(), ventana.pos()) << "a width of 0 keeps the size but applies the place";
    EXPECT_EQ(cero.size(), QSize(200, 100));
    G().liberar();
}

}
