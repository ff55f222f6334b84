#include "support/Sistema.h"

namespace prueba {
QString SinProgramasLinux() { return {}; }
QByteArray FinDeLinea() { return QByteArrayLiteral("\n"); }
QString SinVerificacionConCA() { return {}; }
QString SinRechazoDeAutoridadesAjenas() { return {}; }
}
