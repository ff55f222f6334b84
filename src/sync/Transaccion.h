#pragma once
#include "servicelib/BasesDD.h"

// One unit of work on a connection: begun when made (or by the first of the statements that
// travel together with it), undone when left unconfirmed (an error passing through, a check
// that failed, or a lost connection, which the server undoes by itself).
class Transaccion {
public:
    enum class Comienzo {
        Ahora,             // START TRANSACTION is sent now
        ConLasSentencias,  // the caller sends it at the head of its own statements
    };
    explicit Transaccion(ConexionPtr cn, Comienzo comienzo = Comienzo::Ahora);
    ~Transaccion();
    Transaccion(const Transaccion&) = delete;
    Transaccion& operator=(const Transaccion&) = delete;
    void Confirma();
    // The COMMIT went with the caller's statements: nothing is left to undo.
    void Confirmada() { terminada_ = true; }

private:
    ConexionPtr cn_;
    bool terminada_ = false;
};
