// The send schedule, the send button and the notification-area icon of the real main window,
// offscreen, sending to a shop database on the test MariaDB. The countdown is driven tick by
// tick through its handler: no test waits for the clock.
#include "VentanaReal.h"
#include "app/EtiquetaRecortada.h"
#include "app/Mensajes.h"
#include "app/clsInicio.h"
#include "servicelib/Dialogos.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

class Programa : public prueba::VentanaReal {
protected:
    void productos(const QStringList& claves) {
        for (const QString& c : claves)
            pos.ejecuta(QStringLiteral("INSERT INTO productos (Clave, Descrip, Precio1, Existencia, Linea) "
                                       "VALUES ('%1', 'Producto %1', 10, 1, 1)").arg(c));
    }
    QStringList enTienda() {
        return web.filas(QStringLiteral("SELECT meta_value FROM wp_postmeta WHERE meta_key='_sku' ORDER BY meta_value"));
    }
};

// The timer's wiring: each tick shows the time left, and the tick reaching the interval sends
// (the counting itself is Programacion's, tested as a table in tests/registro).
TEST_F(Programa, CountdownShowsTheTimeLeftAndSendsOnTheTickThatReachesTheInterval) {
    productos({QStringLiteral("A1")});
    frmInicial& v = arranca(1);
    ASSERT_TRUE(v.Timer1->isActive());
    QStringList vistas;
    for (int i = 0; i < 59; ++i) {
        v.Timer1_Timer();
        vistas << v.principal->lblInfo->text();
    }
    EXPECT_EQ(vistas.first(), QStringLiteral("0 hors. 0 min. 59 segs."));
    EXPECT_EQ(vistas.last(), QStringLiteral("0 hors. 0 min. 1 segs."));
    EXPECT_TRUE(enTienda().isEmpty());

    QString alCero;
    alProcesar([] { return true; }, [&] { alCero = v.principal->lblInfo->text(); });
    v.Timer1_Timer();
    EXPECT_EQ(alCero, QStringLiteral("0 hors. 0 min. 0 segs.")) << "shown before the send starts";
    EXPECT_EQ(enTienda(), QStringList{QStringLiteral("A1")});
    EXPECT_EQ(v.Programa.Minutos, 0);
    EXPECT_EQ(v.Programa.Segundos, 0);
    EXPECT_TRUE(v.Timer1->isActive());
}

TEST_F(Programa, SendNowKeepsTheMinutesCountedTowardsTheNextSend) {
    productos({QStringLiteral("A1")});
    frmInicial& v = arranca(10);
    for (int i = 0; i < 200; ++i) v.Timer1_Timer();
    EXPECT_EQ(v.principal->lblInfo->text(), QStringLiteral("0 hors. 6 min. 40 segs."));
    v.principal->cmdLeerAhora->click();
    EXPECT_EQ(enTienda(), QStringList{QStringLiteral("A1")});
    EXPECT_EQ(v.Programa.Minutos, 3);
    EXPECT_EQ(v.Programa.Segundos, 0);
    EXPECT_TRUE(v.principal->lblInfo->text().isEmpty());
    EXPECT_TRUE(v.Timer1->isActive());
    v.Timer1_Timer();
    EXPECT_EQ(v.principal->lblInfo->text(), QStringLiteral("0 hors. 6 min. 59 segs."));
}

