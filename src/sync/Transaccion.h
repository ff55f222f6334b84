#pragma once
#include "servicelib/BasesDD.h"

// One unit of work on a connection: begun when made, undone when left without Confirma()
// (an error passing through, or a lost connection, which the server undoes by itself).
class Transaccion {
public:
    explicit Transaccion(ConexionPtr cn);
    ~Transaccion();
    Transaccion(const Transaccion&) = delete;
    Transaccion& operator=(const Transaccion&) = delete;
    void Confirma();

private:
    ConexionPtr cn_;
    bool terminada_ = false;
};
