// The configuration tab and the product-line list of the real main window, offscreen, with the
// point-of-sale database on the test MariaDB.
#include "VentanaReal.h"
#include "platform/ArchivoIniTexto.h"
#include "support/Sistema.h"
#include "support/SistemaPequeno.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <cstring>

namespace {

class Pantalla : public prueba::VentanaReal {
protected:
    QString archivoLineas() const { return carpeta.ruta() + QStringLiteral("/LineasAenviar.ini"); }
    void marcaEnArchivo(int id, const QString& valor) const {
        ArchivoIniTexto::escribe(archivoLineas(), QStringLiteral("Líneas a pasar"), QStringLiteral("Linea %1").arg(id), valor);
    }
    // Types the test shop's server, database, port, user and password into the boxes.
    void escribeTienda(frmInicial& v) const {
        v.configuracion->txtDato[4]->setText(srv.host);
        v.configuracion->txtDato[2]->setText(web.nombre());
        v.configuracion->txtDato[7]->setText(QString::number(srv.puerto));
        v.configuracion->txtDato[3]->setText(srv.usuario);
        v.configuracion->txtDato[5]->setText(srv.clave);
    }
    // Moves the focus to `caja` as a click would; a box that refuses takes it back at once.
    void enfoca(QWidget* caja) {
        caja->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
    }
    // The Ids of the listed lines, all or only the marked ones.
    QStringList lineas(bool soloMarcadas) const {
        QStringList s;
        for (int i = 0; i < w->configuracion->lstLineas->count(); ++i)
            if (!soloMarcadas || w->configuracion->lstLineas->item(i)->checkState() == Qt::Checked)
                s << QString::number(w->lineaId(i));
        return s;
    }
    // Which tabs can be chosen, e.g. "100".
    QString pestanas() const {
        QString s;
        for (int i = 0; i < w->stbTabs->count(); ++i) s += w->stbTabs->isTabEnabled(i) ? u'1' : u'0';
        return s;
    }
    static QString textoDe(const QString& archivo) {
        QFile f(archivo);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

// A mouse click on the check box of one item, where the style draws it.
void clicEnCasilla(QListWidget& lista, int fila) {
    QStyleOptionViewItem op;
    op.initFrom(&lista);
    op.rect = lista.visualItemRect(lista.item(fila));
    op.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    op.text = lista.item(fila)->text();
    const QRect casilla = lista.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &op, &lista);
    QTest::mouseClick(lista.viewport(), Qt::LeftButton, {}, casilla.center());
}

TEST_F(Pantalla, LinesInNameOrderMarkedOnlyByValueOne) {
    pos.ejecuta(QStringLiteral("INSERT INTO lineas VALUES (12, 'Bebidas'), (7, 'Loza'), (5, 'Abarrotes'), (9, 'Cuchillería')"));
    marcaEnArchivo(12, QStringLiteral("1"));
    marcaEnArchivo(7, QStringLiteral("0"));
    marcaEnArchivo(5, QStringLiteral("2"));
    frmInicial& v = arranca();
    EXPECT_EQ(lineas(false), (QStringList{u"5"_qs, u"12"_qs, u"9"_qs, u"7"_qs}));
    EXPECT_EQ(v.configuracion->lstLineas->item(2)->text(), QString(5, u' ') + u"Cuchillería"_qs) << "the name only; the Id is the model's";
    EXPECT_EQ(lineas(true), QStringList{u"12"_qs});
    EXPECT_EQ(v.configuracion->Label4->text(), QStringLiteral("1"));
    EXPECT_EQ(Config().LineasMarcadas, 1);
}

TEST_F(Pantalla, MarkAllUnmarkAllAndOneClickKeepTheCount) {
    QStringList filas;
    for (int i = 1; i <= 15; ++i) filas << QStringLiteral("(%1, 'Linea %2')").arg(i).arg(i, 2, 10, QLatin1Char('0'));
    pos.ejecuta(QStringLiteral("INSERT INTO lineas VALUES ") + filas.join(QLatin1Char(',')));
    frmInicial& v = arranca(0, true);
    v.principal->cmdConfigurar->click();
    ASSERT_EQ(v.configuracion->lstLineas->count(), 15);
    v.configuracion->cmdTodas->click();
    EXPECT_EQ(v.configuracion->Label4->text(), QStringLiteral("15"));
    EXPECT_EQ(lineas(true).size(), 15);
    v.configuracion->cmdNoTodas->click();
    EXPECT_EQ(v.configuracion->Label4->text(), QStringLiteral("0"));
    EXPECT_EQ(lineas(true), QStringList{});
    clicEnCasilla(*v.configuracion->lstLineas, 3);
    EXPECT_EQ(lineas(true), QStringList{u"4"_qs});
    EXPECT_EQ(v.configuracion->Label4->text(), QStringLiteral("1"));
    EXPECT_EQ(Config().LineasMarcadas, 1);
}

TEST_F(Pantalla, SavedSelectionHoldsExactlyTheMarkedLinesAndNoneLeavesNoFile) {
    pos.ejecuta(QStringLiteral("INSERT INTO lineas VALUES (7, 'Loza'), (12, 'Bebidas'), (20, 'Ropa')"));
    marcaEnArchivo(20, QStringLiteral("1"));
    marcaEnArchivo(99, QStringLiteral("1"));  // a line the table no longer has
    frmInicial& v = arranca();
    for (int i = 0; i < 3; ++i) {
        const bool quiero = v.lineaId(i) != 20;
        v.configuracion->lstLineas->item(i)->setCheckState(quiero ? Qt::Checked : Qt::Unchecked);
    }
    v.principal->cmdConfigurar->click();
    v.configuracion->cmdGrabar->click();
    QStringList guardado = textoDe(archivoLineas()).split(QString::fromLatin1(prueba::FinDeLinea()), Qt::SkipEmptyParts);
    guardado.sort();
    EXPECT_EQ(guardado, (QStringList{u"Linea 12=1"_qs, u"Linea 7=1"_qs, u"[Líneas a pasar]"_qs}));

    v.principal->cmdConfigurar->click();
    v.configuracion->cmdNoTodas->click();
    v.configuracion->cmdGrabar->click();
    EXPECT_FALSE(QFile::exists(archivoLineas()));
    w->Descargar();
    frmInicial& otra = arranca();
    EXPECT_EQ(lineas(false).size(), 3);
    EXPECT_EQ(lineas(true), QStringList{});
    EXPECT_EQ(otra.configuracion->Label4->text(), QStringLiteral("0"));
}

TEST_F(Pantalla, UnreachableHostLeavesTheListEmptyAndTheProgramRunning) {
    carpeta.creaHost(QStringLiteral("MySQLServer=127.0.0.1\nMySQLPuerto=1\n"));
    frmInicial& v = arranca();
    EXPECT_EQ(v.configuracion->lstLineas->count(), 0);
    EXPECT_EQ(v.configuracion->Label4->text(), QStringLiteral("0"));
    EXPECT_NE(G().libTORVA, nullptr);
    EXPECT_EQ(Config().SeleccionIlegible, QString()) << "no selection saved: every line is what the user chose";

    // With lines marked in the file, an empty list is not "every line": the send must know.
    w->Descargar();
    marcaEnArchivo(12, QStringLiteral("1"));
    arranca();
    EXPECT_TRUE(Config().SeleccionIlegible.contains(QStringLiteral("No se pudo leer la lista de líneas")))
        << Config().SeleccionIlegible.toStdString();
    EXPECT_TRUE(Config().SeleccionIlegible.contains(QDir::toNativeSeparators(archivoLineas())));
}

TEST_F(Pantalla, ASelectionFileThatCannotBeReadIsSaidAndMarksNothing) {
    pos.ejecuta(QStringLiteral("INSERT INTO lineas VALUES (7, 'Loza'), (12, 'Bebidas')"));
    QByteArray utf16("\xFF\xFE");
    const QString texto = QStringLiteral("[Líneas a pasar]\r\nLinea 12=1\r\n");
    utf16.append(reinterpret_cast<const char*>(texto.utf16()), texto.size() * 2);
    struct Caso {
        const char* que;
        QByteArray contenido;  // empty: a folder where the file should be
        const char* motivo;    // what the reason says; nullptr: the selection is read
    };
    const Caso casos[] = {
        {"a stray Latin-1 byte in a comment", "; de Mar\xED" "a\n[Líneas a pasar]\nLinea 12=1\n", nullptr},
        {"a folder instead of the file", {}, "No se pudo leer"},
        {"saved as UTF-16 by an editor", utf16, "[Líneas a pasar]"},
    };
    for (const Caso& c : casos) {
        QFile::remove(archivoLineas());
        QDir(archivoLineas()).removeRecursively();
        if (c.contenido.isEmpty()) {
            ASSERT_TRUE(QDir().mkdir(archivoLineas()));
        } else {
            QFile f(archivoLineas());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.contenido);
        }
        if (w) w->Descargar();
        frmInicial& v = arranca();
        EXPECT_EQ(lineas(false).size(), 2) << c.que;
        if (!c.motivo) {
            EXPECT_EQ(Config().SeleccionIlegible, QString()) << c.que;
            EXPECT_EQ(lineas(true), QStringList{u"12"_qs}) << c.que;
            continue;
        }
        EXPECT_TRUE(Config().SeleccionIlegible.contains(QString::fromUtf8(c.motivo)))
            << c.que << ": " << Config().SeleccionIlegible.toStdString();
        EXPECT_EQ(lineas(true), QStringList{}) << c.que;
        EXPECT_EQ(v.configuracion->Label4->text(), QStringLiteral("0")) << c.que;
    }
}

TEST_F(Pantalla, ConfigureCancelAndTheTabsOfEachMode) {
    pos.ejecuta(QStringLiteral("INSERT INTO lineas VALUES (1, 'Bebidas'), (2, 'Loza')"));
    marcaEnArchivo(2, QStringLiteral("1"));
    frmInicial& v = arranca(3, true);
    ASSERT_TRUE(v.Timer1->isActive());
    v.Programa.Minutos = 2;
    v.Programa.Segundos = 40;
    v.principal->cmdConfigurar->click();
    EXPECT_FALSE(v.Timer1->isActive());
    EXPECT_EQ(v.stbTabs->currentIndex(), 1);
    EXPECT_EQ(pestanas(), QStringLiteral("011")) << "the grid is reachable while configuring";
    EXPECT_EQ(QApplication::focusWidget(), v.configuracion->txtDato[0]);

    // Tab 2 with its one data row: the grid takes the focus on that row.
    v.stbTabs->setCurrentIndex(2);
    EXPECT_EQ(v.relacion->mhgReja->currentRow(), 0);
    EXPECT_EQ(QApplication::focusWidget(), v.relacion->mhgReja);
    v.stbTabs->setCurrentIndex(1);

    // Whatever was typed, "Cancelar" puts back what the file holds, so a later "Grabar" of one
    // change never saves the rest (a wrong password tried with "Probar conex." above all).
    const int cajas[] = {0, 1, 2, 3, 5, 12, 18};
    QStringList antes;
    for (int caja : cajas) {
        antes << v.configuracion->txtDato[caja]->text();
        v.configuracion->txtDato[caja]->setText(QStringLiteral("4"));
    }
    ASSERT_EQ(lineas(true), QStringList{QStringLiteral("2")});
    v.MarcarLineas(true);
    v.configuracion->cmdCancelar->click();
    EXPECT_TRUE(v.Timer1->isActive());
    EXPECT_EQ(v.Programa.Minutos * 60 + v.Programa.Segundos, 160) << "the counted time is kept";
    for (int i = 0; i < std::ssize(cajas); ++i)
        EXPECT_EQ(v.configuracion->txtDato[cajas[i]]->text(), antes[i]) << "box " << cajas[i];
    EXPECT_EQ(lineas(true), QStringList{QStringLiteral("2")});
    EXPECT_EQ(v.configuracion->Label4->text(), QStringLiteral("1"));
    EXPECT_EQ(pestanas(), QStringLiteral("100"));
    const QString clave = carpeta.lee(kConf, QStringLiteral("Contraseña WEB"));
    v.principal->cmdConfigurar->click();
    v.configuracion->txtDato[18]->setText(QStringLiteral("3"));
    v.configuracion->cmdGrabar->click();
    EXPECT_EQ(carpeta.lee(kConf, QStringLiteral("Número de precio a actualizar")), u"3"_qs);
    EXPECT_EQ(carpeta.lee(kConf, QStringLiteral("Contraseña WEB")), clave);

    carpeta.escribe(kConf, QStringLiteral("Intervalo en minutos para enviar existencias"), QStringLiteral("0"));
    v.principal->cmdConfigurar->click();
    v.configuracion->cmdCancelar->click();
    EXPECT_FALSE(v.Timer1->isActive());
}

TEST_F(Pantalla, TabOrderOfThePanel) {
    frmInicial& v = arranca(0, true);
    v.principal->cmdConfigurar->click();
    // The CA file boxes are passed by while their choice is not the verified one.
    const QList<QWidget*> esperado{v.configuracion->txtDato[0],  v.configuracion->txtDato[1],  v.configuracion->txtDato[4],     v.configuracion->txtDato[2],   v.configuracion->txtPrefijoWeb, v.configuracion->txtDato[7],
                                   v.configuracion->txtDato[3],  v.configuracion->txtDato[5],  v.configuracion->cmbCifradoWeb,  v.configuracion->lstLineas,    v.configuracion->txtDato[18],
                                   v.configuracion->txtDato[12], v.configuracion->txtDato[13], v.configuracion->txtDato[14],    v.configuracion->txtDato[15],  v.configuracion->cmbCifradoFTP,
                                   v.configuracion->chkVerPass,  v.configuracion->cmdTodas,    v.configuracion->cmdNoTodas};
    QList<QWidget*> visto{QApplication::focusWidget()};
    while (visto.size() < esperado.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visto << QApplication::focusWidget();
    }
    EXPECT_EQ(visto, esperado);
}

TEST_F(Pantalla, BoxChecksMasksAndLengths) {
    frmInicial& v = arranca(0, true);
    v.principal->cmdConfigurar->click();
    QLineEdit* intervalo = v.configuracion->txtDato[1];
    QLineEdit* precio = v.configuracion->txtDato[18];

    enfoca(intervalo);
    intervalo->clear();
    QTest::keyClicks(intervalo, QStringLiteral("9a9b999"));
    EXPECT_EQ(intervalo->text(), QStringLiteral("9999")) << "letters are left out, and a fifth digit";
    enfoca(v.configuracion->txtDato[4]);
    EXPECT_EQ(QApplication::focusWidget(), v.configuracion->txtDato[4]);

    enfoca(intervalo);
    intervalo->setText(QStringLiteral("-5"));
    enfoca(v.configuracion->txtDato[4]);
    EXPECT_EQ(QApplication::focusWidget(), intervalo) << "a negative interval keeps the focus";
    EXPECT_EQ(intervalo->text(), QStringLiteral("-5"));
    // Nor does a click on "Grabar" get past it: nothing is saved while the box is refused.
    const QString kIntervalo = QStringLiteral("Intervalo en minutos para enviar existencias");
    QTest::mouseClick(v.configuracion->cmdGrabar, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(carpeta.lee(kConf, kIntervalo), QStringLiteral("0"));
    EXPECT_EQ(v.stbTabs->currentIndex(), 1);
    EXPECT_EQ(QApplication::focusWidget(), intervalo);
    intervalo->setText(QStringLiteral("0"));

    for (const auto& [tecleado, queda] : {std::pair{"7", "1"}, {"05", "5"}, {"0", "1"}, {"6", "1"}}) {
        enfoca(precio);
        precio->clear();
        QTest::keyClicks(precio, QString::fromLatin1(tecleado));
        enfoca(v.configuracion->txtDato[12]);
        EXPECT_EQ(precio->text(), QString::fromLatin1(queda)) << tecleado;
        EXPECT_EQ(QApplication::focusWidget(), v.configuracion->txtDato[12]);
    }
    // The focus leaves for the button before its click acts: the corrected number is saved.
    enfoca(precio);
    QTest::keyClick(precio, Qt::Key_Backspace);
    QTest::keyClick(precio, Qt::Key_9);
    QTest::mouseClick(v.configuracion->cmdGrabar, Qt::LeftButton);
    EXPECT_EQ(carpeta.lee(kConf, QStringLiteral("Número de precio a actualizar")), QStringLiteral("1"));
    v.principal->cmdConfigurar->click();

    // Enter moves on as Tab does; names of databases take no blanks.
    enfoca(v.configuracion->txtDato[0]);
    v.configuracion->txtDato[0]->clear();
    QTest::keyClicks(v.configuracion->txtDato[0], QStringLiteral("mi base"));
    EXPECT_EQ(v.configuracion->txtDato[0]->text(), QStringLiteral("mibase"));
    QTest::keyClick(v.configuracion->txtDato[0], Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), v.configuracion->txtDato[1]);
}

TEST_F(Pantalla, SaveWritesEveryFormAndTheNewIntervalActsAtOnce) {
    frmInicial& v = arranca();
    ASSERT_FALSE(v.Timer1->isActive());
    v.Programa.Minutos = 2;
    v.Programa.Segundos = 17;
    v.principal->cmdConfigurar->click();
    prueba::Respuestas r;  // "datos2" does not exist on the server: said once, saved all the same
    v.configuracion->txtDato[0]->setText(QStringLiteral("datos2"));
    v.configuracion->txtDato[1]->setText(QStringLiteral("5"));
    v.configuracion->txtDato[5]->setText(QStringLiteral("s3creta"));
    v.configuracion->txtDato[6]->setText(QStringLiteral("articulos"));  // a box of tab 2 that is never shown
    v.configuracion->txtDato[18]->setText(QStringLiteral("3"));
    v.configuracion->cmdGrabar->click();

    EXPECT_EQ(carpeta.lee(kConf, QStringLiteral("Base de datos principal")), QStringLiteral("datos2"));
    EXPECT_EQ(carpeta.lee(kConf, QStringLiteral("Número de precio a actualizar")), QStringLiteral("3"));
    const QString clave = carpeta.lee(kConf, QStringLiteral("Contraseña WEB"));
    EXPECT_NE(clave, QStringLiteral("s3creta"));
    EXPECT_EQ(Mezcla::desencripta(clave), QStringLiteral("s3creta"));
    EXPECT_EQ(Mezcla::desencripta(carpeta.lee(kConf, QStringLiteral("Nombre de la tabla"))), QStringLiteral("articulos"));
    const QString ini = textoDe(carpeta.ini());
    const QString fin = QString::fromLatin1(prueba::FinDeLinea());
    for (const char* clave : {".CampoWEB=", ".TablaExterna=", ".CampoEnProds=", ".CampoEnTablaExt="})
        EXPECT_TRUE(ini.contains(fin + QString::fromLatin1(clave) + fin)) << clave;

    EXPECT_EQ(pestanas(), QStringLiteral("100"));
    EXPECT_EQ(Config().NumeroPrecio, 3);
    EXPECT_TRUE(v.Timer1->isActive());
    EXPECT_EQ(v.Programa.Minutos * 60 + v.Programa.Segundos, 137);
    v.Timer1_Timer();
    EXPECT_EQ(v.principal->lblInfo->text(), QStringLiteral("0 hors. 2 min. 42 segs."));
}

TEST_F(Pantalla, SaveOnAFullDiskSaysSoAndKeepsTheBoxesAndTheFile) {
    prueba::SistemaPequeno disco(256 * 1024);
    SALTA_SIN_SISTEMA_PEQUENO(disco);
    frmInicial& v = arranca();
    // The program's files move to the small disk, which is then filled to the last byte.
    const QString ini = disco.ruta() + QStringLiteral("/moravi.ini");
    ASSERT_TRUE(QFile::copy(carpeta.ini(), ini));
    G().ArchivoIni = ini;
    G().ArchivoLineas = disco.ruta() + QStringLiteral("/LineasAenviar.ini");
    const QByteArray antes = textoDe(ini).toUtf8();
    disco.llena();
    const QString sinEspacio = QString::fromLocal8Bit(std::strerror(ENOSPC));

    prueba::Respuestas r;
    v.principal->cmdConfigurar->click();
    v.configuracion->txtDato[7]->setText(QStringLiteral("3307"));
    v.configuracion->txtDato[5]->setText(QStringLiteral("nueva"));
    v.configuracion->cmdGrabar->click();
    ASSERT_EQ(r.vistos.size(), 1);
    EXPECT_EQ(r.vistos[0].titulo, QStringLiteral("Atención"));
    EXPECT_TRUE(r.vistos[0].prompt.startsWith(QStringLiteral("No se grabó la configuración."))) << r.vistos[0].prompt.toStdString();
    EXPECT_TRUE(r.vistos[0].prompt.contains(sinEspacio));
    EXPECT_EQ(textoDe(ini).toUtf8(), antes);
    EXPECT_EQ(v.configuracion->txtDato[7]->text(), QStringLiteral("3307")) << "the boxes keep what was typed";
    EXPECT_EQ(v.configuracion->txtDato[5]->text(), QStringLiteral("nueva"));
    EXPECT_EQ(v.stbTabs->currentIndex(), 1) << "still configuring, to try again";
    EXPECT_NE(Config().PuertoWeb, 3307);

    // At shutdown nobody may be there to see a box: the failure goes to standard error.
    testing::internal::CaptureStderr();
    v.Descargar();
    const QString err = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_TRUE(err.contains(QStringLiteral("No se guardaron los anchos de las columnas"))) << err.toStdString();
    EXPECT_TRUE(err.contains(sinEspacio));
    EXPECT_EQ(textoDe(ini).toUtf8(), antes);
    EXPECT_EQ(r.vistos.size(), 1);
}

TEST_F(Pantalla, ConnectionTestUsesTheBoxesAndChangesNothing) {
    pos.ejecuta(u"INSERT INTO productos (Clave, Descrip, Precio1, Existencia, Linea) VALUES ('A1', 'a', 1, 1, 1), "
                "('B2', 'b', 1, 1, 1), ('XFDD1', 'no', 1, 1, 1); INSERT INTO lineas VALUES (1, 'Bebidas')"_qs);
    frmInicial& v = arranca();
    const QString iniAntes = textoDe(carpeta.ini());
    v.principal->cmdConfigurar->click();
    escribeTienda(v);
    prueba::Respuestas r;
    v.configuracion->cmdProbar->click();
    v.configuracion->txtDato[5]->setText(srv.clave + QStringLiteral("x"));
    v.configuracion->cmdProbar->click();
    QStringList vistos;
    for (const prueba::MensajeVisto& m : r.vistos)
        vistos << QStringLiteral("%1|%2|%3").arg(m.titulo, m.prompt.section(u'\n', 0, 0)).arg(m.botones);
    EXPECT_EQ(vistos, (QStringList{u"Datos correctos|Conexión correcta a la base de datos|64"_qs,
                                   u"Datos incorrectos|No se estableció conexión a la base de datos|16"_qs}));
    ASSERT_EQ(r.vistos.size(), 2);
    const QString dondeTienda = u"Tienda: «%1» en %2:%3"_qs.arg(web.nombre(), srv.host).arg(srv.puerto);
    const QString puntoDeVenta = u"Punto de venta: «%1» en %2:%3 respondió: 2 productos en 1 líneas."_qs
                                     .arg(pos.nombre(), srv.host).arg(srv.puerto);
    EXPECT_TRUE(r.vistos[0].prompt.contains(dondeTienda + u" respondió."_qs)) << r.vistos[0].prompt.toStdString();
    EXPECT_TRUE(r.vistos[0].prompt.contains(puntoDeVenta)) << r.vistos[0].prompt.toStdString();
    EXPECT_TRUE(r.vistos[1].prompt.contains(dondeTienda + u" respondió con un error: [MySQL 1045]"_qs)) << "the server's reason follows";
    EXPECT_TRUE(r.vistos[1].prompt.contains(u"revise el usuario y la contraseña de la tienda"_qs));
    EXPECT_TRUE(r.vistos[1].prompt.contains(puntoDeVenta)) << "the point of sale answered all the same";
    // The point of sale as box 0 names it, saved or not.
    v.configuracion->txtDato[5]->setText(srv.clave);
    v.configuracion->txtDato[0]->setText(u"no_existe"_qs);
    v.configuracion->cmdProbar->click();
    ASSERT_EQ(r.vistos.size(), 3);
    EXPECT_EQ(r.vistos[2].titulo, u"Datos incorrectos"_qs);
    EXPECT_TRUE(r.vistos[2].prompt.contains(u"«no_existe» en %1:%2 respondió con un error: [MySQL 1049]"_qs.arg(srv.host).arg(srv.puerto)))
        << r.vistos[2].prompt.toStdString();
    EXPECT_EQ(textoDe(carpeta.ini()), iniAntes) << "the test saves nothing";
    const kesa5::BasesDD& host = *G().BasesDD;
    EXPECT_EQ((QStringList{host.cMiBase, host.cUsuario, host.cPassword}), (QStringList{pos.nombre(), srv.usuario, srv.clave}));
}

TEST_F(Pantalla, SeeScrambledShowsTheFourBoxesAndMasksThemAgain) {
    frmInicial& v = arranca();
    v.principal->cmdConfigurar->click();
    for (int i : {3, 5, 14, 15}) v.configuracion->txtDato[i]->setText(QStringLiteral("secreto%1").arg(i));
    auto claras = [&] {
        QList<int> s;
        for (int i = 0; i < 19; ++i)
            if (v.configuracion->txtDato[i]->displayText() == v.configuracion->txtDato[i]->text() && !v.configuracion->txtDato[i]->text().isEmpty()) s << i;
        return s;
    };
    const QList<int> siempre = {0, 1, 2, 4, 6, 7, 8, 9, 10, 11, 12, 13, 16, 17, 18};
    EXPECT_EQ(claras(), siempre);
    QTest::mouseClick(v.configuracion->chkVerPass, Qt::LeftButton);
    EXPECT_EQ(claras().size(), 19);
    QTest::mouseClick(v.configuracion->chkVerPass, Qt::LeftButton);
    EXPECT_EQ(claras(), siempre);
    EXPECT_EQ(v.configuracion->txtDato[5]->text(), QStringLiteral("secreto5")) << "the box still holds clear text";
}

// The shop's encryption on the screen: the CA box only counts for the verified choice, the
// connection test uses the choice and the file as typed, and a CA file that is not there (or a
// table prefix that is none) is refused before anything is saved.
TEST_F(Pantalla, EncryptionChoiceAndTablePrefixAreTestedCheckedAndSaved) {
    const prueba::Certificados cert = prueba::certificados();
    frmInicial& v = arranca();
    EXPECT_EQ(v.configuracion->cmbCifradoWeb->currentIndex(), 1) << "TLS when offered for a file without the key";
    EXPECT_EQ(v.configuracion->cmbCifradoFTP->currentIndex(), 0);
    EXPECT_FALSE(v.configuracion->txtCertificadoCAWeb->isEnabled());
    v.principal->cmdConfigurar->click();
    escribeTienda(v);
    v.configuracion->cmbCifradoWeb->setCurrentIndex(2);
    EXPECT_TRUE(v.configuracion->txtCertificadoCAWeb->isEnabled());

    prueba::Respuestas r;
    const QString sinCA = prueba::SinVerificacionConCA();
    if (sinCA.isEmpty()) {  // otherwise said at the end
        v.configuracion->txtCertificadoCAWeb->setText(cert.caAjena);
        v.configuracion->cmdProbar->click();
        v.configuracion->txtCertificadoCAWeb->setText(cert.ca);
        v.configuracion->cmdProbar->click();
        ASSERT_EQ(r.vistos.size(), 2);
        EXPECT_EQ(r.vistos[0].titulo, u"Datos incorrectos"_qs);
        EXPECT_TRUE(r.vistos[0].prompt.contains(u"no se pudo verificar con el certificado CA \"%1\""_qs.arg(cert.caAjena)))
            << r.vistos[0].prompt.toStdString();
        EXPECT_EQ(r.vistos[1].titulo, u"Datos correctos"_qs);
        r.vistos.clear();
    } else {
        v.configuracion->txtCertificadoCAWeb->setText(cert.ca);
    }

    const QString iniAntes = textoDe(carpeta.ini());
    v.configuracion->cmbCifradoFTP->setCurrentIndex(2);
    v.configuracion->txtCertificadoCAFTP->setText(u"/no/existe/ca.pem"_qs);
    v.configuracion->cmdGrabar->click();
    ASSERT_EQ(r.vistos.size(), 1);
    EXPECT_EQ(r.vistos[0].prompt, u"No se encontró el archivo del certificado CA \"/no/existe/ca.pem\". No se grabó nada."_qs);
    EXPECT_EQ(textoDe(carpeta.ini()), iniAntes);
    EXPECT_EQ(pestanas(), u"011"_qs) << "still configuring, the boxes as typed";
    EXPECT_EQ(v.configuracion->txtDato[5]->text(), srv.clave);

    v.configuracion->txtCertificadoCAFTP->clear();
    EXPECT_EQ(v.configuracion->txtPrefijoWeb->text(), u"wp_"_qs);
    v.configuracion->txtPrefijoWeb->setText(u"wp-x"_qs);
    v.configuracion->cmdGrabar->click();
    ASSERT_EQ(r.vistos.size(), 2);
    EXPECT_TRUE(r.vistos[1].prompt.startsWith(u"El prefijo de tablas WEB «wp-x» no es válido"_qs))
        << r.vistos[1].prompt.toStdString();
    EXPECT_EQ(textoDe(carpeta.ini()), iniAntes);
    v.configuracion->txtPrefijoWeb->setText(u" wpx_"_qs);
    v.configuracion->cmdGrabar->click();
    EXPECT_EQ(carpeta.lee(kConf, u"Prefijo de tablas WEB"_qs), u"wpx_"_qs);
    EXPECT_EQ(Config().PrefijoWeb, u"wpx_"_qs);
    EXPECT_EQ(carpeta.lee(kConf, u"Cifrado de la conexión WEB"_qs), u"2"_qs);
    EXPECT_EQ(carpeta.lee(kConf, u"Certificado CA de la conexión WEB"_qs), cert.ca);
    EXPECT_EQ(carpeta.lee(kConf, u"Cifrado del FTP"_qs), u"2"_qs);
    EXPECT_EQ(Config().CifradoWeb, 2);
    EXPECT_EQ(Config().CertificadoCAWeb, cert.ca);
    EXPECT_EQ(pestanas(), u"100"_qs);
    SALTA_SI(sinCA.isEmpty() ? QString() : u"La prueba de conexión con un archivo CA no se hizo: "_qs + sinCA);
}

}

