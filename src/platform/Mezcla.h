#pragma once
#include <QString>

// The reversible scrambling of stored settings. The scrambled form is a marker letter
// followed by upper-case hexadecimal, so it is INI-safe and never empty (an empty
// password stays an empty password instead of reading as a missing key).
namespace Mezcla {
QString encripta(const QString& texto);
// Text that is not in the scrambled form is returned as it stands, so a value typed in
// clear into the settings file by hand is still used.
QString desencripta(const QString& texto);
}
