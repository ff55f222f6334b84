#pragma once
#include "app/HistorialEnvios.h"

#include <QStringList>

class RegistroSoporte;

// Records one finished send, from the window or from "-enviar": first in the history, and in
// the log as one line for the send, one per warning and one for the error that ended it
// (naming the product key the failed chunk began with, when there is one).
// False when the history could not be written.
bool AnotaEnvio(HistorialEnvios& historial, const RegistroSoporte& registro, const EnvioRegistrado& envio,
                const QStringList& avisos, const QString& claveDelFallo);

// The product key in the send's product text ("Clave: K\r\nDescripción: ..."), or empty.
QString ClaveDeTexto(const QString& textoProducto);
