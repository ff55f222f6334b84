#include "ftp/RutaRemota.h"

#include <QStringList>

namespace RutaRemota {

QString resuelve(const QString& actual, const QString& ruta) {
    const QString completa = ruta.startsWith(QLatin1Char('/')) ? ruta : actual + QLatin1Char('/') + ruta;
    QStringList partes;
    for (const QString& p : completa.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (p == QLatin1String(".")) continue;
        if (p == QLatin1String("..")) {
            if (!partes.isEmpty()) partes.removeLast();
            continue;
        }
        partes << p;
    }
    return QLatin1Char('/') + partes.join(QLatin1Char('/'));
}

QString deRespuesta257(const QString& respuesta) {
    if (!respuesta.startsWith(QLatin1String("257"))) return {};
    const qsizetype inicio = respuesta.indexOf(QLatin1Char('"'));
    if (inicio < 0) return {};
    QString carpeta;
    for (qsizetype i = inicio + 1; i < respuesta.size(); ++i) {
        if (respuesta[i] != QLatin1Char('"')) {
            carpeta += respuesta[i];
        } else if (i + 1 < respuesta.size() && respuesta[i + 1] == QLatin1Char('"')) {
            carpeta += QLatin1Char('"');  // a doubled quote stands for one quote in the name
            ++i;
        } else {
            return carpeta;
        }
    }
    return {};
}

}
