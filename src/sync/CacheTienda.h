#pragma once
#include "servicelib/Conexion.h"
#include "sync/PlanEnvio.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <optional>
#include <vector>

// The shop's persistent object cache (Redis, Memcached... behind wp-content/object-cache.php),
// seen from the program, which only speaks MySQL and cannot reach it. The shop's must-use
// helper, wordpress/mu-plugins/moravi-cache.php, can: it cleans the cache of what the program
// names in a change table, and says in a heartbeat that it does.
//
// The change table, <prefix>moravi_cambios, created by the helper on its first run:
//   id BIGINT UNSIGNED AUTO_INCREMENT PRIMARY KEY, objeto BIGINT UNSIGNED NOT NULL (a post ID or a
//   term_taxonomy_id), tipo TINYINT UNSIGNED NOT NULL (1 post, 2 term),
//   creado TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP,
//   and since the helper's 1.1.0: cambio TINYINT UNSIGNED (what changed in the post, Cambio bits),
//   antes, despues VARCHAR(32) (its stock status before and after, when it changed). From these
//   the helper fires, in the shop's own queue, the actions WooCommerce's save fires (webhooks and
//   listening plugins hang on them).
// The heartbeat, option "moravi_cache_latido" of <prefix>options, JSON: version,
//   cache_persistente, latido (Unix time written), ultima_limpieza, limpio_hasta (change rows up
//   to this id cleaned once), podar_hasta (cleaned twice: rows up to it may go).
//
// What the program does with them: looks once per send (Detecta); inside each chunk's
// transaction writes one row per post the chunk created or changed (one multi-row INSERT), so
// the rows and the values commit or roll back together; one row per term recounted at the end
// of the send; and at the start of a send deletes the rows the helper is done with and those
// older than 30 days, never the newest one (older servers recompute the auto-increment counter
// as MAX(id)+1 at restart: ids the helper has passed must not come back). A shop without the
// table gets nothing written, and no statement per chunk.
class CacheTienda {
public:
    enum Tipo : int { kPost = 1, kTermino = 2 };
    // What changed in a post (bits of the column `cambio`).
    enum Cambio : int { kCreado = 1, kPrecio = 2, kExistencias = 4, kEstado = 8, kVariable = 16 };
    struct CambioPost {
        std::int64_t id = 0;
        int cambio = 0;
        std::string antes, despues;  // stock status, when kEstado (antes empty for a new product)
    };
    // A variable product's stock status before and after its sync in this chunk (nothing: unchanged).
    using EstadoVariable = std::function<std::optional<std::pair<std::string, std::string>>(std::int64_t)>;

    // `prefijo`: the shop's table prefix.
    explicit CacheTienda(QString prefijo = QStringLiteral("wp_"));

    // Looks at the shop once: whether the change table is there, the helper's heartbeat, the
    // shop's active plugins and active webhooks; two reads (three when the heartbeat is old while
    // changes wait). Writes nothing. Returns what the user should be told (empty: nothing): the
    // shop shows signs of a persistent object cache and no helper answers, or the helper has
    // stopped answering while changes wait; the shop has active webhooks or plugins that listen
    // to product changes and no helper (of 1.1.0 or later) to tell them.
    QStringList Detecta(Conexion& cn);

    // Whether the shop has the change table: rows are written.
    bool HayTabla() const { return tabla_; }
    // Whether the table says what changed (the helper fires WooCommerce's actions from it).
    bool HayGanchos() const { return ganchos_; }

    // Before the first chunk: tries that the shop's user may add change rows (a statement that
    // adds none), then deletes the rows the helper has cleaned twice and those older than 30
    // days, keeping the newest (only when there are any). A user without those rights gets no
    // rows written, or none deleted, and what it returns says so.
    QStringList Poda(Conexion& cn);

    // One change row of type `tipo` per object of `objetos` (zeros and repeats left out), in
    // multi-row INSERTs of at most `bytes` bytes each; nothing without the table.
    void Anota(Conexion& cn, Tipo tipo, const std::vector<std::int64_t>& objetos, int bytes = 256 * 1024);
    // The same as statements, to travel with a chunk's others.
    QStringList Sentencias(Tipo tipo, const std::vector<std::int64_t>& objetos, int bytes = 256 * 1024) const;

    // The posts a chunk creates or changes, with what changed in each, once per post: its new
    // posts (`nuevos`, the IDs just given to lote.nuevos) and the existing products that get a
    // value changed or a row added, then each variable product of the variations among them
    // (kVariable, with its status when `estadoVariable` says its sync changed it).
    static std::vector<CambioPost> CambiosDe(const LotePlan& lote, const std::vector<std::int64_t>& nuevos,
                                             const std::vector<ProductoEnvio>& productos,
                                             const EstadoVariable& estadoVariable = {});
    // Their change rows (with what changed when the table has the columns), as statements.
    QStringList Sentencias(const std::vector<CambioPost>& cambios, int bytes = 256 * 1024) const;

    // What the shop said, and the warning it leads to (pure, for the rules' sake).
    struct Vista {
        QStringList plugins;            // known object-cache plugins named in active_plugins
        bool latido = false;            // the helper's heartbeat is there
        std::int64_t ahora = 0;         // the shop's server clock (Unix time)
        std::int64_t ultimoLatido = 0;  // when the helper last wrote its heartbeat
        // When the oldest change row the helper has not cleaned was written (nothing: none waits).
        std::optional<std::int64_t> esperaDesde;
        bool ganchos = false;         // the change table says what changed (helper 1.1.0 or later)
        int webhooks = 0;             // active WooCommerce webhooks
        QStringList oyentes;          // known plugins that act on product changes, in active_plugins
    };
    static QString AvisoDe(const Vista& v);
    static QString AvisoGanchosDe(const Vista& v);
    // The names of the known object-cache plugins in the text of option active_plugins.
    static QStringList PluginsDeCache(const QString& activos);
    // The same for known plugins that act on WooCommerce's product actions.
    static QStringList PluginsOyentes(const QString& activos);

    // How old a heartbeat, and how old a change waiting for it, make a helper "not answering".
    static constexpr int kLatidoViejo = 6 * 3600;
    static constexpr int kEsperaLarga = 3600;
    static constexpr int kDiasDeFilas = 30;

private:
    QString tabla(const char* nombre) const;

    QString prefijo_;
    bool tabla_ = false;
    bool ganchos_ = false;
    std::int64_t primera_ = 0, ultima_ = 0;  // ids of the oldest and newest change rows (0: none)
    std::int64_t creadaPrimera_ = 0;         // when the oldest was written
    std::int64_t ahora_ = 0;
    std::int64_t podarHasta_ = 0;            // from the heartbeat
};
