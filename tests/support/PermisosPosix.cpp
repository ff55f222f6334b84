#include "support/Permisos.h"

#include <QFile>

#include <sys/stat.h>

namespace prueba {
namespace {
mode_t modo(const QString& archivo) {
    struct stat st {};
    return ::stat(QFile::encodeName(archivo).constData(), &st) == 0 ? st.st_mode : 0;
}
}

QString OtrosConAcceso(const QString& archivo) {
    const mode_t m = modo(archivo) & (S_IRWXG | S_IRWXO);
    return m == 0 ? QString() : QStringLiteral("modo %1").arg(m, 4, 8, QLatin1Char('0'));
}

bool AbreALaLectura(const QString& archivo) {
    return ::chmod(QFile::encodeName(archivo).constData(), (modo(archivo) & 07777) | S_IRGRP | S_IROTH) == 0;
}

QString Acceso(const QString& archivo) { return QString::number(modo(archivo) & 07777, 8); }
}
