#pragma once
#include <QString>

// The user's autostart entry for this program: on Windows the value `nombre` under
// HKEY_CURRENT_USER\...\CurrentVersion\Run holding the executable's full path in quotes; on
// Linux a desktop entry `nombre`.desktop in the XDG autostart folder. Each system's side is
// chosen by the build (AutoarranquePosix.cpp, AutoarranqueWindows.cpp).
namespace Autoarranque {
// Makes the entry start `programa` (a full path); rewritten only when it differs. True when
// it wrote; failures are left silent, a start-up does not stop for them.
bool Registra(const QString& nombre, const QString& programa);
// The command the entry holds now, as written there; empty when there is none.
QString Actual(const QString& nombre);
// The command `Registra` writes for `programa`.
QString Orden(const QString& programa);
}
