#include "app/AnotaEnvio.h"

#include "app/RegistroSoporte.h"
#include "app/ResumenEnvio.h"

bool AnotaEnvio(HistorialEnvios& historial, const RegistroSoporte& registro, const EnvioRegistrado& envio,
                const QStringList& avisos, const QString& claveDelFallo) {
    for (const QString& aviso : avisos) registro.Escribe(QStringLiteral("aviso"), aviso);
    if (!envio.mensaje.isEmpty()) {
        const QString clave = claveDelFallo.isEmpty() ? QString() : QStringLiteral("clave ") + claveDelFallo + QStringLiteral(": ");
        registro.Escribe(envio.fallido() ? QStringLiteral("error") : QStringLiteral("aviso"), clave + envio.mensaje);
    }
    registro.Escribe(QStringLiteral("envío"), ResumenEnvio::Linea(envio));
    const bool escrito = historial.Agrega(envio);
    if (!escrito)
        registro.Escribe(QStringLiteral("aviso"), QStringLiteral("no se pudo escribir el historial de envíos ") +
                                                       historial.Ruta());
    return escrito;
}

QString ClaveDeTexto(const QString& textoProducto) {
    const QString prefijo = QStringLiteral("Clave: ");
    if (!textoProducto.startsWith(prefijo)) return {};
    const qsizetype fin = textoProducto.indexOf(QStringLiteral("\r\n"));
    return textoProducto.mid(prefijo.size(), fin < 0 ? -1 : fin - prefijo.size());
}
