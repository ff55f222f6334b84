#pragma once
// Who may reach a file besides its owner, read the way the system keeps it: the mode's group
// and other bits on Linux, the file's DACL on Windows (its allowing entries for anyone but the
// current user and the system itself).
#include <QString>

namespace prueba {
// Those who may read or write `archivo` besides its owner, described; empty when nobody may.
QString OtrosConAcceso(const QString& archivo);
// Lets everyone read `archivo`, as an older file or another program's file may: the mode's
// group and other read bits, or an entry for Everyone. False when the system refuses.
bool AbreALaLectura(const QString& archivo);
// The file's access as one comparable text: its mode, or its DACL in SDDL form.
QString Acceso(const QString& archivo);
}
