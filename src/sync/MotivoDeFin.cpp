#include "sync/MotivoDeFin.h"

QString MotivoDeFin(ResultadoEnvio::Fin fin) {
    switch (fin) {
    case ResultadoEnvio::Fin::SinBaseDeDatos:
        return QStringLiteral("no se pudo abrir la base de datos del punto de venta o la de la tienda; "
                              "no se envió nada");
    case ResultadoEnvio::Fin::ConexionPerdida:
        return QStringLiteral("se perdió la conexión con la base de datos de la tienda; el envío terminó antes");
    case ResultadoEnvio::Fin::OtroEnvio:
        return QStringLiteral("otro envío a la misma tienda estaba en curso; este no se hizo");
    case ResultadoEnvio::Fin::SinSeleccion:
        return QStringLiteral("no se pudo leer qué líneas de productos enviar; no se envió nada");
    case ResultadoEnvio::Fin::Completo:
    case ResultadoEnvio::Fin::Interrumpido:
    case ResultadoEnvio::Fin::Fallo:
        break;
    }
    return {};
}

QString MotivoDeFin(const ResultadoEnvio& r) {
    if (r.enviados > 0 && r.enviados < r.total &&
        (r.fin == ResultadoEnvio::Fin::OtroEnvio || r.fin == ResultadoEnvio::Fin::ConexionPerdida)) {
        const QString causa = r.fin == ResultadoEnvio::Fin::OtroEnvio
                                  ? QStringLiteral("otro envío a la misma tienda tomó el turno")
                                  : QStringLiteral("se perdió la conexión con la base de datos de la tienda");
        return causa + QStringLiteral("; se enviaron %1 de %2 productos, el resto se enviará en el próximo envío")
                           .arg(r.enviados)
                           .arg(r.total);
    }
    return MotivoDeFin(r.fin);
}