namespace {
// "Grabar" applies at once: the next send reads the point-of-sale database just saved in box 0,
// and the product lines listed are that database's.
TEST_F(Pantalla, SavingTheDatabaseNameTakesEffectAtOnceAndTheLinesAreReadAgain) {
    prueba::BaseTemporal otra{{QStringLiteral("pos-tables.sql")}};
    otra.ejecuta(u"INSERT INTO lineas VALUES (7, 'Loza'), (8, 'Vidrio'); INSERT INTO productos (Clave, Descrip, Precio1, "
                 "Existencia, Linea) VALUES ('Z9', 'de la otra', 3, 1, 7)"_qs);
    pos.ejecuta(u"INSERT INTO lineas VALUES (1, 'Bebidas')"_qs);
    frmInicial& v = arranca(5);
    ASSERT_EQ(v.configuracion->lstLineas->count(), 1);
    prueba::Respuestas r;
    for (const QString& base : {otra.nombre(), u"mal_escrita"_qs}) {
        v.principal->cmdConfigurar->click();
        v.configuracion->txtDato[0]->setText(base);
        const auto antes = r.vistos.size();
        v.configuracion->cmdGrabar->click();
        EXPECT_EQ(G().BasesDD->cMiBase, base);
        // A name that does not exist is said at once, with the server's reason; it stays saved.
        if (base == u"mal_escrita"_qs) {
            ASSERT_EQ(r.vistos.size(), antes + 1);
            EXPECT_TRUE(r.vistos.back().prompt.startsWith(
                u"Se grabó la configuración, pero no se pudo abrir la base de datos del punto de venta «mal_escrita» en "_qs))
                << r.vistos.back().prompt.toStdString();
            EXPECT_TRUE(r.vistos.back().prompt.contains(u"[MySQL 1049]"_qs)) << r.vistos.back().prompt.toStdString();
            EXPECT_EQ(carpeta.lee(kConf, u"Base de datos principal"_qs), base);
        } else {
            EXPECT_EQ(r.vistos.size(), antes) << "a database that opens is not questioned";
        }
        v.principal->cmdLeerAhora->click();
    }
    EXPECT_EQ(web.valor(u"SELECT meta_value FROM wp_postmeta WHERE meta_key='_sku'"_qs), u"Z9"_qs);
    EXPECT_EQ(v.configuracion->lstLineas->count(), 0) << "the mistyped name has no lines";
    EXPECT_TRUE(v.principal->lblError->text().contains(u"no se pudo abrir la base de datos del punto de venta «mal_escrita»"_qs))
        << v.principal->lblError->text().toStdString();
    v.principal->cmdConfigurar->click();
    v.configuracion->txtDato[0]->setText(otra.nombre());
    v.configuracion->cmdGrabar->click();
    EXPECT_EQ(v.configuracion->lstLineas->count(), 2);
}

// At 1024x768 (less a panel and the title bar) every tab fits: the configuration panel scrolls.
TEST_F(Pantalla, TheWindowFitsASmallScreen) {
    frmInicial& v = arranca(0, true);
    for (int tab = 0; tab < v.stbTabs->count(); ++tab) {
        v.stbTabs->setTabEnabled(tab, true);
        v.stbTabs->setCurrentIndex(tab);
        const QSize minimo = v.minimumSizeHint().expandedTo(v.minimumSize());
        EXPECT_LE(minimo.height(), 660) << tab;
        EXPECT_LE(minimo.width(), 1000) << tab;
    }
    EXPECT_LE(v.height(), 660);
}
}