TEST_F(Programa, InterruptionYesStopsBeforeTheNextProductNoLetsTheSendFinish) {
    productos({QStringLiteral("A1"), QStringLiteral("B2"), QStringLiteral("C3"), QStringLiteral("D4")});
    frmInicial& v = arranca(5);
    v.LoteEnvio.productos = 1;  // an interruption takes effect between chunks: one product each
    prueba::Respuestas r;
    QString boton;
    auto enElSegundo = [&] { return v.principal->Label5->text() == QStringLiteral("Producto 2 de 4"); };
    auto pulsa = [&] {
        boton = v.principal->cmdLeerAhora->text();
        v.principal->cmdLeerAhora->click();
    };

    r.siguientes = {Dialogos::ResultYes};
    alProcesar(enElSegundo, pulsa);
    v.principal->cmdLeerAhora->click();
    EXPECT_EQ(boton, QStringLiteral("Interrumpir"));
    ASSERT_EQ(r.vistos.size(), 1);
    EXPECT_EQ(r.vistos[0].prompt, QStringLiteral("¿Desea interrumpir el envío de productos?"));
    EXPECT_EQ(r.vistos[0].titulo, QStringLiteral("Interrumpir proceso"));
    EXPECT_EQ(r.vistos[0].botones, Dialogos::Question | Dialogos::YesNo | Dialogos::DefaultButton2);
    EXPECT_EQ(enTienda(), (QStringList{QStringLiteral("A1"), QStringLiteral("B2")}));
    EXPECT_EQ(v.principal->cmdLeerAhora->text(), QStringLiteral("Enviar ahora"));
    EXPECT_TRUE(v.Timer1->isActive());

    r.siguientes = {Dialogos::ResultNo};
    boton.clear();
    alProcesar(enElSegundo, pulsa);
    v.principal->cmdLeerAhora->click();
    EXPECT_EQ(boton, QStringLiteral("Interrumpir"));
    EXPECT_EQ(r.vistos.size(), 2);
    EXPECT_EQ(enTienda().size(), 4);
}

// The question stays open while the send goes on (the real box, answered later by a timer once
// more chunks are in the shop); the Yes takes effect at the next chunk. The icon's menu asks the
// same, and "Terminar" during a send says one is running.
TEST_F(Programa, AnOpenQuestionDoesNotHoldUpTheSendItsAnswerCountsAtTheNextChunk) {
    productos({u"A1"_s, u"B2"_s, u"C3"_s, u"D4"_s, u"E5"_s, u"F6"_s});
    frmInicial& v = arranca(5);
    v.LoteEnvio.productos = 1;
    const Dialogos::Respondedor anterior = Dialogos::instalar({});
    InstalarRespondedorVentana(&v);
    QString pregunta, menuDurante;
    qsizetype alPreguntar = -1, alResponder = -1;
    QTimer responde;
    QObject::connect(&responde, &QTimer::timeout, &v, [&] {
        auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!caja || enTienda().size() < alPreguntar + 2) return;  // two more chunks written meanwhile
        pregunta = caja->text();
        alResponder = enTienda().size();
        caja->button(QMessageBox::Yes)->click();
        responde.stop();
    });
    alProcesar([&] { return v.principal->Label5->text() == u"Producto 2 de 6"_s; },
               [&] {
                   alPreguntar = enTienda().size();
                   menuDurante = v.menuIcono()->actions()[0]->text();
                   v.menuIcono()->actions()[0]->trigger();  // the icon's "Enviar ahora", now "Interrumpir"
                   responde.start(0);
               });
    v.principal->cmdLeerAhora->click();
    Dialogos::instalar(anterior);
    EXPECT_EQ(menuDurante, u"Interrumpir"_s);
    EXPECT_EQ(pregunta, u"¿Desea interrumpir el envío de productos?"_s);
    EXPECT_EQ(alPreguntar, 1);
    EXPECT_GE(alResponder, 3) << "products were written while the question was open";
    EXPECT_EQ(enTienda().size(), alResponder) << "Yes stopped it at the next chunk";
    EXPECT_EQ(v.menuIcono()->actions()[0]->text(), u"Enviar ahora"_s);

    prueba::Respuestas r;
    alProcesar([&] { return v.principal->Label5->text() == u"Producto 1 de 6"_s; }, [&] { v.principal->cmdTerminar->click(); });
    v.principal->cmdLeerAhora->click();
    ASSERT_EQ(r.vistos.size(), 1);
    EXPECT_TRUE(r.vistos[0].prompt.startsWith(u"Hay un envío de productos en curso"_s)) << r.vistos[0].prompt.toStdString();
    EXPECT_TRUE(r.vistos[0].prompt.endsWith(u"¿Está seguro de cerrar este programa?"_s));
    EXPECT_EQ(enTienda().size(), 6) << "No let it finish";
}

