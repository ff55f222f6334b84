#include "app/frmDescripcion.h"

#include "app/Mensajes.h"
#include "servicelib/Compartidos.h"
#include "servicelib/Dialogos.h"

#include <QCloseEvent>
#include <QDir>
#include <QCoreApplication>
#include <QMenuBar>
#include <QPointer>
#include <QTextBrowser>

namespace {
QPointer<frmDescripcion>& unica() {
    static QPointer<frmDescripcion> v;
    return v;
}
// The design size, in twips.
constexpr int kAnchoDiseno = 9000;
constexpr int kAltoDiseno = 6600;
}

frmDescripcion::frmDescripcion() {
    setObjectName(QStringLiteral("frmDescripcion"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Descripción del programa"));
    QMenu* uno = menuBar()->addMenu(QStringLiteral("Uno"));
    uno->setObjectName(QStringLiteral("mnUno"));
    QAction* descrip = uno->addAction(QStringLiteral("Descripción del programa"));
    descrip->setObjectName(QStringLiteral("mnDescrip"));
    QAction* editar = uno->addAction(QStringLiteral("Editar archivo INI de configuración"));
    editar->setObjectName(QStringLiteral("mnEditINI"));
    connect(descrip, &QAction::triggered, this, &frmDescripcion::mnDescrip_Click);
    connect(editar, &QAction::triggered, this, &frmDescripcion::mnEditINI_Click);

    // The text box sits at the top left and follows the window's size (see resizeEvent).
    auto* lienzo = new QWidget(this);
    rtbTexto = new QTextBrowser(lienzo);
    rtbTexto->setObjectName(QStringLiteral("rtbTexto"));
    rtbTexto->setOpenExternalLinks(false);
    rtbTexto->setHtml(textoDescripcion());
    setCentralWidget(lienzo);
    resize(TwipsAPixeles(kAnchoDiseno, this), TwipsAPixeles(kAltoDiseno, this));
}

QString frmDescripcion::textoDescripcion() {
    const QString ini = G().ArchivoIni.toHtmlEscaped();
    const QString lineas = G().ArchivoLineas.toHtmlEscaped();
    return QStringLiteral(
               "<h2>Moravi sync</h2>"
               "<p>Este programa mantiene la tienda en línea (WooCommerce) al día con los productos del punto "
               "de venta. Cada cierto número de minutos, o al pulsar <b>Enviar ahora</b>, lee los productos de la "
               "base de datos del punto de venta y, en la base de datos de la tienda, busca cada producto por su "
               "clave (SKU), lo crea cuando falta y escribe su precio, existencia y disponibilidad. "
               "Nunca borra productos de la tienda.</p>"
               "<p>Con <b>Configurar</b> se indican la base de datos de la tienda, el intervalo en minutos "
               "(0 apaga el envío automático), el número de precio que se envía y las líneas de productos "
               "que se envían (ninguna marcada: todas).</p>"
               "<p>Archivos:</p><ul>"
               "<li>Configuración: <code>%1</code></li>"
               "<li>Líneas marcadas: <code>%2</code></li></ul>"
               "<p>El menú <i>Uno</i> abre el archivo de configuración para editarlo.</p>")
        .arg(ini, lineas);
}

frmDescripcion* frmDescripcion::instancia() { return unica().data(); }
bool frmDescripcion::abierta() { return !unica().isNull(); }

frmDescripcion* frmDescripcion::Mostrar(QWidget* sobre) {
    if (!unica()) {
        unica() = new frmDescripcion;
        RecuperaPosicion(*unica(), true);
        // Never placed before (0, 0): centred on the main window rather than at the screen's corner.
        if (sobre && unica()->pos() == QPoint(0, 0))
            unica()->move(sobre->geometry().center() - unica()->rect().center());
    }
    unica()->mnDescrip_Click();
    return unica().data();
}

void frmDescripcion::mnDescrip_Click() {
    show();
    raise();
    activateWindow();
}

void frmDescripcion::mnEditINI_Click() {
    if (!G().DeArchivos || G().DeArchivos->AbreDocumento(G().ArchivoIni)) return;
    // Nothing to open it with (no desktop's file opener): the path, to open it by hand.
    Dialogos::MsgBox(QStringLiteral("No hay un programa para abrir el archivo de configuración. Está en:\r\r") +
                         QDir::toNativeSeparators(G().ArchivoIni),
                     Dialogos::Exclamation | Dialogos::OkOnly, QStringLiteral("Editar archivo INI"));
}

void frmDescripcion::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    // Below 260 by 600 twips the box shrinks to nothing rather than to a negative size.
    const int ancho = std::max(0, width() - TwipsAPixeles(260, this));
    const int alto = std::max(0, height() - TwipsAPixeles(600, this));
    rtbTexto->setGeometry(0, 0, ancho, alto);
}

void frmDescripcion::closeEvent(QCloseEvent* e) {
    if (G().libTORVA) GuardaPosicion(*this, true);
    e->accept();
    // The main window may have been unloaded while this one stayed open.
    QMetaObject::invokeMethod(
        qApp,
        [] {
            if (!unica() && !qApp->property("moravi_principal_viva").toBool()) {
                G().liberar();
                QCoreApplication::quit();
            }
        },
        Qt::QueuedConnection);
}
