#include "platform/DelRegistroS0W.h"

#include "platform/ArchivoIniTexto.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kSeccion = QStringLiteral("S0W");
}

QString DelRegistroS0W::BuscarRegistroS0W(const QString& carpeta) {
    archivo_.clear();
    if (carpeta.trimmed().isEmpty()) return {};
    QString ruta = carpeta.trimmed();
    ruta.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QFileInfo info(QDir(ruta), QStringLiteral("S0W.ini"));
    if (!info.isFile()) return {};
    archivo_ = info.absoluteFilePath();
    return archivo_;
}

QString DelRegistroS0W::DatosS0W(const QString& nombre) {
    return archivo_.isEmpty() ? QString() : ArchivoIniTexto::lee(archivo_, kSeccion, nombre);
}

void DelRegistroS0W::GuardaDatosS0W(const QString& nombre, const QString& valor) {
    if (!archivo_.isEmpty()) ArchivoIniTexto::escribe(archivo_, kSeccion, nombre, valor);
}

QString DelRegistroS0W::GuardaVariosS0W(const QList<kesa5::CambioIni>& cambios) {
    if (archivo_.isEmpty()) return QStringLiteral("no se encontró S0W.ini");
    QList<kesa5::CambioIni> enSeccion = cambios;
    for (kesa5::CambioIni& c : enSeccion) c.seccion = kSeccion;
    return ArchivoIniTexto::escribeVarias(archivo_, enSeccion, ArchivoIniTexto::Permisos::Conservar);
}
