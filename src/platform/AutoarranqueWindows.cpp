#include "platform/Autoarranque.h"

#include <QDir>
#include <QSettings>

namespace Autoarranque {
namespace {
QSettings run() {
    return QSettings(QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
                     QSettings::NativeFormat);
}
}

// Quoted, so that a folder with spaces ("C:\Users\José Núñez\...") is one program, not a
// program and its arguments.
QString Orden(const QString& programa) { return QLatin1Char('"') + QDir::toNativeSeparators(programa) + QLatin1Char('"'); }

QString Actual(const QString& nombre) { return run().value(nombre).toString(); }

bool Registra(const QString& nombre, const QString& programa) {
    QSettings clave = run();
    const QString deseado = Orden(programa);
    if (clave.value(nombre).toString() == deseado) return false;
    clave.setValue(nombre, deseado);
    clave.sync();
    return clave.status() == QSettings::NoError;
}
}
