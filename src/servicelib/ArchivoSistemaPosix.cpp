#include "servicelib/ArchivoSistema.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ArchivoSistema {
namespace {
QString motivo() { return QString::fromLocal8Bit(std::strerror(errno)); }
}

void ConservaDueno(QFileDevice& nuevo, const QString& viejo) {
    struct stat st {};
    if (::stat(QFile::encodeName(viejo).constData(), &st) != 0) return;
    if (st.st_uid == ::geteuid() && st.st_gid == ::getegid()) return;
    [[maybe_unused]] const int r = ::fchown(nuevo.handle(), st.st_uid, st.st_gid);
}

QString SoloDueno(QFileDevice& archivo) {
    const QFileDevice::Permissions modo =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser;
    return archivo.setPermissions(modo) ? QString() : archivo.errorString();
}

QString CierraAOtros(const QString& archivo) {
    const QFileDevice::Permissions abiertos = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                              QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    const QFileDevice::Permissions actuales = QFile::permissions(archivo);
    if (!(actuales & abiertos)) return {};
    QFile f(archivo);
    return f.setPermissions(actuales & ~abiertos) ? QString() : f.errorString();
}

QString ConservaAcceso(QFileDevice& nuevo, const QString& viejo) {
    return nuevo.setPermissions(QFile::permissions(viejo)) ? QString() : nuevo.errorString();
}

QString Sincroniza(QFileDevice& archivo) { return ::fsync(archivo.handle()) == 0 ? QString() : motivo(); }

QString Sustituye(const QString& nuevo, const QString& destino) {
    if (::rename(QFile::encodeName(nuevo).constData(), QFile::encodeName(destino).constData()) != 0) return motivo();
    // The folder's entry itself is made durable.
    const int fd = ::open(QFile::encodeName(QFileInfo(destino).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return {};
}
}
