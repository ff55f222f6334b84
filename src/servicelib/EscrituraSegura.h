#pragma once
#include <QByteArray>
#include <QString>

// Replaces a file's whole content in one step: the new bytes go to a temporary file beside
// it, every write, the flush and the sync are checked, and only then is the temporary file
// renamed over the old one. On any failure (a full disk, a read-only folder) the old file
// stays byte for byte.
namespace EscrituraSegura {

enum class Permisos {
    SoloDueno,  // readable and writable by its owner only (the file holds credentials)
    Conservar,  // those of the file replaced; a new file gets the usual ones
};

// Returns "" when the file was replaced, otherwise what went wrong, in words for the user.
// A file that already exists keeps its owner where the system allows it.
QString reemplaza(const QString& archivo, const QByteArray& datos, Permisos permisos);

}
