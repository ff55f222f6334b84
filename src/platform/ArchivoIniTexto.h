#pragma once
#include <QString>

// Reads and writes one key of an INI file in UTF-8. The file is read afresh on every
// call, because the user may edit it while the program runs. Values keep their leading
// and trailing blanks (stored between double quotes when they have any).
namespace ArchivoIniTexto {
QString lee(const QString& archivo, const QString& seccion, const QString& clave);
// Returns false when the file cannot be written.
bool escribe(const QString& archivo, const QString& seccion, const QString& clave, const QString& valor);
}
