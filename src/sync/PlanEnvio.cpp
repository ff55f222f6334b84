#include "sync/PlanEnvio.h"

#include "sync/SlugWordPress.h"
#include "sync/ValoresIniciales.h"

PlanEnvio::PlanEnvio(const std::vector<ProductoEnvio>& productos, QSet<QString> ocupados, LimitesLote limites,
                     ReglasTienda reglas)
    : productos_(productos), ocupados_(std::move(ocupados)), limites_(limites), reglas_(reglas) {}

LotePlan PlanEnvio::Siguiente(int desde) {
    LotePlan lote;
    lote.desde = lote.hasta = desde;
    const int total = static_cast<int>(productos_.size());
    int filas = 0;
    for (int i = desde; i < total && lote.cuenta() < limites_.productos; ++i) {
        const ProductoEnvio& p = productos_[static_cast<size_t>(i)];
        const auto deseados = ValoresDeseados(p, reglas_);
        const bool nuevo = p.postId == 0;

        // The rows this product adds, counted before it joins so a chunk never outgrows its bound
        // (a single product always fits).
        int suyas = nuevo ? 2 + static_cast<int>(kValoresIniciales.size()) : 0;
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
                nombre = SlugWordPress::unico(base, ocupados_);
                ocupados_.insert(nombre);
            }
            lote.nuevos.push_back({i, titulo, nombre});
            lote.filas.push_back({i, "_sku", p.clave});
            for (const ValorInicial& v : kValoresIniciales) lote.filas.push_back({i, v.clave, v.valor});
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
