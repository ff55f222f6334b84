#pragma once
#include "sync/ProductoEnvio.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// How much one chunk of a send may carry: it is written as one transaction, so it also bounds
// what an interruption or a lost connection waits for or undoes.
struct LimitesLote {
    // Products per chunk: an unchanged product costs only its share of the chunk's statements,
    // so a send that changes nothing touches its posts in a few of them.
    int productos = 10000;
    // Rows written per chunk (posts, meta rows added, values changed): what an interruption
    // or a lost connection waits for or undoes (about a second at 100 ms).
    int filas = 30000;
    int bytes = 256 * 1024;    // per statement: hosted servers may keep max_allowed_packet small
    // The largest statement the shop's server accepts (0: not known); a product with a row
    // that cannot fit in it is left out of its chunk.
    int paquete = 0;
};

// What one chunk of products [desde, hasta) changes in the shop, worked out from what the
// shop held when it was read. Products are identified by their index in the send's list.
struct LotePlan {
    int desde = 0, hasta = 0;
    struct Nuevo {
        int producto;
        std::string titulo;
        QString nombre;  // its post_name; empty when the title leaves nothing: named by its ID then
    };
    struct Fila {  // a meta row to add, of a new product or one the shop lacks
        int producto;
        const char* clave;
        std::string valor;
    };
    struct Cambio {  // a value that differs from the shop's
        int producto;
        Valor cual;
        std::int64_t metaId;
        std::string antes, despues;
    };
    std::vector<Nuevo> nuevos;
    std::vector<Fila> filas;  // in the order they are added: a new product's SKU, defaults, values
    std::vector<Cambio> cambios;
    int faltantes = 0;  // of `filas`, the values an existing product lacked in the shop
    // Products of the chunk with a row too large for any statement the server accepts: not
    // written at all (the rest of the chunk is).
    std::vector<int> omitidos;
    bool omitido(int producto) const {
        return std::find(omitidos.begin(), omitidos.end(), producto) != omitidos.end();
    }
    int cuenta() const { return hasta - desde; }
};

// Cuts the products into chunks and works out each one's changes. Pure: no server.
class PlanEnvio {
public:
    // `ocupados`: the shop's product post names (lower case) a new name could collide with.
    // `reglas`: what the shop applies to every product's values (see ValoresDeseados).
    PlanEnvio(const std::vector<ProductoEnvio>& productos, QSet<QString> ocupados, LimitesLote limites,
              ReglasTienda reglas = {});
    // The chunk that starts at product `desde` (at least one product, while there are any).
    // The names it gives new products count as taken for the chunks after it.
    LotePlan Siguiente(int desde);

    // The largest row, in bytes of a statement, that product `i` would write (its post, a meta
    // row or a changed value), escaping counted at its worst.
    static int FilaMasLarga(const ProductoEnvio& p, const QString& nombre);

private:
    const std::vector<ProductoEnvio>& productos_;
    QSet<QString> ocupados_;
    QHash<QString, int> siguienteSufijo_;  // per base name: where to look for the next free one
    LimitesLote limites_;
    ReglasTienda reglas_;
};
