#pragma once
#include <QString>
#include <optional>
#include "config/ClavesConfiguracion.h"

// The checks on the numeric settings, shared by the settings read, the configuration screen
// and the command-line "-ajustar"; the ranges are the keys' own (ClavesConfiguracion).
namespace ValidaAjuste {

// A table prefix WordPress accepts: letters, digits and "_" (it stands unquoted in SQL).
bool prefijoValido(const QString& prefijo);

// The stored text of a numeric key as the program will use it: the text itself when it lies
// in the key's stored range (Clave::guardado), otherwise the key's default (an invalid port
// becomes "3306", an interval that is not a 16-bit whole number "0", no automatic send; a
// price number outside 1..5 "1"; an encryption choice not 0, 1 or 2 its default; a table
// prefix that is not valid "wp_").
QString corrigeNumero(const Claves::Clave& clave, const QString& texto);

// Why a CA file path cannot be used (it does not exist or cannot be read); nothing when it
// can, or when it is empty (the system's authorities).
std::optional<QString> problemaCertificado(const QString& ruta);

// The screen's checks for a value typed by the user, by the key's typed range
// (Clave::tecleado: interval 0..9999, port 1..65535, price number 1..5, encryption 0..2), and
// a CA file that exists (stored as a full path), a valid table prefix (without blanks around it).
// Returns the value to store, or nothing with `motivo` filled.
std::optional<QString> validaEntrada(const Claves::Clave& clave, const QString& texto, QString& motivo);

}