// A question left open until its send ends: "Interrumpir" is closed unanswered (nothing can
// answer it late, the send was not cut short); "Terminar" keeps only its question, without the
// warning about a send that is over.
TEST_F(Programa, AnInterruptQuestionOpenWhenItsSendEndsIsClosedAndALateAnswerDoesNothing) {
    productos({u"A1"_s, u"B2"_s, u"C3"_s});
    struct Caso {
        const char* nombre;
        bool interrumpir;
        QString textoAlFinal;  // empty: the box must be gone
    } casos[] = {{"interrumpir", true, {}}, {"terminar", false, u"¿Está seguro de cerrar este programa?"_s}};
    frmInicial& v = arranca(5);
    v.LoteEnvio.productos = 1;
    const Dialogos::Respondedor anterior = Dialogos::instalar({});
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        InstalarRespondedorVentana(&v);  // the window's own boxes (the last row's answerer is gone)
        QString textoAbierta;
        alProcesar([&] { return v.principal->Label5->text() == u"Producto 2 de 3"_s; },
                   [&] {
                       (c.interrumpir ? v.principal->cmdLeerAhora : v.principal->cmdTerminar)->click();
                       if (auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                           textoAbierta = caja->text();
                   });
        v.principal->cmdLeerAhora->click();
        EXPECT_FALSE(textoAbierta.isEmpty()) << "the question was open during the send";
        EXPECT_EQ(enTienda().size(), 3) << "the open question did not stop the send";
        QApplication::processEvents();
        auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (c.textoAlFinal.isEmpty()) {
            EXPECT_EQ(caja, nullptr) << "closed when the send ended";
            if (caja) caja->button(QMessageBox::Yes)->click();
        } else {
            ASSERT_NE(caja, nullptr);
            EXPECT_EQ(caja->text(), c.textoAlFinal);
            caja->button(QMessageBox::No)->click();
        }
        QApplication::processEvents();
        EXPECT_FALSE(v.blInterruptus) << "no answer reaches a send that has ended";
        EXPECT_TRUE(v.Timer1->isActive());
        // A later question opens again (the first one no longer counts as open).
        prueba::Respuestas r;
        v.principal->cmdTerminar->click();
        EXPECT_EQ(r.vistos.size(), 1);
    }
    Dialogos::instalar(anterior);
}

// A right-click on the send button during a send opens the icon's menu, already saying "Interrumpir".
TEST_F(Programa, ARightClickOnTheSendButtonDuringASendOpensTheMenu) {
    productos({u"A1"_s, u"B2"_s, u"C3"_s});
    frmInicial& v = arranca(5, true);
    v.LoteEnvio.productos = 1;
    bool abierto = false;
    QString primera;
    alProcesar([&] { return v.principal->Label5->text() == u"Producto 2 de 3"_s; },
               [&] {
                   QContextMenuEvent clic(QContextMenuEvent::Mouse, QPoint(2, 2), v.principal->cmdLeerAhora->mapToGlobal(QPoint(2, 2)));
                   QApplication::sendEvent(v.principal->cmdLeerAhora, &clic);
                   abierto = v.menuIcono()->isVisible();
                   primera = v.menuIcono()->actions()[0]->text();
                   v.menuIcono()->hide();
               });
    v.principal->cmdLeerAhora->click();
    EXPECT_TRUE(abierto);
    EXPECT_EQ(primera, u"Interrumpir"_s);
    EXPECT_EQ(enTienda().size(), 3) << "the menu did not hold up the send";
}

