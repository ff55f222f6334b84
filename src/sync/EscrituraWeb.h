#pragma once
#include "servicelib/BasesDD.h"

#include <QString>
#include <cstdint>

// One named value of one post in the shop's wp_postmeta, written the way the picture step
// needs it: looked up, added when missing (looked up again), then updated by its meta_id;
// when even two added rows cannot be found the value is not written. Every value placed in a
// statement is escaped with the connection; a failing statement raises ErrorServicio.
// (The send run writes products in chunks instead: see EscrituraLote.)
namespace EscrituraWeb {
void ActualizarMeta(kesa5::BasesDD& web, ConexionPtr& cn, std::int64_t postId, const QString& clave,
                    const QString& valor);
}
