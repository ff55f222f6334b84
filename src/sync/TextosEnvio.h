#pragma once
#include <QString>

// The main window's texts for the send's events, written once: Label3 names the product
// ("Clave: K" as a chunk starts with it, "Imagen del producto K" once its chunk is written,
// each with "Descripción: D" on a second line) and Label5 counts ("Producto n de m", then
// "n de m"). Numbers in plain decimal.
namespace TextosEnvio {
QString ProductoEnCurso(const QString& clave, const QString& descripcion);
QString ProductoEscrito(const QString& clave, const QString& descripcion);
QString ContadorEnCurso(int n, int m);
QString ContadorEscrito(int n, int m);
}