// The icon's menu opens while a chunk is being written to a slow shop: the window answers during
// the shop's statements, not only between chunks.
TEST_F(Programa, TheIconsMenuOpensWhileAChunkIsBeingWritten) {
    productos({u"A1"_s, u"B2"_s});
    web.ejecuta(u"CREATE TRIGGER lento BEFORE INSERT ON wp_posts FOR EACH ROW SET @espera = SLEEP(0.4)"_s);
    frmInicial& v = arranca(5, true);
    bool abierto = false;
    qsizetype escritos = -1;
    alProcesar([&] { return v.principal->Label5->text() == u"Producto 1 de 2"_s; },
               [&] {
                   QTimer::singleShot(200, &v, [&] {
                       v.menuIcono()->popup(QPoint(5, 5));
                       abierto = v.menuIcono()->isVisible();
                       escritos = enTienda().size();
                       v.menuIcono()->hide();
                   });
               });
    v.principal->cmdLeerAhora->click();
    EXPECT_TRUE(abierto);
    EXPECT_EQ(escritos, 0) << "the menu opened only after the chunk";
    EXPECT_EQ(enTienda().size(), 2);
}

// Long texts on the main tab are cut to the window's width (whole in text() and the tooltip):
// the window does not widen as a send shows a long key or description.
TEST_F(Programa, LongTextsOnTheMainTabAreCutAndDoNotWidenTheWindow) {
    frmInicial& v = arranca(5, true);
    const int ancho = v.width();
    const QString largo = QString(u'X').repeated(3000);
    for (QLabel* etiqueta : {v.principal->Label3, v.principal->Label5, v.principal->lblInfo}) {
        SCOPED_TRACE(etiqueta->objectName().toStdString());
        etiqueta->setVisible(true);
        etiqueta->setText(largo);
        QApplication::processEvents();
        EXPECT_EQ(v.width(), ancho);
        EXPECT_EQ(etiqueta->text(), largo);
        ASSERT_NE(dynamic_cast<EtiquetaRecortada*>(etiqueta), nullptr);
        EXPECT_TRUE(dynamic_cast<EtiquetaRecortada*>(etiqueta)->recortada());
    }
}

TEST_F(Programa, ClosingTheProgramDuringASendStopsItBeforeTheNextProduct) {
    productos({QStringLiteral("A1"), QStringLiteral("B2"), QStringLiteral("C3")});
    frmInicial& v = arranca(5);
    v.LoteEnvio.productos = 1;  // an interruption takes effect between chunks: one product each
    prueba::Respuestas r;
    alProcesar([&] { return v.principal->Label5->text() == QStringLiteral("Producto 2 de 3"); }, [&] { v.Descargar(); });
    v.principal->cmdLeerAhora->click();
    EXPECT_EQ(enTienda(), (QStringList{QStringLiteral("A1"), QStringLiteral("B2")}));
    EXPECT_FALSE(v.Timer1->isActive()) << "no countdown after the program was closed";
}

TEST_F(Programa, ATickReachingZeroDuringASendStartsTheNextOneOnlyAfterIt) {
    productos({QStringLiteral("A1"), QStringLiteral("B2")});
    frmInicial& v = arranca(1);
    QStringList durante{QStringLiteral("sin tic")};
    alProcesar([&] { return v.principal->Label5->text() == QStringLiteral("Producto 1 de 2"); },
               [&] {
                   productos({QStringLiteral("C3")});  // only a later send can see it
                   v.Programa.Minutos = 0;
                   v.Programa.Segundos = 59;
                   v.Timer1_Timer();
                   durante = enTienda();
               });
    v.principal->cmdLeerAhora->click();
    EXPECT_EQ(durante, QStringList{}) << "the due send did not run inside the running one";
    EXPECT_EQ(enTienda(), (QStringList{QStringLiteral("A1"), QStringLiteral("B2"), QStringLiteral("C3")}))
        << "it ran right after";
    EXPECT_FALSE(v.enviando());
    EXPECT_TRUE(v.Timer1->isActive());
}

