// What the real main window tells about its sends (offscreen, against the test MariaDB): the
// last send under the countdown, the history table, the icon's tip and warning state, and the
// history and log files beside the settings, across a restart.
#include "VentanaReal.h"
#include "registro/HistorialEnvios.h"
#include "app/PanelEnvios.h"
#include "app/clsInicio.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

using namespace Qt::StringLiterals;

namespace {

class Historial : public prueba::VentanaReal {
protected:
    QString archivoHistorial() const { return carpeta.ruta() + QStringLiteral("/") + QFileInfo(carpeta.ini()).completeBaseName() + QStringLiteral("-historial.json"); }
    QString log() const {
        QFile f(carpeta.ruta() + QStringLiteral("/") + QFileInfo(carpeta.ini()).completeBaseName() + QStringLiteral(".log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    QStringList fila(int r) const {
        QStringList celdas;
        for (int c = 0; c < w->principal->panelEnvios->tblHistorial->columnCount(); ++c)
            celdas << w->principal->panelEnvios->tblHistorial->item(r, c)->text();
        return celdas;
    }
};

// Each kind of end, one after the other in one program: what the main tab, the table, the tip,
// the icon and the log say after each.
TEST_F(Historial, CompleteInterruptedAndFailedSendsAreShownOnTheTabTheIconTheHistoryAndTheLog) {
    pos.ejecuta(QStringLiteral("INSERT INTO productos (Clave, Descrip, Precio1, Existencia, Linea) VALUES "
                               "('A1', 'Uno', 10, 1, 1), ('B2', 'Dos', 20, 0, 1), ('C3', 'Tres', 30, 5, 1)"));
    frmInicial& v = arranca(5);
    v.LoteEnvio.productos = 1;  // an interruption takes effect between chunks: one product each
    QSystemTrayIcon* icono = clsInicio::icono();
    ASSERT_NE(icono, nullptr);
    EXPECT_EQ(v.principal->panelEnvios->lblUltimoEnvio->text(), QStringLiteral("Último envío: ninguno todavía"));
    EXPECT_TRUE(icono->toolTip().contains(QStringLiteral("Último envío: ninguno todavía")));
    prueba::Respuestas respuestas;

    struct Caso {
        const char* que;
        std::function<void()> prepara;
        QString enviados, nuevos, cambiados, resultado;  // the table's row
        bool error, aviso;                               // error shown on the tab, warning icon
        int mensajesIcono;
        QString enLog;
    };
    const QString rechazo = QStringLiteral(
        "CREATE TRIGGER rechaza BEFORE INSERT ON wp_postmeta FOR EACH ROW SIGNAL SQLSTATE '45000' "
        "SET MESSAGE_TEXT = 'escritura rechazada'");
    const std::vector<Caso> casos{
        {"interrupted after the second product",
         [&] {
             respuestas.siguientes = {Dialogos::ResultYes};
             alProcesar([&] { return v.principal->Label5->text() == QStringLiteral("Producto 2 de 3"); },
                        [&] { v.principal->cmdLeerAhora->click(); });
         },
         QStringLiteral("2 de 3"), QStringLiteral("2"), QStringLiteral("0"), QStringLiteral("interrumpido"), false, false,
         0, QStringLiteral("productos 2 de 3  nuevos 2  cambiados 0  interrumpido 2 de 3")},
        {"failed: the shop refuses a new product's values",
         [&] {
             pos.ejecuta(QStringLiteral("INSERT INTO productos (Clave, Descrip, Precio1, Existencia, Linea) "
                                        "VALUES ('D4', 'Cuatro', 40, 2, 1)"));
             web.ejecuta(rechazo);
         },
         QStringLiteral("2 de 4"), QStringLiteral("0"), QStringLiteral("0"),
         QStringLiteral("falló: el envío no terminó: "), true, true, 1,
         QStringLiteral("error: clave C3: el envío no terminó: ")},
        {"failed again on the next retry: no second icon message", [] {}, QStringLiteral("2 de 4"), QStringLiteral("0"),
         QStringLiteral("0"), QStringLiteral("falló: "), true, true, 1, QStringLiteral("escritura rechazada")},
        {"complete, with a changed price: the error goes, the icon is plain again",
         [&] {
             web.ejecuta(QStringLiteral("DROP TRIGGER rechaza"));
             pos.ejecuta(QStringLiteral("UPDATE productos SET Precio1 = 11 WHERE Clave = 'A1'"));
         },
         QStringLiteral("4 de 4"), QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("completo"), false, false, 1,
         QStringLiteral("productos 4 de 4  nuevos 2  cambiados 2  completo")},
    };
    for (size_t i = 0; i < casos.size(); ++i) {
        const Caso& c = casos[i];
        SCOPED_TRACE(c.que);
        c.prepara();
        v.principal->cmdLeerAhora->click();
        ASSERT_EQ(v.principal->panelEnvios->tblHistorial->rowCount(), static_cast<int>(i + 1));
        const QStringList r = fila(0);
        EXPECT_EQ(r[2], c.enviados);
        EXPECT_EQ(r[3], c.nuevos);
        EXPECT_EQ(r[4], c.cambiados);
        EXPECT_TRUE(r[5].startsWith(c.resultado)) << r[5].toStdString();
        const QString ultimo = v.principal->panelEnvios->lblUltimoEnvio->text();
        EXPECT_TRUE(ultimo.startsWith(QStringLiteral("Último envío: ") + QDate::currentDate().toString(Qt::ISODate)))
            << ultimo.toStdString();
        EXPECT_TRUE(ultimo.contains(QStringLiteral("Productos enviados: %1 (nuevos: %2, valores cambiados: %3)")
                                        .arg(c.enviados, c.nuevos, c.cambiados)))
            << ultimo.toStdString();
        EXPECT_TRUE(ultimo.contains(QStringLiteral("Resultado: ") + c.resultado)) << ultimo.toStdString();
        EXPECT_EQ(v.principal->panelEnvios->lblUltimoEnvio->textFormat(), Qt::PlainText);
        EXPECT_EQ(!v.principal->lblError->isHidden(), c.error);
        EXPECT_EQ(v.enFallo(), c.aviso);
        EXPECT_EQ(icono->icon().cacheKey() == v.windowIcon().cacheKey(), !c.aviso);
        EXPECT_EQ(v.avisosIcono(), c.mensajesIcono);
        const QString tip = icono->toolTip();
        EXPECT_TRUE(tip.startsWith(v.windowTitle() + QStringLiteral("\nÚltimo envío: "))) << tip.toStdString();
        EXPECT_TRUE(tip.contains(QStringLiteral(", ") + c.resultado)) << tip.toStdString();
        EXPECT_TRUE(tip.contains(QStringLiteral("\nPróximo envío: ") + QDate::currentDate().toString(Qt::ISODate).left(4)))
            << tip.toStdString();
        EXPECT_TRUE(log().contains(c.enLog)) << log().toStdString();
    }
    // The failed sends show their reason in the table; the newest is first.
    EXPECT_TRUE(fila(1)[5].contains(QStringLiteral("escritura rechazada")));
    EXPECT_TRUE(fila(3)[5].startsWith(QStringLiteral("interrumpido")));

    // A restart reads the same history; its last failure is over, so no warning comes back.
    const QStringList antes = fila(0) + fila(3);
    w->Descargar();
    w.reset();
    frmInicial& otra = arranca(5);
    ASSERT_EQ(otra.principal->panelEnvios->tblHistorial->rowCount(), 4);
    EXPECT_EQ(fila(0) + fila(3), antes);
    EXPECT_FALSE(otra.enFallo());
    EXPECT_TRUE(otra.principal->lblError->isHidden());
}

// What a send notes without stopping is written once in the log and never hidden by the
// history (the same run as "-enviar"'s: see Ejecutable.ASendWithAWarning...).
TEST_F(Historial, ASendWithAWarningLogsItOnceAndTheHistoryShowsIt) {
    pos.ejecuta(QStringLiteral("DROP TABLE configura"));
    pos.ejecuta(QStringLiteral("INSERT INTO productos (Clave, Descrip, Precio1, Existencia, Linea) VALUES ('A1', 'Uno', 10, 1, 1)"));
    frmInicial& v = arranca(5);
    v.principal->cmdLeerAhora->click();
    const QString aviso = QStringLiteral("el punto de venta no tiene la tabla «configura»");
    EXPECT_EQ(log().count(aviso), 1) << log().toStdString();
    EXPECT_TRUE(log().contains(QStringLiteral("productos 1 de 1  nuevos 1  cambiados 0  completo, con 1 aviso\n")))
        << log().toStdString();
    EXPECT_TRUE(fila(0)[5].startsWith(QStringLiteral("completo, con avisos: ") + aviso)) << fila(0)[5].toStdString();
    EXPECT_TRUE(v.principal->lblError->text().contains(aviso));
    EXPECT_FALSE(v.enFallo()) << "a warning is no failure";
}

TEST_F(Historial, AFailureBeforeARestartStillWarnsAndTheHistoryKeepsItsNewestFifty) {
    // Fifty older sends, the newest of them failed, as another run left them.
    {
        HistorialEnvios h(archivoHistorial());
        for (int i = 0; i < HistorialEnvios::kMaximo; ++i) {
            EnvioRegistrado e;
            e.fin = QDateTime(QDate(2026, 1, 1), QTime(0, 0)).addSecs(60 * i);
            e.enviados = e.total = i;
            e.resultado = i + 1 == HistorialEnvios::kMaximo ? QStringLiteral("fallo") : QStringLiteral("completo");
            e.mensaje = i + 1 == HistorialEnvios::kMaximo ? QStringLiteral("el servidor se fue") : QString();
            ASSERT_EQ(h.Agrega(e), QString());
        }
    }
    pos.ejecuta(QStringLiteral("INSERT INTO productos (Clave, Descrip, Precio1, Existencia, Linea) VALUES ('A1', 'Uno', 10, 1, 1)"));
    frmInicial& v = arranca(5);
    EXPECT_EQ(v.principal->panelEnvios->tblHistorial->rowCount(), 50);
    EXPECT_TRUE(v.enFallo());
    EXPECT_FALSE(v.principal->lblError->isHidden());
    EXPECT_TRUE(v.principal->lblError->text().contains(QStringLiteral("el servidor se fue")));
    EXPECT_NE(clsInicio::icono()->icon().cacheKey(), v.windowIcon().cacheKey());

    v.principal->cmdLeerAhora->click();
    EXPECT_EQ(v.principal->panelEnvios->tblHistorial->rowCount(), 50) << "the oldest one gave way";
    EXPECT_EQ(fila(0)[2], QStringLiteral("1 de 1"));
    EXPECT_EQ(fila(49)[2], QStringLiteral("1 de 1")) << "the send of 00:01 is now the oldest";
    EXPECT_FALSE(v.enFallo());
    HistorialEnvios leido(archivoHistorial());
    EXPECT_TRUE(leido.Cargar().isEmpty());
    EXPECT_EQ(leido.Envios().size(), 50);
}

// Sends recorded by another process beside the open window (a scheduled "-enviar" writes the
// file through the same code): the window shows each one without a send of its own, the first
// one creating the file, the next one replacing it by a rename.
TEST_F(Historial, ASendRecordedByAnotherProcessShowsInTheWindowWithoutASendOfItsOwn) {
    frmInicial& v = arranca(5);
    ASSERT_FALSE(QFile::exists(archivoHistorial()));
    struct Caso {
        const char* resultado;
        const char* mensaje;
        bool enFallo;
    } casos[] = {{"fallo", "el servidor se fue", true}, {"completo", "", false}};
    int filas = 0;
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.resultado);
        EnvioRegistrado e;
        e.fin = QDateTime::currentDateTime().addSecs(filas);
        e.enviados = e.total = 7;
        e.resultado = QString::fromLatin1(c.resultado);
        e.mensaje = QString::fromUtf8(c.mensaje);
        ASSERT_EQ(HistorialEnvios(archivoHistorial()).Agrega(e), QString());
        ++filas;
        QDeadlineTimer plazo(10000);
        while (v.principal->panelEnvios->tblHistorial->rowCount() < filas && !plazo.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        ASSERT_EQ(v.principal->panelEnvios->tblHistorial->rowCount(), filas);
        EXPECT_EQ(fila(0)[2], QStringLiteral("7 de 7"));
        EXPECT_EQ(v.enFallo(), c.enFallo);
        EXPECT_EQ(v.principal->lblError->isHidden(), !c.enFallo);
        EXPECT_TRUE(clsInicio::icono()->toolTip().contains(u"Último envío: "_s + e.fin.toString(u"yyyy-MM-dd HH:mm:ss"_s)))
            << clsInicio::icono()->toolTip().toStdString();
    }
    EXPECT_EQ(v.avisosIcono(), 1) << "one message for the outside failure";
}

// After more failures than the history holds, the main tab still says when the shop was last
// brought up to date; once a send succeeds the history is the newest fifty again.
TEST_F(Historial, TheLastCompleteSendOutlivesARunOfFailures) {
    {
        HistorialEnvios h(archivoHistorial());
        for (int i = 0; i <= HistorialEnvios::kMaximo; ++i) {
            EnvioRegistrado e;
            e.fin = QDateTime(QDate(2026, 1, 1), QTime(0, 0)).addSecs(60 * i);
            e.enviados = e.total = i == 0 ? 7 : 0;
            e.resultado = i == 0 ? QStringLiteral("completo") : QStringLiteral("sin-base");
            ASSERT_EQ(h.Agrega(e), QString());
        }
        ASSERT_EQ(h.Envios().size(), HistorialEnvios::kMaximo + 1);
    }
    pos.ejecuta(QStringLiteral("INSERT INTO productos (Clave, Descrip, Precio1, Existencia, Linea) VALUES ('A1', 'Uno', 10, 1, 1)"));
    frmInicial& v = arranca(5);
    EXPECT_EQ(v.principal->panelEnvios->lblUltimoCompleto->text(),
              QStringLiteral("Último envío completo: 2026-01-01 00:00:00, productos 7 de 7 (nuevos: 0, valores cambiados: 0)"));
    EXPECT_TRUE(v.principal->panelEnvios->lblUltimoEnvio->text().contains(
        QStringLiteral("Productos enviados: ninguno (no se llegaron a leer)")));
    v.principal->cmdLeerAhora->click();
    EXPECT_TRUE(v.principal->panelEnvios->lblUltimoCompleto->text().contains(QStringLiteral("productos 1 de 1")));
    HistorialEnvios leido(archivoHistorial());
    EXPECT_TRUE(leido.Cargar().isEmpty());
    EXPECT_EQ(leido.Envios().size(), HistorialEnvios::kMaximo);
}

TEST_F(Historial, ACorruptHistoryFileIsSetAsideWithAMessageAndANewOneStarts) {
    for (const QByteArray& contenido : {QByteArray("{esto no es"), QByteArray("[{\"fin\": 3}]"),
                                        QByteArray(HistorialEnvios::kMaximoBytes + 1, '[')}) {
        SCOPED_TRACE(contenido.left(20).toStdString());
        QFile f(archivoHistorial());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(contenido);
        f.close();
        frmInicial& v = arranca(5);
        EXPECT_TRUE(v.principal->panelEnvios->lblUltimoEnvio->text().contains(QStringLiteral("no se pudo leer; se apartó como")))
            << v.principal->panelEnvios->lblUltimoEnvio->text().toStdString();
        EXPECT_EQ(v.principal->panelEnvios->tblHistorial->rowCount(), 0);
        QFile apartado(archivoHistorial() + QStringLiteral(".danado"));
        ASSERT_TRUE(apartado.open(QIODevice::ReadOnly));
        EXPECT_EQ(apartado.readAll(), contenido) << "kept as it was";
        EXPECT_FALSE(QFile::exists(archivoHistorial()));
        EXPECT_TRUE(log().contains(QStringLiteral("aviso: El historial de envíos")));
        v.principal->cmdLeerAhora->click();
        EXPECT_EQ(v.principal->panelEnvios->tblHistorial->rowCount(), 1);
        w->Descargar();
        w.reset();
    }
}

}

namespace {
// A long send shows a bar with the products done of the total on the main tab and in the icon's
// tip, from the events the run reports, and hides it when the send ends.
TEST_F(Historial, ABarShowsProductsDoneOfTheTotalDuringASendAndHidesAfter) {
    pos.ejecuta(QStringLiteral("INSERT INTO productos (Clave, Descrip, Precio1, Existencia, Linea) SELECT "
                               "CONCAT('P', LPAD(seq, 3, '0')), CONCAT('Producto ', seq), seq, 1, 1 FROM seq_1_to_6"));
    frmInicial& v = arranca(5);
    v.LoteEnvio.productos = 2;
    QSystemTrayIcon* icono = clsInicio::icono();
    ASSERT_NE(icono, nullptr);
    EXPECT_FALSE(v.principal->barEnvio->isVisibleTo(&v)) << "no send: no bar";
    struct Visto {
        bool visible;
        int valor, maximo;
        QString texto, tip;
    };
    std::vector<Visto> vistos;
    const std::function<void()> mira = [&] {
        vistos.push_back({v.principal->barEnvio->isVisibleTo(&v), v.principal->barEnvio->value(),
                          v.principal->barEnvio->maximum(), v.principal->barEnvio->format(), icono->toolTip()});
    };
    alProcesar([&] { return v.principal->Label5->text() == QStringLiteral("Producto 3 de 6"); }, mira);
    v.principal->cmdLeerAhora->click();
    ASSERT_EQ(vistos.size(), 1u);
    EXPECT_TRUE(vistos[0].visible);
    EXPECT_EQ(vistos[0].valor, 2);
    EXPECT_EQ(vistos[0].maximo, 6);
    EXPECT_TRUE(vistos[0].texto.startsWith(QStringLiteral("2 de 6 productos"))) << vistos[0].texto.toStdString();
    EXPECT_TRUE(vistos[0].tip.contains(QStringLiteral("\nEnviando: 2 de 6 productos"))) << vistos[0].tip.toStdString();
    EXPECT_FALSE(v.principal->barEnvio->isVisibleTo(&v));
    EXPECT_FALSE(icono->toolTip().contains(QStringLiteral("Enviando"))) << icono->toolTip().toStdString();
}
}
