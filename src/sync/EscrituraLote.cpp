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
#include <array>
#include <unordered_map>

namespace {
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

EscrituraLote::EscrituraLote(ConexionPtr cn, QString formatoFecha, int bytes, WooCommerce* woo, QString prefijo,
                             int paquete)
    : cn_(std::move(cn)), formatoFecha_(std::move(formatoFecha)), bytes_(bytes), woo_(woo), prefijo_(std::move(prefijo)) {
    if (paquete > 0) paquete_ = std::max(1024, paquete - 1024);
    if (!cn_) throw ErrorServicio(91, QStringLiteral("La conexión con la tienda no está abierta"));
}

QString EscrituraLote::P(const QString& plantilla) const { return TablasTienda::ConPrefijo(plantilla, prefijo_); }

QString EscrituraLote::texto(const std::string& s) const {
    return QLatin1Char('\'') + cn_->Escapa(QString::fromStdString(s)) + QLatin1Char('\'');
}

void EscrituraLote::anotaAviso(const FilaLeida& f, const std::function<QString(int fila)>& claveDeFila) {
    static const QRegularExpression fila(QStringLiteral("at row ([0-9]+)"));
    static const QRegularExpression columna(QStringLiteral("column [`']?(?:[^`' ]+[`']?\\.[`']?)*([^`' ]+?)[`']? at row"));
    const QString mensaje = f.value(2).toString();
    const QRegularExpressionMatch mf = fila.match(mensaje), mc = columna.match(mensaje);
    const QString clave = mf.hasMatch() && claveDeFila ? claveDeFila(mf.captured(1).toInt()) : QString();
    recortes_ << (clave.isEmpty() ? QString() : clave + QStringLiteral(": ")) +
                     (mc.hasMatch() ? mc.captured(1) + QLatin1Char(' ') : QString()) + QLatin1Char('(') + mensaje +
                     QLatin1Char(')');
}

void EscrituraLote::ejecuta(const QString& sql, const std::function<QString(int fila)>& claveDeFila) {
    if (enCola_) {
        // The server's warnings are asked for right after the statement, in the same round trip.
        cola_ << sql << QStringLiteral("SHOW WARNINGS");
        avisosDe_.push_back({});
        avisosDe_.push_back(claveDeFila ? claveDeFila : [](int) { return QString(); });
        return;
    }
    cn_->Execute(sql);
    if (cn_->CuentaAvisos() == 0) return;
    cn_->Recorre(QStringLiteral("SHOW WARNINGS"), [&](const FilaLeida& f) { anotaAviso(f, claveDeFila); });
}

void EscrituraLote::encola(const QString& sql) {
    if (!enCola_) {
        cn_->Execute(sql);
        return;
    }
    cola_ << sql;
    avisosDe_.push_back({});
}

void EscrituraLote::vaciaCola(const std::function<void(int, const FilaLeida&)>& porFila) {
    // As few round trips as the server's packet allows: statements joined up to its bound.
    int desde = 0;
    while (desde < cola_.size()) {
        int hasta = desde, bytes = 0;
        while (hasta < cola_.size() && (hasta == desde || bytes + largoUtf8(cola_[hasta]) + 2 <= paquete_))
            bytes += largoUtf8(cola_[hasta++]) + 2;
        const int base = desde;
        int fallida = -1;
        try {
            cn_->Varias(cola_.mid(desde, hasta - desde), [&](int i, const FilaLeida& f) {
                const size_t k = size_t(base + i);
                if (avisosDe_[k]) anotaAviso(f, avisosDe_[k]);
                else if (porFila) porFila(base + i, f);
            }, &fallida);
        } catch (...) {
            fallaAlEmpezar_ = base == 0 && fallida == 0;
            throw;
        }
        desde = hasta;
    }
    cola_.clear();
    avisosDe_.clear();
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
    // The whole chunk travels in one or two round trips: its transaction's begin, the new posts
    // (each multi-row insert's first ID kept in a session variable, and each new post's meta rows
    // addressed from it), the meta rows, the changed values, the touch of every post and
    // WooCommerce's records. With new posts the chunk ends in a check that each one got the ID
    // its place says; when another writer's posts came in between (interleaved auto-increment),
    // the chunk is undone and written again step by step, each post found by its name.
    std::optional<std::vector<std::int64_t>> ids = unaVez(lote, productos, true);
    if (!ids) ids = unaVez(lote, productos, false);
    return *ids;
}

std::optional<std::vector<std::int64_t>> EscrituraLote::unaVez(const LotePlan& lote,
                                                                const std::vector<ProductoEnvio>& productos,
                                                                bool enUnViaje) {
    recortes_.clear();
    cola_.clear();
    avisosDe_.clear();
    enCola_ = enUnViaje;
    const auto claveDe = [&](int producto) { return QString::fromStdString(productos[size_t(producto)].clave); };
    // Undone unless confirmed: an error passing through, or a check that failed.
    fallaAlEmpezar_ = true;
    Transaccion unidad(cn_, enUnViaje ? Transaccion::Comienzo::ConLasSentencias : Transaccion::Comienzo::Ahora);
    fallaAlEmpezar_ = false;
    if (enUnViaje) encola(QStringLiteral("START TRANSACTION"));

    // The new posts: their IDs now, or as "@moravi_pN+k" until the check.
    std::vector<std::int64_t> ids(lote.nuevos.size(), 0);
    std::vector<QString> idTexto(lote.nuevos.size());
    std::vector<std::pair<int, int>> partes;
    QStringList nombres;
    if (!lote.nuevos.empty()) {
        if (enUnViaje) {
            partes = encolaPosts(lote, claveDe, nombres);
            for (size_t j = 0; j < partes.size(); ++j)
                for (int i = partes[j].first; i < partes[j].second; ++i)
                    idTexto[size_t(i)] = QStringLiteral("@moravi_p%1+%2").arg(j).arg(i - partes[j].first);
        } else {
            ids = insertaPosts(lote, claveDe);
            for (size_t i = 0; i < ids.size(); ++i) idTexto[i] = QString::number(ids[i]);
        }
    }
    std::unordered_map<int, size_t> nuevo;
    for (size_t i = 0; i < lote.nuevos.size(); ++i) nuevo[lote.nuevos[i].producto] = i;
    const auto postDe = [&](int producto) {
        const auto it = nuevo.find(producto);
        return it != nuevo.end() ? idTexto[it->second] : QString::number(productos[size_t(producto)].postId);
    };

    if (!lote.filas.empty()) {
        QStringList filas;
        filas.reserve(static_cast<qsizetype>(lote.filas.size()));
        for (const LotePlan::Fila& f : lote.filas)
            filas << QStringLiteral("(%1,'%2',%3)").arg(postDe(f.producto), QLatin1String(f.clave), texto(f.valor));
        const QString cabecera = P(QStringLiteral("INSERT INTO wp_postmeta (post_id, meta_key, meta_value) VALUES "));
        for (const auto& parte : PartesPorBytes(largos(filas), largoUtf8(cabecera), bytes_))
            ejecuta(cabecera + entre(filas, parte), [&lote, claveDe, parte](int fila) {
                const int i = parte.first + fila - 1;
                return i < parte.second ? claveDe(lote.filas[size_t(i)].producto) + QLatin1Char(' ') +
                                              QLatin1String(lote.filas[size_t(i)].clave)
                                        : QString();
            });
    }

    // In the order of meta_id, the order the server walks them in (and numbers its warnings by).
    std::vector<const LotePlan::Cambio*> orden;
    for (const LotePlan::Cambio& c : lote.cambios) orden.push_back(&c);
    std::sort(orden.begin(), orden.end(), [](auto a, auto b) { return a->metaId < b->metaId; });
    if (!orden.empty()) {
        QStringList casos, metas;
        for (const LotePlan::Cambio* pc : orden) {
            casos << QStringLiteral("WHEN %1 THEN %2").arg(QString::number(pc->metaId), texto(pc->despues));
            metas << QString::number(pc->metaId);
        }
        std::vector<int> l = largos(casos);
        for (size_t i = 0; i < l.size(); ++i) l[i] += largoUtf8(metas[static_cast<qsizetype>(i)]) + 1;
        const QString cabecera = P(QStringLiteral("UPDATE wp_postmeta SET meta_value = CASE meta_id "));
        for (const auto& parte : PartesPorBytes(l, largoUtf8(cabecera) + 32, bytes_))
            ejecuta(cabecera + entre(casos, parte, QLatin1Char(' ')) + QStringLiteral(" END WHERE meta_id IN (") +
                        entre(metas, parte) + QLatin1Char(')'),
                    [&orden, claveDe, parte](int fila) {
                        const int i = parte.first + fila - 1;
                        return i < parte.second ? claveDe(orden[size_t(i)]->producto) + QLatin1Char(' ') +
                                                      QLatin1String(kClavesValor[size_t(orden[size_t(i)]->cual)])
                                                : QString();
                    });
    }

    // Every product sent is touched, changed or not: the shop sees when it was last brought in
    // step. WooCommerce's records follow the products that were created or changed.
    QStringList posts, cambiados;
    std::vector<bool> cambia(size_t(lote.cuenta()), false);
    for (const LotePlan::Fila& f : lote.filas) cambia[size_t(f.producto - lote.desde)] = true;
    for (const LotePlan::Cambio& c : lote.cambios) cambia[size_t(c.producto - lote.desde)] = true;
    std::vector<std::int64_t> padres;
    for (int i = lote.desde; i < lote.hasta; ++i) {
        if (lote.omitido(i)) continue;
        posts << postDe(i);
        if (cambia[size_t(i - lote.desde)]) cambiados << posts.back();
        const AjustesTienda& a = productos[size_t(i)].ajustes;
        if (a.variacion && a.padre != 0 && std::find(padres.begin(), padres.end(), a.padre) == padres.end())
            padres.push_back(a.padre);
    }
    if (!posts.isEmpty()) {
        const Reloj::Fecha ahora = Reloj::fecha(formatoFecha_);
        const QString cabecera = P(QStringLiteral("UPDATE wp_posts SET post_modified='")) + ahora.local +
                                 QStringLiteral("',post_modified_gmt='") + ahora.utc + QStringLiteral("' WHERE ID IN (");
        for (const auto& parte : PartesPorBytes(largos(posts), largoUtf8(cabecera) + 1, bytes_))
            encola(cabecera + entre(posts, parte) + QLatin1Char(')'));
    }
    // WooCommerce's records can go with the rest unless variable products must first be read.
    const bool wooAhora = woo_ && padres.empty() && !posts.isEmpty();
    if (wooAhora)
        for (const QString& sql : woo_->SentenciasLote(posts.join(QLatin1Char(',')), cambiados.join(QLatin1Char(','))))
            encola(sql);
    // What the shop's object-cache helper is to clean, committed with the rows themselves.
    // It says what changed in each, for the actions the helper fires from them.
    const auto anotaCache = [&](const std::vector<std::int64_t>& padresCambiados) {
        if (!cache_) return;
        std::vector<CacheTienda::CambioPost> cambios = CacheTienda::CambiosDe(
            lote, ids, productos, [this](std::int64_t padre) {
                return woo_ ? woo_->EstadoVariable(padre) : std::nullopt;
            });
        // A variable product brought in step is one of its variations' parents: already there.
        for (std::int64_t id : padresCambiados)
            if (std::none_of(cambios.begin(), cambios.end(), [id](const auto& c) { return c.id == id; }))
                cambios.push_back({id, CacheTienda::kVariable, {}, {}});
        for (const QString& sql : cache_->Sentencias(cambios, bytes_)) encola(sql);
    };
    if (enUnViaje) {
        for (size_t j = 0; j < partes.size(); ++j) {
            QStringList elt;
            for (int i = partes[j].first; i < partes[j].second; ++i) elt << QLatin1Char('\'') + cn_->Escapa(nombres[i]) + QLatin1Char('\'');
            const QString p = QStringLiteral("@moravi_p%1").arg(j);
            encola(P(QStringLiteral("SELECT %1, COUNT(*), IFNULL(SUM(post_name = ELT(ID - %1 + 1, %2)), 0) FROM wp_posts "
                                    "WHERE ID >= %1 AND ID < %1 + %3 AND post_type='product' AND post_author=%4"))
                       .arg(p, elt.join(QLatin1Char(',')), QString::number(partes[j].second - partes[j].first),
                            QString::number(kAutor)));
        }
        const bool confirmaYa = lote.nuevos.empty() && (!woo_ || wooAhora);
        if (confirmaYa) {
            anotaCache({});
            encola(QStringLiteral("COMMIT"));
        }
        std::vector<std::array<std::int64_t, 3>> comprobado;
        vaciaCola([&](int, const FilaLeida& f) {
            comprobado.push_back({f.value(0).toLongLong(), f.value(1).toLongLong(), f.value(2).toLongLong()});
        });
        if (confirmaYa) {
            unidad.Confirmada();
            return ids;
        }
        for (size_t j = 0; j < partes.size(); ++j) {
            const std::int64_t n = partes[j].second - partes[j].first;
            if (j >= comprobado.size() || comprobado[j][1] != n || comprobado[j][2] != n) return std::nullopt;
            for (int i = partes[j].first; i < partes[j].second; ++i)
                ids[size_t(i)] = comprobado[j][0] + (i - partes[j].first);
        }
        enCola_ = false;
        nombraPorId(lote, ids);
    }
    std::vector<std::int64_t> padresCambiados;
    if (woo_ && !wooAhora) {
        std::vector<std::int64_t> enviados;
        for (int i = lote.desde; i < lote.hasta; ++i) {
            if (lote.omitido(i)) continue;
            const auto it = nuevo.find(i);
            enviados.push_back(it != nuevo.end() ? ids[it->second] : productos[size_t(i)].postId);
        }
        padresCambiados = woo_->EscribeLote(*cn_, enviados, padres);
    }
    // The change rows and the commit travel together.
    enCola_ = true;
    anotaCache(padresCambiados);
    encola(QStringLiteral("COMMIT"));
    vaciaCola({});
    unidad.Confirmada();
    return ids;
}

std::vector<std::pair<int, int>> EscrituraLote::encolaPosts(const LotePlan& lote,
                                                            const std::function<QString(int producto)>& claveDe,
                                                            QStringList& nombres) {
    QStringList filas = filasDePosts(lote, nombres);
    const QString cabecera = cabeceraPosts();
    const auto partes = PartesPorBytes(largos(filas), largoUtf8(cabecera), bytes_);
    for (size_t j = 0; j < partes.size(); ++j) {
        const auto parte = partes[j];
        ejecuta(cabecera + entre(filas, parte), [&lote, claveDe, parte](int fila) {
            const int i = parte.first + fila - 1;
            return i < parte.second ? claveDe(lote.nuevos[size_t(i)].producto) : QString();
        });
        encola(QStringLiteral("SET @moravi_p%1 = LAST_INSERT_ID()").arg(j));
    }
    return partes;
}

QString EscrituraLote::cabeceraPosts() const {
    return P(QStringLiteral(
        "INSERT INTO wp_posts (post_author, post_status, comment_status, ping_status, post_title, post_date, "
        "post_date_gmt, post_type, post_content, post_excerpt, to_ping, pinged, post_content_filtered, post_name) VALUES "));
}

QStringList EscrituraLote::filasDePosts(const LotePlan& lote, QStringList& nombres) const {
    // A new post is found again by its name, which is unique among the products. A title that
    // leaves nothing to name it by gets a one-off name here and its ID-based name afterwards.
    const QString marca = QStringLiteral("moravi-%1-").arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
    QStringList filas;
    nombres.clear();
    for (size_t i = 0; i < lote.nuevos.size(); ++i) {
        const LotePlan::Nuevo& n = lote.nuevos[i];
        nombres << (n.nombre.isEmpty() ? marca + QString::number(i) : n.nombre);
        const Reloj::Fecha ahora = Reloj::fecha(formatoFecha_);
        filas << QStringLiteral("(%1,'publish','closed','closed',%2,'%3','%4','product','','','','','','%5')")
                     .arg(QString::number(kAutor), texto(n.titulo), ahora.local, ahora.utc, cn_->Escapa(nombres.last()));
    }
    return filas;
}

std::vector<std::int64_t> EscrituraLote::insertaPosts(const LotePlan& lote,
                                                      const std::function<QString(int producto)>& claveDe) {
    std::vector<std::int64_t> ids(lote.nuevos.size(), 0);
    if (lote.nuevos.empty()) return ids;
    QStringList nombres;
    const QStringList filas = filasDePosts(lote, nombres);
    const QString cabecera = cabeceraPosts();
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
