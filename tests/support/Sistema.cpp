#include "support/Sistema.h"

namespace prueba {
QString SinProgramasLinux() {
#ifdef Q_OS_WIN
    return QStringLiteral("la prueba de Windows corre bajo Wine y no puede ejecutar php ni redis-server de Linux "
                          "(WordPress y WooCommerce se prueban en la ejecución de Linux)");
#else
    return {};
#endif
}

QByteArray FinDeLinea() {
#ifdef Q_OS_WIN
    return QByteArrayLiteral("\r\n");
#else
    return QByteArrayLiteral("\n");
#endif
}
}
