#include "support/SistemaPequeno.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

namespace prueba {
namespace {
const char* kRelleno = "/relleno";
}

SistemaPequeno::SistemaPequeno(qint64 bytes) {
    const QByteArray opciones = "size=" + QByteArray::number(bytes) + ",mode=0755";
    if (::mount("tmpfs", QFile::encodeName(ruta()).constData(), "tmpfs", MS_NOSUID | MS_NODEV, opciones.constData()) == 0)
        montado_ = true;
    else
        porQueNo_ = QString::fromLocal8Bit(std::strerror(errno)) + QStringLiteral("; hace falta ejecutar las pruebas como root");
}

SistemaPequeno::~SistemaPequeno() {
    if (montado_) ::umount2(QFile::encodeName(ruta()).constData(), MNT_DETACH);
}

void SistemaPequeno::llena() {
    const int fd = ::open(QFile::encodeName(ruta() + QString::fromLatin1(kRelleno)).constData(),
                          O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0) return;
    std::vector<char> bloque(64 * 1024, 'x');
    // Smaller and smaller writes take the last pages too.
    for (size_t n = bloque.size(); n > 0;)
        if (::write(fd, bloque.data(), n) < 0) n /= 2;
    ::close(fd);
}

void SistemaPequeno::libera() { QFile::remove(ruta() + QString::fromLatin1(kRelleno)); }

}
