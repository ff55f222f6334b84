#include "servicelib/EscrituraSegura.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace EscrituraSegura {
namespace {

std::filesystem::path ruta(const QString& archivo) {
#ifdef Q_OS_WIN
    return std::filesystem::path(archivo.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(archivo).toStdString());
#endif
}

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

#ifdef Q_OS_UNIX
// The replacement keeps the old file's owner, so that a run as another user (root under cron)
// does not take the settings away from their owner. Where the system refuses, it goes on.
void conservaDueno(int fd, const QString& viejo) {
    struct stat st {};
    if (::stat(QFile::encodeName(viejo).constData(), &st) != 0) return;
    if (st.st_uid == ::geteuid() && st.st_gid == ::getegid()) return;
    [[maybe_unused]] const int r = ::fchown(fd, st.st_uid, st.st_gid);
}

// After the rename, the folder's entry itself is made durable.
void sincronizaCarpeta(const QString& carpeta) {
    const int fd = ::open(QFile::encodeName(carpeta).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
#endif
}

QString reemplaza(const QString& archivo, const QByteArray& datos, Permisos permisos) {
    const QString destino = destinoDe(archivo);
    const QFileInfo info(destino);
    const bool existia = info.exists();
    if (existia && !info.isFile()) return fallo(archivo, QStringLiteral("no es un archivo"));

    QTemporaryFile temporal(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
    if (!temporal.open()) return fallo(archivo, temporal.errorString());

    const QFileDevice::Permissions soloDueno =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser;
    QFileDevice::Permissions modo = soloDueno;
    if (permisos == Permisos::Conservar)
        modo = existia ? QFile::permissions(destino) : soloDueno | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (!temporal.setPermissions(modo)) return fallo(archivo, temporal.errorString());
#ifdef Q_OS_UNIX
    if (existia) conservaDueno(temporal.handle(), destino);
#endif

    QString motivo;
    if (temporal.write(datos) != datos.size() || !temporal.flush())
        motivo = temporal.errorString().isEmpty() ? QStringLiteral("la escritura quedó incompleta") : temporal.errorString();
#ifdef Q_OS_UNIX
    else if (::fsync(temporal.handle()) != 0)
        motivo = QString::fromLocal8Bit(std::strerror(errno));
#endif
    if (!motivo.isEmpty()) return fallo(archivo, motivo);
    temporal.close();
    if (temporal.error() != QFileDevice::NoError) return fallo(archivo, temporal.errorString());

    std::error_code ec;
    std::filesystem::rename(ruta(temporal.fileName()), ruta(destino), ec);
    if (ec) return fallo(archivo, QString::fromLocal8Bit(ec.message()));
    temporal.setAutoRemove(false);  // it is the file now
#ifdef Q_OS_UNIX
    sincronizaCarpeta(info.absolutePath());
#endif
    return {};
}

}
