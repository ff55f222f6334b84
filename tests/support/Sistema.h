#pragma once
// What a test needs from the machine that this build's system cannot give. The Windows build's
// tests run under Wine on the Linux machine: Linux programs (php, redis-server, mount) are out of
// their reach. A test that needs one is skipped with the reason printed, never silently.
#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>

class QProcess;

namespace prueba {
// Why PHP (WordPress, WooCommerce's own code) and redis-server cannot be run; empty when they can.
QString SinProgramasLinux();
// Why a program started by the test cannot be given a time zone of its own (TZ); empty when it can.
QString SinZonaPorProceso();
// Why autostart is not the desktop entry in XDG_CONFIG_HOME/autostart that TERM ends; empty on Linux.
QString SinEntradaDeEscritorio();

// Asking a running program to stop as the system would at the end of the session: TERM on
// Linux; on Windows the log-off question to its windows (WM_QUERYENDSESSION). Gives the name
// the program logs for what it received, or nothing and `motivo` when it could not be asked.
QString Interrumpe(QProcess& p, QString& motivo);

// The line end this system's text files take when nothing else decides it: "\r\n" on Windows,
// "\n" elsewhere.
QByteArray FinDeLinea();
// Why a server's certificate cannot be verified here with a CA file of one's own; empty when it can.
QString SinVerificacionConCA();
// Why the system's TLS (Schannel) here lets through a server whose certificate no authority of
// the system signed; empty when it refuses it.
QString SinRechazoDeAutoridadesAjenas();
}

// Skips the test, printing why, when `motivo` is not empty.
#define SALTA_SI(motivo)                                                        \
    if (const QString moravi_motivo_ = (motivo); !moravi_motivo_.isEmpty()) \
    GTEST_SKIP() << moravi_motivo_.toStdString()
