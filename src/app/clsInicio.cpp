#include "app/clsInicio.h"

#include "platform/Autoarranque.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QStandardPaths>
#include <QWidget>

namespace {
QPointer<QSystemTrayIcon>& elIcono() {
    static QPointer<QSystemTrayIcon> i;
    return i;
}
}

int clsInicio::MensajeDeActivacion(QSystemTrayIcon::ActivationReason razon) {
    switch (razon) {
    case QSystemTrayIcon::Trigger: return kSoltarIzquierdo;
    case QSystemTrayIcon::Context: return kSoltarDerecho;
    case QSystemTrayIcon::DoubleClick: return 515;
    case QSystemTrayIcon::MiddleClick: return 520;
    default: return 512;  // a mere movement
    }
}

void clsInicio::MouseMove(QWidget& ventana, int mensaje) {
    if (mensaje == kSoltarIzquierdo || mensaje == kSoltarDerecho) Restaurar(ventana);
}

void clsInicio::Restaurar(QWidget& ventana) {
    ventana.setWindowState((ventana.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    ventana.show();
    ventana.raise();
    ventana.activateWindow();
    if (QWidget* panel = ventana.findChild<QWidget*>(QStringLiteral("Picture1")); panel && panel->isVisible())
        panel->setFocus();
}

QSystemTrayIcon* clsInicio::icono() { return elIcono().data(); }

void clsInicio::PonerSystray(QWidget& ventana) {
    if (!elIcono()) {
        elIcono() = new QSystemTrayIcon(ventana.windowIcon(), &ventana);
        QObject::connect(elIcono().data(), &QSystemTrayIcon::activated, &ventana,
                         [&ventana](QSystemTrayIcon::ActivationReason r) {
                             // A right click opens the icon's menu, when it has one, rather than the window.
                             if (r == QSystemTrayIcon::Context && elIcono() && elIcono()->contextMenu()) return;
                             clsInicio().MouseMove(ventana, MensajeDeActivacion(r));
                         });
    }
    // The tip is the caption, cut to the 63 characters the icon record holds.
    elIcono()->setToolTip(ventana.windowTitle().left(63));
    elIcono()->show();
}

void clsInicio::RemoverSystray() {
    if (elIcono()) {
        elIcono()->hide();
        delete elIcono().data();
    }
}

void clsInicio::SiRegistrado(const QString& archivo) {
    // A copy that is only being tried out (the demo's, in a temporary folder) never starts at log-on.
    if (!qEnvironmentVariableIsEmpty("MORAVI_SIN_AUTOARRANQUE")) return;
    // Named after the executable; it holds the executable's full path.
    Autoarranque::Registra(archivo.mid(1), QCoreApplication::applicationFilePath());
}
