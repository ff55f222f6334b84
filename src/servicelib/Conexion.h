#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <functional>

// One row of a streamed query, its columns in the order selected (NULL: a null QVariant).
using FilaLeida = QList<QVariant>;

// An open database connection, as the database object's AbrirBdD hands it out.
// Failures of Execute raise ErrorServicio.
class Conexion {
public:
    virtual ~Conexion() = default;
    // Runs a statement that returns no rows (UPDATE, INSERT, DELETE) at once.
    virtual void Execute(const QString& sql) = 0;
    // Text made safe to stand between single quotes in a statement of this connection.
    virtual QString Escapa(const QString& texto) const = 0;
    // Runs a SELECT and hands each row to `porFila` as it arrives from the server, so a large
    // result is never held whole. `porFila` must not use this connection.
    virtual void Recorre(const QString& sql, const std::function<void(const FilaLeida&)>& porFila) = 0;
    // Runs `sentencias` in one round trip (the client's multi-statement mode), in order; the
    // rows of a statement that returns some (SELECT, SHOW WARNINGS) go to `porFila` with that
    // statement's index. The first statement the server refuses raises ErrorServicio with its
    // index in `fallida` (the ones after it do not run; the ones before it stand, inside
    // whatever transaction is open). The text of all of them together must fit in one packet.
    virtual void Varias(const QStringList& sentencias, const std::function<void(int, const FilaLeida&)>& porFila,
                        int* fallida = nullptr) = 0;
    // How many warnings the server raised for the last statement (read from its answer, no
    // round trip); SHOW WARNINGS then tells what they were.
    virtual unsigned CuentaAvisos() const = 0;
    // The id of the row that the last INSERT on this connection added (0 if none).
    virtual std::int64_t UltimoId() const = 0;
    // True while the server answers (a ping).
    virtual bool Viva() = 0;
    // The database the connection was opened on.
    virtual QString Base() const = 0;
    // The statements between BeginTrans and CommitTrans take effect together: none of them
    // does after RollbackTrans or when the connection is lost first.
    virtual void BeginTrans() = 0;
    virtual void CommitTrans() = 0;
    virtual void RollbackTrans() = 0;
    // Takes the server-wide named lock `nombre` for this session, waiting at most `segundos`;
    // false when another session holds it. It is let go when the connection closes.
    virtual bool TomaCandado(const QString& nombre, int segundos) = 0;
    // How many seconds the session holding the named lock `nombre` has sent no statement
    // (0 while it runs one); -1 when nobody holds it or the server does not show that session.
    // A lock whose holder stays quiet belongs to a client that went away: the server frees it
    // once that session's inactivity limit passes.
    virtual int InactividadDelCandado(const QString& nombre) = 0;
    // While a statement waits for the server, `alEsperar` runs now and then on the caller's
    // thread (the window keeps answering during a chunk written to a shop far away); the
    // statement is carried meanwhile by a thread of its own. `alEsperar` must not use this
    // connection. Empty: the caller's thread waits for the server itself.
    virtual void MientrasEspera(std::function<void()> alEsperar) { (void)alEsperar; }
};
