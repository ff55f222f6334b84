#pragma once
#include <QString>

class QFileDevice;

// The system's side of EscrituraSegura's whole-file replacement (ArchivoSistemaPosix.cpp or
// ArchivoSistemaWindows.cpp, chosen by the build). Each returns the system's reason on failure,
// empty on success.
namespace ArchivoSistema {
// The new file, still open, takes the old one's owner (Linux: a run as root under cron does
// not take the settings away from their owner); where the system refuses, nothing happens.
void ConservaDueno(QFileDevice& nuevo, const QString& viejo);
// Only the current user may read and write `archivo` (mode 0600, or an ACL on Windows).
QString SoloDueno(QFileDevice& archivo);
// The same for a file left as it is: whoever else may reach it no longer can (the group's and
// others' bits are cleared, or the owner-only ACL is set).
QString CierraAOtros(const QString& archivo);
// The new file, still open, takes the access of the one it replaces: its mode, or on Windows
// its read-only attribute and its DACL (another program's file stays open to whom it was).
QString ConservaAcceso(QFileDevice& nuevo, const QString& viejo);
// The data written so far reach the disk (fsync, FlushFileBuffers).
QString Sincroniza(QFileDevice& archivo);
// `nuevo` takes the place of `destino` in one step, durably: rename plus the folder's fsync,
// or MoveFileExW with replace and write-through.
QString Sustituye(const QString& nuevo, const QString& destino);
}
