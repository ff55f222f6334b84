#include "sync/PlanEnvio.h"

#include "sync/SlugWordPress.h"
#include "sync/ValoresIniciales.h"

#include <algorithm>

PlanEnvio::PlanEnvio(const std::vector<ProductoEnvio>& productos, QSet<QString> ocupados, LimitesLote limites,
                     ReglasTienda reglas)
    : productos_(productos), ocupados_(std::move(ocupados)), limites_(limites), reglas_(reglas) {}

namespace {
// The fixed part of the longest statement a row goes into (the new posts' INSERT), with room.
constexpr int kCabecera = 512;
// A new post's row without its title and name (author, statuses, dates, type).
constexpr int kFilaPost = 160;

// Bytes of `texto` once the connection escapes it (mysql_real_escape_string's characters).
int escapado(const std::string& texto) {
    int n = int(texto.size());
    for (const char c : texto)
        if (c == '\\' || c == '\'' || c == '"' || c == '\0' || c == '\n' || c == '\r' || c == '\x1a') ++n;
    return n;
}
}

int PlanEnvio::FilaMasLarga(const ProductoEnvio& p, const QString& nombre) {
    // A slug is at most 200 plain characters.
    int mayor = escapado(p.clave) + 64;
    if (p.postId == 0)
        mayor = std::max(mayor, escapado(TituloDe(p)) + int(nombre.size() ? nombre.size() : 200) + kFilaPost);
    for (const auto& v : {p.precio, p.existencia})
        if (v) mayor = std::max(mayor, escapado(*v) + 64);
    return mayor;
}

LotePlan PlanEnvio::Siguiente(int desde) {
    LotePlan lote;
    lote.desde = lote.hasta = desde;
    const int total = static_cast<int>(productos_.size());
    int filas = 0;
    for (int i = desde; i < total && lote.cuenta() < limites_.productos; ++i) {
        const ProductoEnvio& p = productos_[static_cast<size_t>(i)];
        const auto deseados = ValoresDeseados(p, reglas_);
        const bool nuevo = p.postId == 0;
        // What no statement within the server's bound can carry is named and left out, rather
        // than sent to be refused with the whole chunk, on every send.
        if (limites_.paquete > 0 && FilaMasLarga(p, QString()) + kCabecera > limites_.paquete) {
            lote.omitidos.push_back(i);
            lote.hasta = i + 1;
            continue;
        }

        // The rows this product adds, counted before it joins so a chunk never outgrows its bound
        // (a single product always fits).
        int suyas = nuevo ? 2 + static_cast<int>(kValoresIniciales.size()) : 0;
        if (nuevo && reglas_.woocommerce) suyas += static_cast<int>(kValoresWooCommerce.size());
        for (const auto& d : deseados) {
            if (!d) continue;
            const ValorTienda& t = p.tienda[static_cast<size_t>(d->cual)];
            if (nuevo || t.metaId == 0 || t.valor != d->valor) ++suyas;
        }
        if (lote.cuenta() > 0 && filas + suyas > limites_.filas) break;
        filas += suyas;

        if (nuevo) {
            const std::string titulo = TituloDe(p);
            const QString base = SlugWordPress::sanitiza(QString::fromStdString(titulo));
            QString nombre;
            if (!base.isEmpty()) {
                nombre = SlugWordPress::unico(base, ocupados_, &siguienteSufijo_[base]);
                ocupados_.insert(nombre);
            }
            lote.nuevos.push_back({i, titulo, nombre});
            lote.filas.push_back({i, "_sku", p.clave});
            for (const ValorInicial& v : kValoresIniciales) lote.filas.push_back({i, v.clave, v.valor});
            if (reglas_.woocommerce)
                for (const ValorInicial& v : kValoresWooCommerce) lote.filas.push_back({i, v.clave, v.valor});
        }
        for (const auto& d : deseados) {
            if (!d) continue;
            const ValorTienda& t = p.tienda[static_cast<size_t>(d->cual)];
            const char* clave = kClavesValor[static_cast<size_t>(d->cual)];
            if (nuevo || t.metaId == 0) {
                lote.filas.push_back({i, clave, d->valor});
                if (!nuevo) ++lote.faltantes;
            }
            else if (t.valor != d->valor) lote.cambios.push_back({i, d->cual, t.metaId, t.valor, d->valor});
        }
        lote.hasta = i + 1;
    }
    return lote;
}
