#include "support/Sistema.h"

#include <QProcess>

namespace prueba {
QString SinProgramasLinux() { return {}; }

QString SinZonaPorProceso() { return {}; }

QString SinEntradaDeEscritorio() { return {}; }

QString Interrumpe(QProcess& p, QString&) {
    p.terminate();  // SIGTERM
    return QStringLiteral("TERM");
}

QByteArray FinDeLinea() { return QByteArrayLiteral("\n"); }
QString SinVerificacionConCA() { return {}; }
QString SinRechazoDeAutoridadesAjenas() { return {}; }
}
