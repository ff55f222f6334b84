#include "registro/RegistroSoporte.h"

#include "servicelib/Categorias.h"
#include "servicelib/TextoImprimible.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

QString RegistroSoporte::RutaJunto(const QString& archivoIni) {
    const QFileInfo ini(QDir::fromNativeSeparators(archivoIni));
    return QDir::toNativeSeparators(ini.path() + QLatin1Char('/') + ini.completeBaseName() + QStringLiteral(".log"));
}

void RegistroSoporte::Escribe(const QString& tipo, const QString& texto) const {
    const QByteArray linea = (QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                              QLatin1Char(' ') + tipo + QStringLiteral(": ") + TextoImprimible(texto))
                                 .toUtf8()
                                 .left(static_cast<qsizetype>(std::max<qint64>(64, limite_ / 4))) +
                             '\n';
    // The window and a scheduled "-enviar" share the file: one writer (and one rotation) at a time.
    QLockFile candado(ruta_ + QStringLiteral(".lock"));
    candado.setStaleLockTime(30000);
    const bool conCandado = candado.tryLock(2000);
    QFile f(ruta_);
    if (f.exists() && f.size() + linea.size() > limite_) {
        const QString anterior = ruta_ + QStringLiteral(".1");
        QFile::remove(anterior);
        if (!QFile::rename(ruta_, anterior)) QFile::remove(ruta_);  // bounded even when it cannot be kept
    }
    if (f.open(QIODevice::WriteOnly | QIODevice::Append)) {
        f.write(linea);
        f.close();
    } else {
        qCWarning(lcRegistro) << "no se pudo escribir el registro" << ruta_ << f.errorString();
    }
    if (conCandado) candado.unlock();
}
