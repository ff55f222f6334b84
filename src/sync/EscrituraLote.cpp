#include "sync/EscrituraLote.h"

#include "servicelib/ErrorServicio.h"
#include "sync/CacheTienda.h"
#include "sync/Reloj.h"
#include "sync/SlugWordPress.h"
#include "sync/TablasTienda.h"
#include "sync/Transaccion.h"
#include "sync/WooCommerce.h"

#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringList>
#include <QThread>
#include <algorithm>
#include <unordered_map>

namespace {
const int kHorasGmt = 6;  // fixed difference written into every *_gmt column
const int kAutor = 333;

bool esBloqueo(const ErrorServicio& e) { return e.numero() == 1205 || e.numero() == 1213; }

int largoUtf8(const QString& s) { return static_cast<int>(s.toUtf8().size()); }

std::vector<int> largos(const QStringList& filas) {
    std::vector<int> l;
    l.reserve(static_cast<size_t>(filas.size()));
    for (const QString& f : filas) l.push_back(largoUtf8(f) + 1);
    return l;
}

QString entre(const QStringList& filas, std::pair<int, int> parte, QLatin1Char sep = QLatin1Char(',')) {
    return filas.mid(parte.first, parte.second - parte.first).join(sep);
}
}

std::vector<std::pair<int, int>> PartesPorBytes(const std::vector<int>& largos, int fijo, int bytes) {
    std::vector<std::pair<int, int>> partes;
    const int n = static_cast<int>(largos.size());
    int desde = 0, suma = fijo;
    for (int i = 0; i < n; ++i) {
        if (i > desde && suma + largos[static_cast<size_t>(i)] > bytes) {
            partes.push_back({desde, i});
            desde = i;
            suma = fijo;
        }
        suma += largos[static_cast<size_t>(i)];
    }
    if (desde < n) partes.push_back({desde, n});
    return partes;
}

EscrituraLote::EscrituraLote(ConexionPtr cn, QString formatoFecha, int bytes, WooCommerce* woo, QString prefijo)
    : cn_(std::move(cn)), formatoFecha_(std::move(formatoFecha)), bytes_(bytes), woo_(woo), prefijo_(std::move(prefijo)) {
    if (!cn_) throw ErrorServicio(91, QStringLiteral("La conexión con la tienda no está abierta"));
}

QString EscrituraLote::P(const QString& plantilla) const { return TablasTienda::ConPrefijo(plantilla, prefijo_); }

QString EscrituraLote::texto(const std::string& s) const {
    return QLatin1Char('\'') + cn_->Escapa(QString::fromStdString(s)) + QLatin1Char('\'');
}

void EscrituraLote::ejecuta(const QString& sql, const std::function<QString(int fila)>& claveDeFila) {
    cn_->Execute(sql);
    if (cn_->CuentaAvisos() == 0) return;
    static const QRegularExpression fila(QStringLiteral("at row ([0-9]+)"));
    static const QRegularExpression columna(QStringLiteral("column [`']?(?:[^`' ]+[`']?\\.[`']?)*([^`' ]+?)[`']? at row"));
    cn_->Recorre(QStringLiteral("SHOW WARNINGS"), [&](const FilaLeida& f) {
        const QString mensaje = f.value(2).toString();
        const QRegularExpressionMatch mf = fila.match(mensaje), mc = columna.match(mensaje);
        const QString clave = mf.hasMatch() ? claveDeFila(mf.captured(1).toInt()) : QString();
        recortes_ << (clave.isEmpty() ? QString() : clave + QStringLiteral(": ")) +
                         (mc.hasMatch() ? mc.captured(1) + QLatin1Char(' ') : QString()) + QLatin1Char('(') + mensaje +
                         QLatin1Char(')');
    });
}

std::vector<std::int64_t> EscrituraLote::Escribe(const LotePlan& lote, const std::vector<ProductoEnvio>& productos,
                                                 const ReintentosLote& reintentos) {
    int espera = reintentos.esperaMs;
    for (int intento = 1;; ++intento) {
        try {
            return unaVez(lote, productos);
        } catch (const ErrorServicio& e) {
            if (!esBloqueo(e) || intento >= reintentos.intentos) throw;
        }
        if (reintentos.antesDeReintentar) reintentos.antesDeReintentar(intento);
        QThread::msleep(static_cast<unsigned long>(espera));
        espera *= 2;
    }
}

