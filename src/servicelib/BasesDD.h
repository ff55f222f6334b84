#pragma once
#include "servicelib/Conexion.h"
#include "servicelib/Objeto.h"
#include "servicelib/Recordset.h"
#include <QString>
#include <cstdint>
#include <memory>

using ConexionPtr = std::shared_ptr<Conexion>;
using RecordsetPtr = std::shared_ptr<Recordset>;

namespace kesa5 {

// A database object: connection settings, plus opening and closing connections and recordsets.
class BasesDD : public Objeto {
public:
    QString cRuta;          // server
    std::uint16_t cPuerto = 3306;  // 0 to 65535: a MySQL server may listen above 32767
    QString cUsuario;
    QString cPassword;
    QString cMiBase;        // database
    // Encryption of the connection: 0 none; 1 TLS when the server offers it, its certificate
    // not checked; 2 TLS required, the server's certificate verified against cCertificadoCA
    // (the system's authorities when empty). Any other number counts as 1.
    int cCifrado = 0;
    QString cCertificadoCA;
    // Why the last AbrirBdD that returned false failed, in words for the user; "" after a success.
    QString cUltimoError;

    // Connects to `base` with the object's settings. When `cn` already holds a live
    // connection to that database it is kept (a ping) rather than dialled again.
    virtual bool AbrirBdD(ConexionPtr& cn, const QString& base) = 0;
    // Opens `fuente` (a table name optionally followed by WHERE, ORDER BY and LIMIT
    // clauses) with the field list `campos`. True when at least one row was selected;
    // the recordset is open and can take new rows either way.
    virtual bool AbrirTabla(RecordsetPtr& rs, ConexionPtr& cn, const QString& fuente,
                            const QString& campos = QStringLiteral("*")) = 0;
    virtual void CierraTabla(RecordsetPtr& rs) = 0;
    virtual void CierraBdD(ConexionPtr& cn) = 0;
    // A host setting: Valor of the row of `tabla` whose Dato is `clave`; "" when none.
    virtual QString LeeDato(const QString& clave, ConexionPtr& cn, const QString& tabla) = 0;
    // The id of the row just inserted through `cn` into `tabla`.
    virtual std::int64_t LastId(ConexionPtr& cn, const QString& tabla, const QString& campoId) = 0;
};

}  // namespace kesa5
