#include "app/clsInicio.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>

namespace {
// A path as one argument of a desktop entry's Exec key: quoted, with the characters the
// format reserves escaped, and "%" doubled.
QString ArgumentoExec(const QString& ruta) {
    QString r;
    for (QChar c : ruta) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            r += QLatin1Char('\\');
        if (c == QLatin1Char('%')) r += QLatin1Char('%');
        r += c;
    }
    // A desktop entry reads "\\" in a value as one backslash, so the escapes are doubled once more.
    r.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + r + QLatin1Char('"');
}

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

QString clsInicio::carpetaAutoarranque() {
    const QString propia = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString base = propia.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : propia;
    return base + QStringLiteral("/autostart");
}

void clsInicio::SiRegistrado(const QString& archivo) {
    // A copy that is only being tried out (the demo's, in a temporary folder) never starts at log-on.
    if (!qEnvironmentVariableIsEmpty("MORAVI_SIN_AUTOARRANQUE")) return;
    const QString deseado = QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + archivo);
#ifdef Q_OS_WIN
    QSettings run(QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
                  QSettings::NativeFormat);
    const QString nombre = archivo.mid(1);
    if (run.value(nombre).toString() != deseado) run.setValue(nombre, deseado);
#else
    // The entry is named after the executable; Exec holds its full path.
    QString nombre = archivo;
    nombre.remove(0, 1);
    if (nombre.endsWith(QStringLiteral(".exe"))) nombre.chop(4);
    const QString carpeta = carpetaAutoarranque();
    const QString ruta = carpeta + QLatin1Char('/') + nombre + QStringLiteral(".desktop");
    QString actual;
    QFile f(ruta);
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray& linea : f.readAll().split('\n'))
            if (linea.startsWith("Exec=")) actual = QString::fromUtf8(linea.mid(5)).trimmed();
        f.close();
    }
    const QString deseadoExec = ArgumentoExec(deseado);
    if (actual == deseadoExec) return;
    if (!QDir().mkpath(carpeta)) return;
    QSaveFile salida(ruta);
    if (!salida.open(QIODevice::WriteOnly)) return;
    salida.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=Moravi sync\n"
                                "Comment=Envía los productos del punto de venta a la tienda en línea\n"
                                "Exec=%1\nX-GNOME-Autostart-enabled=true\n")
                     .arg(deseadoExec)
                     .toUtf8());
    salida.commit();
#endif
}
