#pragma once
#include "registro/HistorialEnvios.h"
#include "sync/EscrituraLote.h"
#include "sync/VentanaEnvio.h"
#include "sync/clsProcedimenti.h"

#include <QString>

class RegistroSoporte;
class clsFTP;

// One send as it ended, with what was recorded of it.
struct EnvioTerminado {
    ResultadoEnvio resultado;    // what the run did (how far it got, its warnings)
    EnvioRegistrado registrado;  // its entry in the history; the log has the same
    QString error;               // the error that ended it, as the server or the library said it (a lost
                                 // connection: with the database, where, and what to check); empty when none
    QString claveDelFallo;       // the key the chunk being written began with, when an error ended it
    bool historialEscrito = false;
    QString errorHistorial;  // why the history could not be written (it then stays as it was); empty when written

    // "-enviar"'s exit status: 0 when every selected product was sent whole (nothing cut,
    // nothing left out), 1 otherwise.
    int estadoSalida() const;
    // What the user is shown on the main tab: why it did not finish, what it noted and a
    // history that could not be written, joined by "; "; empty when there is nothing to tell.
    QString aviso() const;
};

// One send, the same for the main window and "-enviar": runs clsProcedimenti::EnviarProductos
// with `cara` as its window, times it, catches whatever escapes the run, and records it once:
// a log line per warning, one for the error or the reason it did not finish (naming the key
// the failed chunk began with), one for the send, and the send in the history.
class EjecucionEnvio {
public:
    EjecucionEnvio(VentanaEnvio& cara, HistorialEnvios& historial, const RegistroSoporte& registro);

    // How large a chunk may grow (an interruption takes effect between chunks).
    LimitesLote Lote;

    // `interrumpir` is the flag the face sets when the user asks to stop.
    EnvioTerminado Ejecuta(bool& interrumpir, clsFTP* ftp);

private:
    VentanaEnvio& cara_;
    HistorialEnvios& historial_;
    const RegistroSoporte& registro_;
};
