#pragma once
#include "servicelib/BasesDD.h"
#include "sync/PlanEnvio.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class CacheTienda;
class WooCommerce;

// How a chunk that meets another writer's row locks is tried again: a lock wait timeout or a
// deadlock (1205, 1213) undoes the chunk, waits a little longer each time, and writes it anew.
struct ReintentosLote {
    int intentos = 4;
    int esperaMs = 250;  // doubled after each try
    std::function<void(int intento)> antesDeReintentar;  // lets a test let go of its locks
};

// Writes one chunk of the plan into the shop's wp_posts and wp_postmeta as one transaction,
// with a few multi-row statements (none longer than the chunk's byte bound): the new posts,
// their meta rows and the rows the shop lacks, the changed values, and the touch of every
// product of the chunk. Knows nothing of the window.
class EscrituraLote {
public:
    // `prefijo`: the shop's table prefix ("wp_"), already checked.
    // `paquete`: the largest text the server takes in one round trip (0: unknown, 1 MiB is sent).
    EscrituraLote(ConexionPtr cn, QString formatoFecha, int bytes, WooCommerce* woo = nullptr,
                  QString prefijo = QStringLiteral("wp_"), int paquete = 0);

    // Whole or not at all; the new posts' IDs, in the order of lote.nuevos. An error passes on
    // (ErrorServicio) after the transaction is undone.
    std::vector<std::int64_t> Escribe(const LotePlan& lote, const std::vector<ProductoEnvio>& productos,
                                      const ReintentosLote& reintentos);

    // What the shop's server cut or changed while storing the last chunk written (a value its
    // column cannot hold: too long, or a character its character set lacks), one text per
    // product and field: "clave: campo (message of the server)".
    const QStringList& Recortes() const { return recortes_; }

    // The last chunk failed on its very first statement: nothing of it had run (a connection
    // that died before the chunk says so there).
    bool FallaAlEmpezar() const { return fallaAlEmpezar_; }

    // The change rows of the posts each chunk creates or changes go into `cache` (see CacheTienda).
    void AnotaCambiosEn(CacheTienda* cache) { cache_ = cache; }

private:
    std::vector<std::int64_t> unaVez(const LotePlan& lote, const std::vector<ProductoEnvio>& productos);
    // `enUnViaje`: the chunk's statements queued and sent together; nothing when the new posts'
    // check failed (the chunk is undone: written again step by step).
    std::optional<std::vector<std::int64_t>> unaVez(const LotePlan& lote, const std::vector<ProductoEnvio>& productos,
                                                    bool enUnViaje);
    std::vector<std::int64_t> insertaPosts(const LotePlan& lote, const std::function<QString(int producto)>& claveDe);
    std::vector<std::pair<int, int>> encolaPosts(const LotePlan& lote, const std::function<QString(int producto)>& claveDe,
                                                 QStringList& nombres);
    QString cabeceraPosts() const;
    QStringList filasDePosts(const LotePlan& lote, QStringList& nombres) const;
    void nombraPorId(const LotePlan& lote, const std::vector<std::int64_t>& ids);
    QString texto(const std::string& s) const;
    QString P(const QString& plantilla) const;  // a statement template for the shop's prefix
    // Runs `sql` (or queues it), then reads the server's warnings, if it raised any, and notes
    // each against the product of the row it names (`claveDeFila(1)` is the statement's first row).
    void ejecuta(const QString& sql, const std::function<QString(int fila)>& claveDeFila);
    void encola(const QString& sql);  // runs it now, or queues it, without asking for warnings
    // Sends what is queued in as few round trips as the server's packet allows; the rows of its
    // SELECTs go to `porFila`.
    void vaciaCola(const std::function<void(int, const FilaLeida&)>& porFila);
    void anotaAviso(const FilaLeida& f, const std::function<QString(int fila)>& claveDeFila);
    QStringList recortes_;
    bool enCola_ = false;
    QStringList cola_;
    std::vector<std::function<QString(int)>> avisosDe_;  // per queued statement: it is a SHOW WARNINGS
    int paquete_ = 1024 * 1024;
    bool fallaAlEmpezar_ = false;

    ConexionPtr cn_;
    QString formatoFecha_;
    int bytes_;
    WooCommerce* woo_;
    QString prefijo_;
    CacheTienda* cache_ = nullptr;
};

// The pieces [desde, hasta) of `largos` (each row's length in bytes) such that a statement of
// `fijo` bytes plus one piece's rows stays within `bytes`; a row too long alone goes alone.
std::vector<std::pair<int, int>> PartesPorBytes(const std::vector<int>& largos, int fijo, int bytes);