std::vector<std::int64_t> EscrituraLote::unaVez(const LotePlan& lote, const std::vector<ProductoEnvio>& productos) {
    recortes_.clear();
    Transaccion unidad(cn_);
    const auto claveDe = [&](int producto) { return QString::fromStdString(productos[size_t(producto)].clave); };
    const std::vector<std::int64_t> ids = insertaPosts(lote, claveDe);
    std::unordered_map<int, std::int64_t> nuevoId;
    for (size_t i = 0; i < ids.size(); ++i) nuevoId[lote.nuevos[i].producto] = ids[i];
    const auto postDe = [&](int producto) {
        const auto it = nuevoId.find(producto);
        return it != nuevoId.end() ? it->second : productos[static_cast<size_t>(producto)].postId;
    };

    if (!lote.filas.empty()) {
        QStringList filas;
        filas.reserve(static_cast<qsizetype>(lote.filas.size()));
        for (const LotePlan::Fila& f : lote.filas)
            filas << QStringLiteral("(%1,'%2',%3)")
                         .arg(QString::number(postDe(f.producto)), QLatin1String(f.clave), texto(f.valor));
        const QString cabecera = P(QStringLiteral("INSERT INTO wp_postmeta (post_id, meta_key, meta_value) VALUES "));
        for (const auto& parte : PartesPorBytes(largos(filas), largoUtf8(cabecera), bytes_))
            ejecuta(cabecera + entre(filas, parte), [&](int fila) {
                const int i = parte.first + fila - 1;
                return i < parte.second ? claveDe(lote.filas[size_t(i)].producto) + QLatin1Char(' ') +
                                              QLatin1String(lote.filas[size_t(i)].clave)
                                        : QString();
            });
    }

    if (!lote.cambios.empty()) {
        // In the order of meta_id, the order the server walks them in (and numbers its warnings by).
        std::vector<const LotePlan::Cambio*> orden;
        for (const LotePlan::Cambio& c : lote.cambios) orden.push_back(&c);
        std::sort(orden.begin(), orden.end(), [](auto a, auto b) { return a->metaId < b->metaId; });
        QStringList casos, ids;
        for (const LotePlan::Cambio* pc : orden) {
            const LotePlan::Cambio& c = *pc;
            casos << QStringLiteral("WHEN %1 THEN %2").arg(QString::number(c.metaId), texto(c.despues));
            ids << QString::number(c.metaId);
        }
        std::vector<int> l = largos(casos);
        for (size_t i = 0; i < l.size(); ++i) l[i] += largoUtf8(ids[static_cast<qsizetype>(i)]) + 1;
        const QString cabecera = P(QStringLiteral("UPDATE wp_postmeta SET meta_value = CASE meta_id "));
        for (const auto& parte : PartesPorBytes(l, largoUtf8(cabecera) + 32, bytes_))
            ejecuta(cabecera + entre(casos, parte, QLatin1Char(' ')) + QStringLiteral(" END WHERE meta_id IN (") +
                        entre(ids, parte) + QLatin1Char(')'),
                    [&](int fila) {
                        const int i = parte.first + fila - 1;
                        return i < parte.second ? claveDe(orden[size_t(i)]->producto) + QLatin1Char(' ') +
                                                      QLatin1String(kClavesValor[size_t(orden[size_t(i)]->cual)])
                                                : QString();
                    });
    }

    // Every product sent is touched, changed or not: the shop sees when it was last brought in step.
    QStringList posts;
    std::vector<std::int64_t> enviados;
    for (int i = lote.desde; i < lote.hasta; ++i) {
        if (std::find(lote.omitidos.begin(), lote.omitidos.end(), i) != lote.omitidos.end()) continue;
        enviados.push_back(postDe(i));
        posts << QString::number(enviados.back());
    }
    if (!posts.isEmpty()) {
        const QString local = Reloj::texto(formatoFecha_);
        const QString gmt = Reloj::texto(formatoFecha_, kHorasGmt);
        const QString cabecera = P(QStringLiteral("UPDATE wp_posts SET post_modified='")) + local +
                                 QStringLiteral("',post_modified_gmt='") + gmt + QStringLiteral("' WHERE ID IN (");
        for (const auto& parte : PartesPorBytes(largos(posts), largoUtf8(cabecera) + 1, bytes_))
            cn_->Execute(cabecera + entre(posts, parte) + QLatin1Char(')'));
    }
    // WooCommerce's own records of these products, and of the variable products of its
    // variations, from the rows just written.
    std::vector<std::int64_t> padresCambiados;
    if (woo_) {
        std::vector<std::int64_t> padres;
        for (int i = lote.desde; i < lote.hasta; ++i) {
            const AjustesTienda& a = productos[size_t(i)].ajustes;  // an omitted product changed nothing
            if (a.variacion && a.padre != 0 && std::find(padres.begin(), padres.end(), a.padre) == padres.end())
                padres.push_back(a.padre);
        }
        padresCambiados = woo_->EscribeLote(*cn_, enviados, padres);
    }
    // What the shop's object-cache helper is to clean, committed with the rows themselves.
    if (cache_) {
        std::vector<std::int64_t> cambiados = CacheTienda::PostsCambiados(lote, ids, productos);
        cambiados.insert(cambiados.end(), padresCambiados.begin(), padresCambiados.end());
        cache_->Anota(*cn_, CacheTienda::kPost, cambiados, bytes_);
    }
    unidad.Confirma();
    return ids;
}

