#include "sync/Transaccion.h"

#include "servicelib/ErrorServicio.h"

Transaccion::Transaccion(ConexionPtr cn, Comienzo comienzo) : cn_(std::move(cn)) {
    if (!cn_) throw ErrorServicio(91, QStringLiteral("La conexión no está abierta"));
    if (comienzo == Comienzo::Ahora) cn_->BeginTrans();
}

Transaccion::~Transaccion() {
    if (terminada_) return;
    try {
        cn_->RollbackTrans();
    } catch (...) {
        // The connection is gone: the server has already dropped the unfinished work.
    }
}

void Transaccion::Confirma() {
    cn_->CommitTrans();
    terminada_ = true;
}
