#include "platform/DeArchivosQt.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

#ifdef Q_OS_WIN
#include <QDir>

#include <windows.h>
#include <shellapi.h>
#endif

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
    // The program Windows associates with the file's type, asked directly: "cmd /c start" always
    // starts, so a file type with no program would never be told to the user.
    const std::wstring nativa = QDir::toNativeSeparators(ruta).toStdWString();
    return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, nullptr, nativa.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
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
