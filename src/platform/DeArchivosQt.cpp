#include "platform/DeArchivosQt.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

namespace {
DeArchivosQt::Abridor& abridor() {
    static DeArchivosQt::Abridor a;
    return a;
}
}

DeArchivosQt::Abridor DeArchivosQt::instalarAbridor(Abridor a) {
    Abridor viejo = std::move(abridor());
    abridor() = std::move(a);
    return viejo;
}

bool DeArchivosQt::AbreDocumento(const QString& ruta) {
    if (abridor()) {
        abridor()(ruta);
        return true;
    }
#ifdef Q_OS_WIN
    return QProcess::startDetached(QStringLiteral("cmd"), {QStringLiteral("/c"), QStringLiteral("start"), QString(), ruta});
#elif defined(Q_OS_MACOS)
    return QProcess::startDetached(QStringLiteral("open"), {ruta});
#else
    return QProcess::startDetached(QStringLiteral("xdg-open"), {ruta});
#endif
}

void DeArchivosQt::BorraArchivo(const QString& ruta) { QFile::remove(ruta); }

QString DeArchivosQt::NombreDeArchivo(const QString& ruta) {
    const qsizetype corte = std::max(ruta.lastIndexOf(QLatin1Char('/')), ruta.lastIndexOf(QLatin1Char('\\')));
    return ruta.mid(corte + 1);
}
