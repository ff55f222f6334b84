#include "platform/ArchivoIniTexto.h"

#include "platform/DocumentoIni.h"
#include "servicelib/ArchivoSistema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

namespace ArchivoIniTexto {
namespace {
// The file as a document: an absent file is an empty one; nothing when it exists and
// cannot be read (`error` says why).
std::optional<DocumentoIni> carga(const QString& archivo, QString& error) {
    QFile f(archivo);
    if (!f.exists()) return DocumentoIni();
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("No se pudo leer \"%1\": %2").arg(QDir::toNativeSeparators(archivo), f.errorString());
        return std::nullopt;
    }
    const QByteArray datos = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        error = QStringLiteral("No se pudo leer \"%1\": %2").arg(QDir::toNativeSeparators(archivo), f.errorString());
        return std::nullopt;
    }
    // A file with bytes that reads as none is no empty file: it must never become the base of
    // a write that would leave only the keys written.
    if (datos.isEmpty() && f.size() > 0) {
        error = QStringLiteral("No se pudo leer \"%1\": se leyó vacío").arg(QDir::toNativeSeparators(archivo));
        return std::nullopt;
    }
    return DocumentoIni(datos);
}

// Writers of one file take turns, across processes: several "-enviar" started together each
// add missing keys, and each must build on what the others wrote. "" when it may go on: also
// when no lock file can be made there (a full disk, a read-only folder), because the write
// itself then fails and says why.
QString bloquea(QLockFile& candado, const QString& archivo) {
    candado.setStaleLockTime(30000);  // a crashed writer's lock is taken over (at once when its process is gone)
    if (candado.tryLock(10000) || candado.error() != QLockFile::LockFailedError) return {};
    return QStringLiteral("No se pudo grabar \"%1\": otro proceso lo tiene bloqueado")
        .arg(QDir::toNativeSeparators(archivo));
}

QString sinSaltos(QString valor) {
    return valor.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}
}

QString lee(const QString& archivo, const QString& seccion, const QString& clave) {
    QString error;
    const std::optional<DocumentoIni> doc = carga(archivo, error);
    if (!doc) return {};
    return doc->valor(seccion, clave).value_or(QString());
}

bool escribe(const QString& archivo, const QString& seccion, const QString& clave, const QString& valor) {
    return escribeVarias(archivo, {Cambio{seccion, clave, valor}}, Permisos::Conservar).isEmpty();
}

QString escribeVarias(const QString& archivo, const QList<Cambio>& cambios, Permisos permisos, bool soloEstos) {
    QLockFile candado(archivo + QStringLiteral(".lock"));
    if (const QString ocupado = bloquea(candado, archivo); !ocupado.isEmpty()) return ocupado;
    // Read under the lock: what another process stored a moment ago is the base.
    QString error;
    std::optional<DocumentoIni> doc = carga(archivo, error);
    // A file that cannot be read is never written over with a part of it; one that is to hold
    // only the new keys needs nothing of the old one.
    if (!doc && !soloEstos) return error;
    if (!doc) doc.emplace();
    const QByteArray antes = doc->bytes();
    const DocumentoIni leido = *doc;
    if (soloEstos) doc->vacia();
    for (const Cambio& c : cambios) {
        // A default or a correction of what was read is dropped once someone stored another value.
        if (c.siEra && leido.valor(c.seccion, c.clave).value_or(QString()) != *c.siEra) continue;
        if (!doc->pon(c.seccion, c.clave, sinSaltos(c.valor)))
            return QStringLiteral("No se pudo grabar \"%1\": el valor de \"%2\" no cabe en la codificación del "
                                  "archivo (Windows-1252)")
                .arg(QDir::toNativeSeparators(archivo), c.clave);
    }
    const QByteArray despues = doc->bytes();
    if (error.isEmpty() && QFileInfo::exists(archivo) && despues == antes) {
        // Nothing to change; a settings file left readable by others is closed all the same.
        if (permisos == Permisos::SoloDueno)
            if (const QString r = ArchivoSistema::CierraAOtros(archivo); !r.isEmpty())
                return QStringLiteral("No se pudo dejar \"%1\" legible solo por su dueño: %2")
                    .arg(QDir::toNativeSeparators(archivo), r);
        return {};
    }
    return EscrituraSegura::reemplaza(archivo, despues, permisos);
}

bool leeSeccion(const QString& archivo, const QString& seccion, QList<QPair<QString, QString>>& claves, QString& error) {
    claves.clear();
    const std::optional<DocumentoIni> doc = carga(archivo, error);
    if (!doc) return false;
    if (!doc->tieneSeccion(seccion) && doc->tieneContenido()) {
        error = QStringLiteral("\"%1\" no tiene la sección [%2]").arg(QDir::toNativeSeparators(archivo), seccion);
        return false;
    }
    claves = doc->claves(seccion);
    return true;
}
}
