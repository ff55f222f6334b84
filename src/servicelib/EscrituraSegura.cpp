#include "servicelib/EscrituraSegura.h"

#include "servicelib/ArchivoSistema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace EscrituraSegura {
namespace {

// A link is followed: the file it points to is replaced and the link stays.
QString destinoDe(const QString& archivo) {
    const QFileInfo info(archivo);
    if (!info.isSymLink()) return info.absoluteFilePath();
    const QString canonico = info.canonicalFilePath();
    return canonico.isEmpty() ? info.symLinkTarget() : canonico;
}

QString fallo(const QString& archivo, const QString& motivo) {
    return QStringLiteral("No se pudo grabar \"%1\": %2").arg(QDir::toNativeSeparators(archivo), motivo);
}

}

QString reemplaza(const QString& archivo, const QByteArray& datos, Permisos permisos) {
    const QString destino = destinoDe(archivo);
    const QFileInfo info(destino);
    const bool existia = info.exists();
    if (existia && !info.isFile()) return fallo(archivo, QStringLiteral("no es un archivo"));

    QTemporaryFile temporal(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
    if (!temporal.open()) return fallo(archivo, temporal.errorString());

    if (permisos == Permisos::SoloDueno) {
        if (const QString r = ArchivoSistema::SoloDueno(temporal); !r.isEmpty()) return fallo(archivo, r);
    } else {
        const QFileDevice::Permissions usual = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                               QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        if (!temporal.setPermissions(existia ? QFile::permissions(destino) : usual))
            return fallo(archivo, temporal.errorString());
    }
    if (existia) ArchivoSistema::ConservaDueno(temporal, destino);

    QString motivo;
    if (temporal.write(datos) != datos.size() || !temporal.flush())
        motivo = temporal.errorString().isEmpty() ? QStringLiteral("la escritura quedó incompleta") : temporal.errorString();
    else
        motivo = ArchivoSistema::Sincroniza(temporal);
    if (!motivo.isEmpty()) return fallo(archivo, motivo);
    temporal.close();
    if (temporal.error() != QFileDevice::NoError) return fallo(archivo, temporal.errorString());

    if (const QString r = ArchivoSistema::Sustituye(temporal.fileName(), destino); !r.isEmpty()) return fallo(archivo, r);
    temporal.setAutoRemove(false);  // it is the file now
    return {};
}

}
