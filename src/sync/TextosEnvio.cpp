#include "sync/TextosEnvio.h"

namespace TextosEnvio {
namespace {
const QString kDescripcion = QStringLiteral("\r\nDescripción: ");
}

QString ProductoEnCurso(const QString& clave, const QString& descripcion) {
    return QStringLiteral("Clave: ") + clave + kDescripcion + descripcion;
}

QString ProductoEscrito(const QString& clave, const QString& descripcion) {
    return QStringLiteral("Imagen del producto ") + clave + kDescripcion + descripcion;
}

QString ContadorEnCurso(int n, int m) { return QStringLiteral("Producto %1 de %2").arg(n).arg(m); }

QString ContadorEscrito(int n, int m) { return QStringLiteral("%1 de %2").arg(n).arg(m); }
}
