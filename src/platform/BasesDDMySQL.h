#pragma once
#include "servicelib/BasesDD.h"

// The database object over MariaDB Connector/C (see ConexionMySQL for how it dials).
class BasesDDMySQL : public kesa5::BasesDD {
public:
    // A live connection (it answers a ping) dialled with the same settings is kept; any
    // other is replaced by a new one. False, and `cn` emptied, when the server cannot be
    // reached or refuses; never an exception.
    bool AbrirBdD(ConexionPtr& cn, const QString& base) override;
    // SELECT <campos> FROM <fuente>, every row fetched at once.
    bool AbrirTabla(RecordsetPtr& rs, ConexionPtr& cn, const QString& fuente,
                    const QString& campos = QStringLiteral("*")) override;
    void CierraTabla(RecordsetPtr& rs) override;
    void CierraBdD(ConexionPtr& cn) override;
    QString LeeDato(const QString& clave, ConexionPtr& cn, const QString& tabla) override;
    // The AUTO_INCREMENT value of the last INSERT on `cn` (tabla and campoId are not needed:
    // the server keeps it per connection, so other clients' inserts cannot interfere).
    std::int64_t LastId(ConexionPtr& cn, const QString& tabla, const QString& campoId) override;
};
