#pragma once
#include "sync/clsProcedimenti.h"

#include <QString>

// What the user is told when a database could not be opened: which one (the point of sale's or
// the shop's), its name, host and port, the server's words, and what to check.
namespace BaseSinAbrir {
// "no se pudo abrir la base de datos de la tienda «tienda» en 192.168.1.20:3306: [MySQL 1045]
// Access denied ...; revise el usuario y la contraseña de la tienda (pestaña «Configuración»)".
QString Texto(const ResultadoEnvio::BaseSinAbrir& b);
// "se perdió la conexión con la base de datos de la tienda «tienda» en 192.168.1.20:3306 en
// pleno envío: <error>; revise ...": a connection that was open and went away.
QString TextoCaida(const ResultadoEnvio::BaseSinAbrir& b, const QString& error);
// What to check for the error `motivo` (the library's or the server's text).
QString QueRevisar(bool puntoDeVenta, const QString& motivo);
}
