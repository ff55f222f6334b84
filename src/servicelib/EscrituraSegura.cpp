#include "servicelib/EscrituraSegura.h"

#include "servicelib/ArchivoSistema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace EscrituraSegura {
namespace {

// A link is followed: the file it points to is replaced and the link stays.
QString destinoDe(const QString& archivo) {
    const QFileInfo info(archivo);
    if (!info.isSymLink()) return info.absoluteFilePath();
    const QString canonico = info.canonicalFilePath();
    return canonico.isEmpty() ? info.symLinkTarget() : canonico;
}

// A plain QFile, not QTemporaryFile: QTemporaryFile's close() keeps its handle open for a later
// reopen, and Windows refuses to rename a file that is still open (sharing violation).
class Temporal {
public:
    // A private one is owner-only from its first byte, as the settings it will hold are; the
    // others start as the system makes new files (on Windows: the folder's access), empty.
    Temporal(const QString& base, bool privado) {
        const QIODevice::OpenMode modo = QIODevice::WriteOnly | QIODevice::NewOnly;
        for (int intento = 0; intento < 16; ++intento) {
            archivo_.setFileName(base + QString::number(QRandomGenerator::global()->generate(), 36));
            if (privado ? archivo_.open(modo, QFileDevice::ReadOwner | QFileDevice::WriteOwner) : archivo_.open(modo))
                return;
            if (archivo_.error() != QFileDevice::OpenError || !archivo_.exists()) break;  // only a taken name is retried
        }
    }
    ~Temporal() {
        if (!conservar_) {
            archivo_.close();
            archivo_.remove();
        }
    }
    Temporal(const Temporal&) = delete;
    Temporal& operator=(const Temporal&) = delete;

    QFile& archivo() { return archivo_; }
    bool abierto() const { return archivo_.isOpen(); }
    void conserva() { conservar_ = true; }

private:
    QFile archivo_;
    bool conservar_ = false;
};

QString fallo(const QString& archivo, const QString& motivo) {
    return QStringLiteral("No se pudo grabar \"%1\": %2").arg(QDir::toNativeSeparators(archivo), motivo);
}

}

QString reemplaza(const QString& archivo, const QByteArray& datos, Permisos permisos) {
    const QString destino = destinoDe(archivo);
    const QFileInfo info(destino);
    const bool existia = info.exists();
    if (existia && !info.isFile()) return fallo(archivo, QStringLiteral("no es un archivo"));

    Temporal guarda(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral("."),
                    permisos == Permisos::SoloDueno);
    QFile& temporal = guarda.archivo();
    if (!guarda.abierto()) return fallo(archivo, temporal.errorString());

    if (permisos == Permisos::SoloDueno) {
        if (const QString r = ArchivoSistema::SoloDueno(temporal); !r.isEmpty()) return fallo(archivo, r);
    } else if (existia) {
        if (const QString r = ArchivoSistema::ConservaAcceso(temporal, destino); !r.isEmpty()) return fallo(archivo, r);
    } else {
        const QFileDevice::Permissions usual = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                               QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        if (!temporal.setPermissions(usual)) return fallo(archivo, temporal.errorString());
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
    guarda.conserva();  // it is the file now
    return {};
}

}