std::vector<std::int64_t> EscrituraLote::insertaPosts(const LotePlan& lote,
                                                      const std::function<QString(int producto)>& claveDe) {
    std::vector<std::int64_t> ids(lote.nuevos.size(), 0);
    if (lote.nuevos.empty()) return ids;
    // A new post is found again by its name, which is unique among the products. A title that
    // leaves nothing to name it by gets a one-off name here and its ID-based name below.
    const QString marca = QStringLiteral("moravi-%1-").arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
    QStringList nombres, filas;
    for (size_t i = 0; i < lote.nuevos.size(); ++i) {
        const LotePlan::Nuevo& n = lote.nuevos[i];
        nombres << (n.nombre.isEmpty() ? marca + QString::number(i) : n.nombre);
        const QString fecha = Reloj::texto(formatoFecha_), fechaGmt = Reloj::texto(formatoFecha_, kHorasGmt);
        filas << QStringLiteral("(%1,'publish','closed','closed',%2,'%3','%4','product','','','','','','%5')")
                     .arg(QString::number(kAutor), texto(n.titulo), fecha, fechaGmt, cn_->Escapa(nombres.last()));
    }
    const QString cabecera = P(QStringLiteral(
        "INSERT INTO wp_posts (post_author, post_status, comment_status, ping_status, post_title, post_date, "
        "post_date_gmt, post_type, post_content, post_excerpt, to_ping, pinged, post_content_filtered, post_name) VALUES "));
    for (const auto& parte : PartesPorBytes(largos(filas), largoUtf8(cabecera), bytes_)) {
        ejecuta(cabecera + entre(filas, parte), [&](int fila) {
            const int i = parte.first + fila - 1;
            return i < parte.second ? claveDe(lote.nuevos[size_t(i)].producto) : QString();
        });
        // The IDs of one multi-row insert are not consecutive on every server (interleaved
        // auto-increment), but none is below the first: each post is found again by its name.
        const std::int64_t primero = cn_->UltimoId();
        QStringList lista;
        QHash<QString, int> indice;
        for (int i = parte.first; i < parte.second; ++i) {
            lista << QLatin1Char('\'') + cn_->Escapa(nombres[i]) + QLatin1Char('\'');
            indice.insert(nombres[i], i);
        }
        cn_->Recorre(P(QStringLiteral("SELECT ID, post_name FROM wp_posts WHERE ID >= %1 AND post_type='product' AND "
                                      "post_author=%2 AND post_name IN (%3)"))
                         .arg(QString::number(primero), QString::number(kAutor), lista.join(QLatin1Char(','))),
                     [&](const FilaLeida& f) {
                         const auto it = indice.constFind(f.at(1).toString());
                         if (it == indice.constEnd()) return;
                         std::int64_t& id = ids[static_cast<size_t>(*it)];
                         // Another program's product post of the same name, written meanwhile:
                         // which one is ours cannot be told, so the chunk is undone (the next
                         // send sees that name taken and picks another).
                         if (id != 0)
                             throw ErrorServicio(2000, QStringLiteral("Dos productos nuevos de la tienda se llaman «%1»")
                                                           .arg(nombres[*it]));
                         id = f.at(0).toLongLong();
                     });
        for (int i = parte.first; i < parte.second; ++i)
            if (ids[static_cast<size_t>(i)] == 0)
                throw ErrorServicio(
                    2000, QStringLiteral("No se encontró el producto recién creado «%1» en la tienda").arg(nombres[i]));
    }
    nombraPorId(lote, ids);
    return ids;
}

void EscrituraLote::nombraPorId(const LotePlan& lote, const std::vector<std::int64_t>& ids) {
    // Like WordPress, a post whose title leaves nothing to name it by is named by its ID.
    QStringList sinNombre, condiciones;
    for (size_t i = 0; i < lote.nuevos.size(); ++i)
        if (lote.nuevos[i].nombre.isEmpty()) {
            const QString id = QString::number(ids[i]);
            sinNombre << id;
            condiciones << QStringLiteral("post_name='%1' OR post_name LIKE '%1-%'").arg(id);
        }
    if (sinNombre.isEmpty()) return;
    QSet<QString> ocupados;
    cn_->Recorre(P(QStringLiteral("SELECT post_name FROM wp_posts WHERE post_type='product' AND (")) +
                     condiciones.join(QStringLiteral(" OR ")) + QLatin1Char(')'),
                 [&](const FilaLeida& f) { ocupados.insert(f.at(0).toString().toLower()); });
    QStringList casos;
    for (const QString& id : sinNombre) {
        const QString nombre = SlugWordPress::unico(id, ocupados);
        ocupados.insert(nombre);
        casos << QStringLiteral("WHEN %1 THEN '%2'").arg(id, cn_->Escapa(nombre));
    }
    cn_->Execute(P(QStringLiteral("UPDATE wp_posts SET post_name = CASE ID ")) + casos.join(QLatin1Char(' ')) +
                 QStringLiteral(" END WHERE ID IN (") + sinNombre.join(QLatin1Char(',')) + QLatin1Char(')'));
}
