#include "platform/ArchivoIniTexto.h"

#include <QFile>
#include <QSaveFile>
#include <QByteArray>

#define SI_NO_CONVERSION  // UTF-8 bytes in and out; no wide-character version needed
#include <SimpleIni.h>

namespace ArchivoIniTexto {
namespace {
bool carga(CSimpleIniA& ini, const QString& archivo) {
    ini.SetUnicode(true);
    ini.SetQuotes(true);
    ini.SetMultiKey(false);
    ini.SetSpaces(false);  // "key=value", as Windows writes it
    QFile f(archivo);
    if (!f.open(QIODevice::ReadOnly)) return false;
    QByteArray datos = f.readAll();
    // A file saved by an older Windows editor may be in a legacy code page: take it as Latin-1.
    const QString comoUtf8 = QString::fromUtf8(datos);
    if (comoUtf8.contains(QChar::ReplacementCharacter)) datos = QString::fromLatin1(datos).toUtf8();
    return ini.LoadData(datos.constData(), static_cast<size_t>(datos.size())) >= 0;
}
}

QString lee(const QString& archivo, const QString& seccion, const QString& clave) {
    CSimpleIniA ini;
    if (!carga(ini, archivo)) return {};
    const char* v = ini.GetValue(seccion.toUtf8().constData(), clave.toUtf8().constData(), nullptr);
    return v ? QString::fromUtf8(v) : QString();
}

bool escribe(const QString& archivo, const QString& seccion, const QString& clave, const QString& valor) {
    CSimpleIniA ini;
    carga(ini, archivo);
    QString limpio = valor;
    limpio.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (ini.SetValue(seccion.toUtf8().constData(), clave.toUtf8().constData(), limpio.toUtf8().constData()) < 0)
        return false;
    std::string salida;
    if (ini.Save(salida, false) < 0) return false;
    QSaveFile f(archivo);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(salida.data(), static_cast<qint64>(salida.size()));
    return f.commit();
}
}