TEST_F(Programa, AnErrorThatEndsTheSendIsShownAndTheScheduleGoesOn) {
    productos({QStringLiteral("A1")});
    web.ejecuta(QStringLiteral("RENAME TABLE wp_postmeta TO apartada"));
    frmInicial& v = arranca(5);
    v.principal->cmdLeerAhora->click();  // no message box may block an unattended program
    EXPECT_FALSE(v.principal->lblError->isHidden());
    EXPECT_TRUE(v.principal->lblError->text().contains(QStringLiteral("el envío no terminó"))) << v.principal->lblError->text().toStdString();
    EXPECT_TRUE(v.principal->lblError->text().contains(QStringLiteral("wp_postmeta"))) << v.principal->lblError->text().toStdString();
    EXPECT_EQ(v.principal->cmdLeerAhora->text(), QStringLiteral("Enviar ahora"));
    EXPECT_TRUE(v.principal->Label5->isHidden());
    EXPECT_TRUE(v.Timer1->isActive());
    v.Timer1_Timer();
    EXPECT_EQ(v.principal->lblInfo->text(), QStringLiteral("0 hors. 4 min. 59 segs."));

    web.ejecuta(QStringLiteral("RENAME TABLE apartada TO wp_postmeta"));
    v.principal->cmdLeerAhora->click();
    EXPECT_TRUE(v.principal->lblError->isHidden());
    EXPECT_EQ(enTienda(), QStringList{QStringLiteral("A1")});
}

TEST_F(Programa, ASendThatCannotReachADatabaseSaysSoAndUnreadLinesAreReadAtTheSend) {
    productos({QStringLiteral("A1")});
    pos.ejecuta(QStringLiteral("INSERT INTO lineas VALUES (1, 'Bebidas'), (2, 'Loza')"));
    // The point-of-sale server is not there yet when the program starts.
    carpeta.escribe(kConf, QStringLiteral("Base de datos principal"), QStringLiteral("no_existe"));
    frmInicial& v = arranca(5);
    EXPECT_EQ(v.configuracion->lstLineas->count(), 0);
    v.principal->cmdLeerAhora->click();
    EXPECT_FALSE(v.principal->lblError->isHidden());
    EXPECT_TRUE(v.principal->lblError->text().contains(QStringLiteral("no se pudo abrir la base de datos")))
        << v.principal->lblError->text().toStdString();
    EXPECT_TRUE(v.Timer1->isActive());

    // Now it is: the next send reads the lines it could not read at start-up, then sends.
    G().BasesDD->cMiBase = pos.nombre();
    v.principal->cmdLeerAhora->click();
    EXPECT_EQ(v.configuracion->lstLineas->count(), 2);
    EXPECT_TRUE(v.principal->lblError->isHidden());
    EXPECT_EQ(enTienda(), QStringList{QStringLiteral("A1")});
}

TEST_F(Programa, IconClickAndRightClickRestoreTheWindowMovementDoesNothing) {
    frmInicial& v = arranca(5);
    ASSERT_FALSE(v.isVisible()) << "with a schedule the program starts behind its icon";
    QSystemTrayIcon* icono = clsInicio::icono();
    ASSERT_NE(icono, nullptr);
    // The caption first, then the last send and the next one due.
    EXPECT_TRUE(icono->toolTip().startsWith(v.windowTitle() + QLatin1Char('\n'))) << icono->toolTip().toStdString();

    clsInicio().MouseMove(v, clsInicio::MensajeDeActivacion(QSystemTrayIcon::Unknown));
    EXPECT_FALSE(v.isVisible());
    emit icono->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(v.isVisible());
    EXPECT_FALSE(v.isMinimized());

    v.principal->cmdMinimizar->click();
    QApplication::processEvents();
    EXPECT_TRUE(v.isMinimized());
    // Hidden behind the icon where there is a notification area; an ordinary minimised
    // window where there is none (so it can still be reached).
    EXPECT_EQ(v.isVisible(), !QSystemTrayIcon::isSystemTrayAvailable());
    for (int mensaje : {512, 513, 515, 516}) clsInicio().MouseMove(v, mensaje);
    EXPECT_TRUE(v.isMinimized()) << "movement, presses and double clicks leave it";
    // A right click opens the icon's menu; its "Mostrar" brings the window back.
    emit icono->activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(v.isMinimized());
    ASSERT_EQ(icono->contextMenu(), v.menuIcono());
    QStringList textos;
    for (QAction* a : v.menuIcono()->actions())
        if (!a->isSeparator()) textos << a->text();
    ASSERT_EQ(textos, (QStringList{u"Enviar ahora"_s, u"Mostrar"_s, u"Terminar"_s}));
    v.menuIcono()->actions()[1]->trigger();
    EXPECT_TRUE(v.isVisible());
    EXPECT_FALSE(v.isMinimized());

    // Restored while configuring, the settings panel has the focus.
    v.principal->cmdConfigurar->click();
    v.setWindowState(Qt::WindowMinimized);
    emit icono->activated(QSystemTrayIcon::Trigger);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), v.configuracion->Picture1);
}

