#include "sync/LecturaTienda.h"

#include "sync/SlugWordPress.h"
#include "sync/TablasTienda.h"

#include <QRegularExpression>
#include <array>
#include <QStringList>
#include <string_view>
#include <unordered_map>

namespace LecturaTienda {
namespace {
// Beyond this many linked products, reading the values by key (one pass over the key's
// index) costs less than asking for them post by post.
constexpr size_t kPorPost = 5000;
constexpr size_t kPostsPorConsulta = 2000;
constexpr int kLatido = 5000;

// The owner's settings in WooCommerce that decide what its save makes of the send's values.
constexpr std::array<const char*, 4> kClavesAjuste{"_manage_stock", "_backorders", "_sale_price_dates_from",
                                                   "_sale_price_dates_to"};

template <size_t N>
size_t indice(const std::array<const char*, N>& claves, const QString& clave) {
    size_t k = 0;
    while (k < N && clave != QLatin1String(claves[k])) ++k;
    return k;
}

void AnotaAjuste(AjustesTienda& a, size_t cual, const QString& valor) {
    switch (cual) {
    case 0:
        // WooCommerce's wc_string_to_bool; a product without the row keeps the send's stock.
        a.gestion = valor.isEmpty() ? AjustesTienda::Gestion::SinDato
                    : (valor == QLatin1String("yes") || valor == QLatin1String("true") || valor == QLatin1String("1"))
                        ? AjustesTienda::Gestion::Si
                        : AjustesTienda::Gestion::No;
        break;
    case 1: a.pendientes = valor == QLatin1String("yes") || valor == QLatin1String("notify"); break;
    case 2: a.ofertaDesde = valor.toLongLong(); break;
    case 3: a.ofertaHasta = valor.toLongLong(); break;
    default: break;
    }
}

QString listaClaves() {
    QStringList c;
    for (const char* k : kClavesValor) c << QStringLiteral("'%1'").arg(QLatin1String(k));
    for (const char* k : kClavesAjuste) c << QStringLiteral("'%1'").arg(QLatin1String(k));
    return c.join(QLatin1Char(','));
}

// A base slug shortened to make room for a suffix keeps at least this much of its start.
constexpr qsizetype kCorte = 180;
}

void Enlaza(Conexion& cn, const QString& prefijo, std::vector<ProductoEnvio>& productos, int desde, const Latido& latido) {
    std::unordered_multimap<std::string_view, size_t> porClave;
    porClave.reserve(productos.size() - static_cast<size_t>(desde));
    std::vector<bool> enPapelera(productos.size() - static_cast<size_t>(desde), false);
    for (size_t i = static_cast<size_t>(desde); i < productos.size(); ++i) {
        productos[i].postId = 0;
        productos[i].tienda = {};
        productos[i].ajustes = {};
        porClave.emplace(productos[i].clave, i);
    }
    int n = 0;
    // Only a post that exists and is a product or a variation carries the key (a bulk delete by
    // SQL leaves the meta rows of deleted posts behind); like WooCommerce's own SKU lookup, a
    // live post wins over one in the trash, which is still updated when it is all there is.
    cn.Recorre(TablasTienda::ConPrefijo(QStringLiteral("SELECT m.post_id, m.meta_value, p.post_type, p.post_status, p.post_parent "
                                                       "FROM wp_postmeta m JOIN wp_posts p ON p.ID = m.post_id "
                                                       "WHERE m.meta_key='_sku' AND p.post_type IN ('product','product_variation')"),
                                        prefijo),
               [&](const FilaLeida& f) {
                   if (latido && ++n % kLatido == 0) latido();
                   if (f.at(1).isNull()) return;
                   const std::int64_t post = f.at(0).toLongLong();
                   const bool papelera = f.at(3).toString() == QLatin1String("trash");
                   const QByteArray clave = f.at(1).toString().toUtf8();
                   const auto [a, b] = porClave.equal_range(std::string_view(clave.constData(), size_t(clave.size())));
                   for (auto it = a; it != b; ++it) {
                       ProductoEnvio& p = productos[it->second];
                       auto&& suyaEnPapelera = enPapelera[it->second - static_cast<size_t>(desde)];
                       const bool mejor = p.postId == 0 || (suyaEnPapelera && !papelera) ||
                                          (suyaEnPapelera == papelera && post < p.postId);
                       if (!mejor) continue;
                       p.postId = post;
                       suyaEnPapelera = papelera;
                       p.ajustes.variacion = f.at(2).toString() == QLatin1String("product_variation");
                       p.ajustes.padre = p.ajustes.variacion ? f.at(4).toLongLong() : 0;
                   }
               });
}

void LeeValores(Conexion& cn, const QString& prefijo, std::vector<ProductoEnvio>& productos, int desde,
                const Latido& latido) {
    std::unordered_multimap<std::int64_t, size_t> porPost;
    std::vector<std::int64_t> posts;
    for (size_t i = static_cast<size_t>(desde); i < productos.size(); ++i) {
        productos[i].tienda = {};
        if (productos[i].postId == 0) continue;
        if (porPost.find(productos[i].postId) == porPost.end()) posts.push_back(productos[i].postId);
        porPost.emplace(productos[i].postId, i);
    }
    if (posts.empty()) return;
    // The meta_id of the owner's setting read so far, per product: the first row wins.
    std::vector<std::array<std::int64_t, kClavesAjuste.size()>> primeroAjuste(productos.size() - size_t(desde));

    int n = 0;
    const auto fila = [&](const FilaLeida& f) {
        if (latido && ++n % kLatido == 0) latido();
        const std::int64_t metaId = f.at(0).toLongLong();
        const QString clave = f.at(2).toString();
        const auto [a, b] = porPost.equal_range(f.at(1).toLongLong());
        const auto k = indice(kClavesValor, clave);
        if (k < kClavesValor.size()) {
            for (auto it = a; it != b; ++it) {
                ValorTienda& t = productos[it->second].tienda[k];
                if (t.metaId == 0 || metaId < t.metaId) t = {metaId, f.at(3).toString().toStdString()};
            }
            return;
        }
        const auto j = indice(kClavesAjuste, clave);
        if (j == kClavesAjuste.size()) return;
        const QString valor = f.at(3).toString().trimmed();
        for (auto it = a; it != b; ++it) {
            std::int64_t& primero = primeroAjuste[it->second - size_t(desde)][j];
            if (primero != 0 && primero < metaId) continue;
            primero = metaId;
            AnotaAjuste(productos[it->second].ajustes, j, valor);
        }
    };
    const QString campos =
        TablasTienda::ConPrefijo(QStringLiteral("SELECT meta_id, post_id, meta_key, meta_value FROM wp_postmeta WHERE meta_key IN ("),
                                 prefijo) +
        listaClaves() + QLatin1Char(')');
    if (posts.size() > kPorPost) {
        cn.Recorre(campos, fila);
        return;
    }
    for (size_t d = 0; d < posts.size(); d += kPostsPorConsulta) {
        QStringList ids;
        for (size_t i = d; i < std::min(posts.size(), d + kPostsPorConsulta); ++i) ids << QString::number(posts[i]);
        cn.Recorre(campos + QStringLiteral(" AND post_id IN (") + ids.join(QLatin1Char(',')) + QLatin1Char(')'), fila);
    }
}

QSet<QString> Relevantes(const QSet<QString>& bases, const QStringList& nombres) {
    static const QRegularExpression conNumero(QStringLiteral("^(.*)-[0-9]+$"));
    QStringList largas;
    for (const QString& b : bases)
        if (b.size() > kCorte) largas << b;
    QSet<QString> r;
    for (const QString& nombre : nombres) {
        const QRegularExpressionMatch m = conNumero.match(nombre);
        const QString raiz = m.hasMatch() ? m.captured(1) : QString();
        bool toca = bases.contains(nombre) || (m.hasMatch() && bases.contains(raiz));
        if (!toca && m.hasMatch() && raiz.size() >= kCorte - 20)
            for (const QString& l : largas)
                if (l.startsWith(raiz)) {
                    toca = true;
                    break;
                }
        if (toca) r.insert(nombre);
    }
    return r;
}

QSet<QString> NombresOcupados(Conexion& cn, const QString& prefijo, const std::vector<ProductoEnvio>& productos,
                              int desde, const Latido& latido) {
    QSet<QString> bases;
    for (size_t i = static_cast<size_t>(desde); i < productos.size(); ++i)
        if (productos[i].postId == 0) {
            const QString b = SlugWordPress::sanitiza(QString::fromStdString(TituloDe(productos[i])));
            if (!b.isEmpty()) bases.insert(b);
        }
    if (bases.isEmpty()) return {};
    QSet<QString> ocupados;
    QStringList tanda;
    const auto vacia = [&] {
        ocupados.unite(Relevantes(bases, tanda));
        tanda.clear();
    };
    cn.Recorre(TablasTienda::ConPrefijo(QStringLiteral("SELECT post_name FROM wp_posts WHERE post_type='product'"), prefijo),
               [&](const FilaLeida& f) {
        tanda << f.at(0).toString().toLower();
        if (tanda.size() >= kLatido) {
            vacia();
            if (latido) latido();
        }
    });
    vacia();
    return ocupados;
}
}
