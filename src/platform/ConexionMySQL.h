#pragma once
#include "servicelib/Conexion.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <memory>
#include <vector>

struct st_mysql;

// What a connection is dialled with; a live connection is reused only for the same settings.
struct AjustesConexion {
    QString servidor;
    std::uint16_t puerto = 3306;
    QString usuario;
    QString clave;
    QString base;
    bool operator==(const AjustesConexion&) const = default;
};

// Rows of one SELECT, fetched whole, converted to QVariant:
// NULL -> null QVariant; whole numbers -> qlonglong (qulonglong when unsigned);
// DECIMAL -> its exact text as QString (QVariant::toDouble still works); FLOAT/DOUBLE ->
// double; dates and times -> their text as the server writes it (zero dates survive);
// binary columns -> QByteArray; other text -> QString from UTF-8.
struct TablaLeida {
    QStringList nombres;
    std::vector<bool> autoincremento;
    std::vector<QList<QVariant>> filas;
};

// A MySQL/MariaDB connection over Connector/C.
// - Always TCP, also for "localhost" (Connector/C would take that as its Unix socket, whose
//   path a Windows-style setting never names): the configured port is always honoured.
// - utf8mb4, so latin1 tables arrive as correct UTF-8.
// - The session sql_mode drops the modes WordPress drops for itself (NO_ZERO_DATE,
//   ONLY_FULL_GROUP_BY, STRICT_TRANS_TABLES, STRICT_ALL_TABLES, TRADITIONAL, ANSI).
// - No silent reconnect: a lost connection stays lost; BasesDD::AbrirBdD pings and redials.
class ConexionMySQL : public Conexion {
public:
    // Dials at once; throws ErrorServicio when the server cannot be reached or refuses.
    explicit ConexionMySQL(const AjustesConexion& ajustes);
    ~ConexionMySQL() override;

    void Execute(const QString& sql) override;
    void Recorre(const QString& sql, const std::function<void(const FilaLeida&)>& porFila) override;
    QString Escapa(const QString& texto) const override;
    unsigned CuentaAvisos() const override;
    std::int64_t UltimoId() const override;
    bool Viva() override;
    QString Base() const override;
    void BeginTrans() override;
    void CommitTrans() override;
    void RollbackTrans() override;
    bool TomaCandado(const QString& nombre, int segundos) override;

    TablaLeida Consulta(const QString& sql);
    const AjustesConexion& ajustes() const { return ajustes_; }
    // The server's id of this session (CONNECTION_ID()).
    unsigned long idSesion() const;
    void Cierra();

private:
    struct Cerrar {
        void operator()(st_mysql* m) const;
    };
    st_mysql* abierta() const;  // throws when closed
    void lanza() const;         // throws the connection's last error
    void envia(const QString& sql);

    std::unique_ptr<st_mysql, Cerrar> mysql_;
    AjustesConexion ajustes_;
};
