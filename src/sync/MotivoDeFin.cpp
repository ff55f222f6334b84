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
    case ResultadoEnvio::Fin::Completo:
    case ResultadoEnvio::Fin::Interrumpido:
    case ResultadoEnvio::Fin::Fallo:
        break;
    }
    return {};
}
