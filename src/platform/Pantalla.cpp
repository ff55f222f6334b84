#include "platform/Pantalla.h"

#include <QtGlobal>

#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
bool HayPantalla() {
    const auto definida = [](const char* variable) { return !qEnvironmentVariableIsEmpty(variable); };
    return definida("QT_QPA_PLATFORM") || definida("DISPLAY") || definida("WAYLAND_DISPLAY");
}
#else
bool HayPantalla() { return true; }
#endif
