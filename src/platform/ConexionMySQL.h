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
struct st_mysql_res;

// How the connection is encrypted: not at all; TLS whenever the server offers it (its
// certificate is not checked, so a server without TLS is still reached, in clear); or TLS
// required with the server's certificate verified against `certificadoCA` (the system's
// authorities when that is empty) and its name checked against the address dialled.
enum class Cifrado { Ninguno = 0, SiSeOfrece = 1, Verificado = 2 };

// What a connection is dialled with; a live connection is reused only for the same settings.
struct AjustesConexion {
    QString servidor;
    std::uint16_t puerto = 3306;
    QString usuario;
    QString clave;
    QString base;
    Cifrado cifrado = Cifrado::Ninguno;
    QString certificadoCA;
    // The server ends the session after this many seconds without a statement (wait_timeout).
    // A client whose network path died never says goodbye: this is what frees its named lock
    // and row locks. Longer than any quiet gap inside a send.
    unsigned esperaInactiva = 300;
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
// - Short server-side timeouts (AjustesConexion::esperaInactiva, and 25 s of waiting for a
//   row lock) and TCP keepalive, so a session whose client vanished does not hold the shop.
class ConexionMySQL : public Conexion {
public:
    // Dials at once; throws ErrorServicio when the server cannot be reached or refuses.
    explicit ConexionMySQL(const AjustesConexion& ajustes);
    ~ConexionMySQL() override;

    void Execute(const QString& sql) override;
    void Recorre(const QString& sql, const std::function<void(const FilaLeida&)>& porFila) override;
    void Varias(const QStringList& sentencias, const std::function<void(int, const FilaLeida&)>& porFila,
                int* fallida = nullptr) override;
    QString Escapa(const QString& texto) const override;
    unsigned CuentaAvisos() const override;
    std::int64_t UltimoId() const override;
    bool Viva() override;
    QString Base() const override;
    void BeginTrans() override;
    void CommitTrans() override;
    void RollbackTrans() override;
    bool TomaCandado(const QString& nombre, int segundos) override;
    int InactividadDelCandado(const QString& nombre) override;
    void MientrasEspera(std::function<void()> alEsperar) override { mientrasEspera_ = std::move(alEsperar); }

    TablaLeida Consulta(const QString& sql);
    const AjustesConexion& ajustes() const { return ajustes_; }
    // The server's id of this session (CONNECTION_ID()).
    unsigned long idSesion() const;
    // The operating system's handle of the network socket (to check its keepalive settings).
    std::intptr_t socketDeRed() const;
    void Cierra();

private:
    struct Cerrar {
        void operator()(st_mysql* m) const;
    };
    st_mysql* abierta() const;  // throws when closed
    void lanza() const;         // throws the connection's last error
    void envia(const QString& sql);
    // Runs `llamada` (a client call that waits for the server), with mientrasEspera_ running
    // meanwhile when there is one; gives what it returned.
    int espera(const std::function<int()>& llamada) const;
    // Hands every row of a streamed result to `porFila`, and frees it.
    static void entrega(st_mysql_res* res, const std::function<void(const FilaLeida&)>& porFila);
    void preparaCifrado();      // TLS options from ajustes_, before dialling

    std::unique_ptr<st_mysql, Cerrar> mysql_;
    AjustesConexion ajustes_;
    std::function<void()> mientrasEspera_;
};