// Keys, descriptions and server messages are shown as text: markup in them is neither drawn nor
// followed (as rich text, an "<img src=...>" makes Qt read the file it names).
TEST_F(Programa, MarkupFromTheDataOrAServerIsShownAsTextAndNothingIsLoaded) {
    QImage imagen(400, 400, QImage::Format_RGB32);
    imagen.fill(Qt::red);
    const QString png = carpeta.ruta() + QStringLiteral("/g.png");
    ASSERT_TRUE(imagen.save(png));
    const QString marca = QStringLiteral("<img src=\"%1\">").arg(png);
    const auto alto = [](const QLabel* l) { return l->sizeHint().height(); };  // 400 and more once the picture is read
    pos.ejecuta(QStringLiteral("INSERT INTO productos (Clave, Descrip, Precio1, Existencia, Linea) "
                               "VALUES ('<b>K1</b>', '<i>x</i>%1', 10, 1, 1)").arg(marca));
    frmInicial& v = arranca(5);
    QString enLabel3;
    int altoLabel3 = 0;
    alProcesar([&] { return v.principal->Label5->text() == QStringLiteral("Producto 1 de 1"); },
               [&] {
                   enLabel3 = v.principal->Label3->text();
                   altoLabel3 = alto(v.principal->Label3);
               });
    v.principal->cmdLeerAhora->click();
    EXPECT_TRUE(enLabel3.contains(QStringLiteral("<b>K1</b>"))) << enLabel3.toStdString();
    EXPECT_TRUE(enLabel3.contains(QStringLiteral("<i>x</i>") + marca)) << enLabel3.toStdString();
    EXPECT_LT(altoLabel3, 200);
    EXPECT_EQ(enTienda(), QStringList{QStringLiteral("<b>K1</b>")});

    // A server's refusal that quotes the data, on the main tab.
    web.ejecuta(QStringLiteral("CREATE TRIGGER rechaza BEFORE UPDATE ON wp_posts FOR EACH ROW "
                               "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = '%1'").arg(marca));
    v.principal->cmdLeerAhora->click();
    EXPECT_TRUE(v.principal->lblError->text().contains(marca)) << v.principal->lblError->text().toStdString();
    EXPECT_LT(alto(v.principal->lblError), 200);

    // The window's own message boxes.
    const Dialogos::Respondedor anterior = Dialogos::instalar({});
    InstalarRespondedorVentana(&v);
    QString enCaja;
    int altoCaja = 0;
    QTimer::singleShot(0, &v, [&] {
        auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!caja) return;
        const auto* texto = caja->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        enCaja = texto ? texto->text() : QString();
        altoCaja = texto ? alto(texto) : 0;
        caja->accept();
    });
    Dialogos::MsgBox(QStringLiteral("No se pudo: ") + marca, Dialogos::Critical, QStringLiteral("Prueba"));
    Dialogos::instalar(anterior);
    EXPECT_EQ(enCaja, QStringLiteral("No se pudo: ") + marca);
    EXPECT_LT(altoCaja, 200);
}

}
