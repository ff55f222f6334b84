#include "sync/CacheTienda.h"

#include "servicelib/ErrorServicio.h"
#include "sync/EscrituraLote.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <algorithm>
#include <array>
#include <map>
#include <string_view>

namespace {

const char kTablaCambios[] = "moravi_cambios";
const char kOpcionLatido[] = "moravi_cache_latido";

// Plugins that put a persistent object cache in front of WordPress (or can), by the folder
// active_plugins names them with, and the name the user knows them by.
struct PluginCache {
    const char* carpeta;
    const char* nombre;
};
constexpr std::array<PluginCache, 12> kPluginsCache{{
    {"redis-cache", "Redis Object Cache"},
    {"object-cache-pro", "Object Cache Pro"},
    {"redis-cache-pro", "Object Cache Pro"},
    {"wp-redis", "WP Redis"},
    {"litespeed-cache", "LiteSpeed Cache"},
    {"w3-total-cache", "W3 Total Cache"},
    {"docket-cache", "Docket Cache"},
    {"memcached", "Memcached Object Cache"},
    {"memcached-redux", "Memcached Redux"},
    {"sqlite-object-cache", "SQLite Object Cache"},
    {"powered-cache", "Powered Cache"},
    {"atec-cache-apcu", "atec Cache APCu"},
}};

// Plugins that act on WooCommerce's product actions (a mail when a product is back in stock, a
// catalogue feed, a marketplace or mailing-list link), by folder, and the name the user knows.
constexpr std::array<PluginCache, 12> kPluginsOyentes{{
    {"back-in-stock-notifier-for-woocommerce", "Back In Stock Notifier"},
    {"woocommerce-back-in-stock-notifications", "Back In Stock Notifications"},
    {"woocommerce-waitlist", "WooCommerce Waitlist"},
    {"google-listings-and-ads", "Google for WooCommerce"},
    {"facebook-for-woocommerce", "Facebook for WooCommerce"},
    {"pinterest-for-woocommerce", "Pinterest for WooCommerce"},
    {"tiktok-for-business", "TikTok"},
    {"mailchimp-for-woocommerce", "Mailchimp for WooCommerce"},
    {"klaviyo", "Klaviyo"},
    {"woocommerce-zapier", "WooCommerce Zapier"},
    {"product-feed-pro", "Product Feed PRO"},
    {"woo-product-feed-pro", "Product Feed PRO"},
}};

QStringList nombresEn(const QString& activos, const auto& conocidos) {
    QStringList nombres;
    for (const PluginCache& p : conocidos) {
        // Serialised as s:27:"redis-cache/redis-cache.php"; the folder is what identifies it.
        const QString carpeta = QLatin1Char('"') + QLatin1String(p.carpeta) + QLatin1Char('/');
        if (activos.contains(carpeta) && !nombres.contains(QLatin1String(p.nombre))) nombres << QLatin1String(p.nombre);
    }
    return nombres;
}

// A stock status as the helper may read it back: WooCommerce's are slugs; anything else is left out.
std::string estadoSeguro(const std::string& s) {
    if (s.size() > 32) return {};
    for (char c : s)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-')) return {};
    return s;
}

const QString kDondeLeer = QStringLiteral("(los pasos están en el README, sección «Shops with a persistent object cache»)");

std::int64_t entero(const QVariant& v) { return v.isNull() ? 0 : v.toLongLong(); }

}  // namespace

CacheTienda::CacheTienda(QString prefijo) : prefijo_(std::move(prefijo)) {}

QString CacheTienda::tabla(const char* nombre) const { return prefijo_ + QLatin1String(nombre); }

QStringList CacheTienda::Detecta(Conexion& cn) {
    tabla_ = ganchos_ = false;
    primera_ = ultima_ = creadaPrimera_ = ahora_ = podarHasta_ = 0;
    const QString cambios = tabla(kTablaCambios), opciones = tabla("options"), webhooks = tabla("wc_webhooks");
    bool hayOpciones = false, hayWebhooks = false;
    cn.Recorre(QStringLiteral("SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() "
                              "AND TABLE_NAME IN ('%1','%2','%3')")
                   .arg(cn.Escapa(cambios), cn.Escapa(opciones), cn.Escapa(webhooks)),
               [&](const FilaLeida& f) {
                   const QString t = f.value(0).toString();
                   if (t.compare(cambios, Qt::CaseInsensitive) == 0) tabla_ = true;
                   if (t.compare(opciones, Qt::CaseInsensitive) == 0) hayOpciones = true;
                   if (t.compare(webhooks, Qt::CaseInsensitive) == 0) hayWebhooks = true;
               });
    if (!tabla_ && !hayOpciones) return {};

    // One read: the server's clock, the heartbeat and the active plugins, and the change rows' ends.
    const QString deOpcion = QStringLiteral("(SELECT option_value FROM `%1` WHERE option_name = '%2' LIMIT 1)");
    QStringList columnas{QStringLiteral("UNIX_TIMESTAMP()")};
    columnas << (hayOpciones ? deOpcion.arg(opciones, QLatin1String(kOpcionLatido)) : QStringLiteral("NULL"))
             << (hayOpciones ? deOpcion.arg(opciones, QStringLiteral("active_plugins")) : QStringLiteral("NULL"));
    if (tabla_)
        columnas << QStringLiteral("(SELECT MIN(id) FROM `%1`)").arg(cambios)
                 << QStringLiteral("(SELECT MAX(id) FROM `%1`)").arg(cambios)
                 << QStringLiteral("(SELECT UNIX_TIMESTAMP(creado) FROM `%1` ORDER BY id LIMIT 1)").arg(cambios)
                 << QStringLiteral("(SELECT COUNT(*) FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE() "
                                   "AND TABLE_NAME = '%1' AND COLUMN_NAME = 'cambio')")
                        .arg(cn.Escapa(cambios));
    else
        columnas << QStringLiteral("NULL") << QStringLiteral("NULL") << QStringLiteral("NULL") << QStringLiteral("0");
    columnas << (hayWebhooks ? QStringLiteral("(SELECT COUNT(*) FROM `%1` WHERE status = 'active')").arg(webhooks)
                             : QStringLiteral("0"));
    QString latido, activos;
    int activosWebhooks = 0;
    cn.Recorre(QStringLiteral("SELECT ") + columnas.join(QLatin1Char(',')), [&](const FilaLeida& f) {
        ahora_ = entero(f.value(0));
        latido = f.value(1).toString();
        activos = f.value(2).toString();
        primera_ = entero(f.value(3));
        ultima_ = entero(f.value(4));
        creadaPrimera_ = entero(f.value(5));
        ganchos_ = tabla_ && entero(f.value(6)) > 0;
        activosWebhooks = int(entero(f.value(7)));
    });

    Vista v;
    v.plugins = PluginsDeCache(activos);
    v.ganchos = ganchos_;
    v.webhooks = activosWebhooks;
    v.oyentes = PluginsOyentes(activos);
    v.ahora = ahora_;
    const QJsonObject l = QJsonDocument::fromJson(latido.toUtf8()).object();
    v.latido = !l.isEmpty();
    if (v.latido) {
        v.ultimoLatido = l.value(QStringLiteral("latido")).toInteger();
        podarHasta_ = l.value(QStringLiteral("podar_hasta")).toInteger();
        const std::int64_t limpio = l.value(QStringLiteral("limpio_hasta")).toInteger();
        // Only a heartbeat gone quiet makes it worth asking how long the changes have waited.
        if (tabla_ && ultima_ > limpio && ahora_ - v.ultimoLatido > kLatidoViejo)
            cn.Recorre(QStringLiteral("SELECT UNIX_TIMESTAMP(creado) FROM `%1` WHERE id > %2 ORDER BY id LIMIT 1")
                           .arg(cambios, QString::number(limpio)),
                       [&](const FilaLeida& f) { v.esperaDesde = entero(f.value(0)); });
    }
    QStringList avisos;
    for (const QString& a : {AvisoDe(v), AvisoGanchosDe(v)})
        if (!a.isEmpty()) avisos << a;
    return avisos;
}

QStringList CacheTienda::Poda(Conexion& cn) {
    if (!tabla_) return {};
    const QString cambios = tabla(kTablaCambios);
    // A chunk whose change rows the server refused would be undone, and every chunk after it.
    const auto sinPermiso = [&](const ErrorServicio& e, const char* que) {
        if (e.numero() != 1142 && e.numero() != 1143 && e.numero() != 1044) throw e;
        return QStringLiteral("el usuario de la tienda no tiene permiso para %1 en la tabla %2 del ayudante de caché "
                              "(%3); pida ese permiso para que la tienda muestre cada envío")
            .arg(QString::fromUtf8(que), cambios, e.descripcion());
    };
    try {
        cn.Execute(QStringLiteral("INSERT INTO `%1` (objeto, tipo) SELECT 0, 0 FROM DUAL WHERE 1 = 0").arg(cambios));
    } catch (const ErrorServicio& e) {
        tabla_ = false;
        return {sinPermiso(e, "añadir filas")};
    }
    if (primera_ == 0 || primera_ >= ultima_) return {};
    if (primera_ > podarHasta_ && ahora_ - creadaPrimera_ <= std::int64_t(kDiasDeFilas) * 86400) return {};
    try {
        cn.Execute(QStringLiteral("DELETE FROM `%1` WHERE id < %2 AND (id <= %3 OR creado < NOW() - INTERVAL %4 DAY)")
                       .arg(cambios, QString::number(ultima_), QString::number(podarHasta_), QString::number(kDiasDeFilas)));
    } catch (const ErrorServicio& e) {
        return {sinPermiso(e, "borrar las filas ya limpiadas")};
    }
    primera_ = ultima_;
    return {};
}

void CacheTienda::Anota(Conexion& cn, Tipo tipo, const std::vector<std::int64_t>& objetos, int bytes) {
    for (const QString& sql : Sentencias(tipo, objetos, bytes)) cn.Execute(sql);
}

QStringList CacheTienda::Sentencias(Tipo tipo, const std::vector<std::int64_t>& objetos, int bytes) const {
    QStringList sentencias;
    if (!tabla_) return sentencias;
    QSet<std::int64_t> vistos;
    QStringList filas;
    for (std::int64_t id : objetos) {
        if (id <= 0 || vistos.contains(id)) continue;
        vistos.insert(id);
        filas << QStringLiteral("(%1,%2)").arg(QString::number(id), QString::number(int(tipo)));
    }
    if (filas.isEmpty()) return sentencias;
    const QString cabecera = QStringLiteral("INSERT INTO `%1` (objeto, tipo) VALUES ").arg(tabla(kTablaCambios));
    std::vector<int> largos;
    for (const QString& f : filas) largos.push_back(int(f.size()) + 1);
    for (const auto& [desde, hasta] : PartesPorBytes(largos, int(cabecera.size()), bytes))
        sentencias << cabecera + filas.mid(desde, hasta - desde).join(QLatin1Char(','));
    return sentencias;
}

QStringList CacheTienda::PluginsDeCache(const QString& activos) { return nombresEn(activos, kPluginsCache); }

QStringList CacheTienda::PluginsOyentes(const QString& activos) { return nombresEn(activos, kPluginsOyentes); }

std::vector<CacheTienda::CambioPost> CacheTienda::CambiosDe(const LotePlan& lote, const std::vector<std::int64_t>& nuevos,
                                                            const std::vector<ProductoEnvio>& productos,
                                                            const EstadoVariable& estadoVariable) {
    std::vector<CambioPost> cambios;
    std::map<int, size_t> lugar;  // product index -> its place in `cambios`
    const auto de = [&](int producto) -> CambioPost& {
        auto [it, nuevo] = lugar.try_emplace(producto, cambios.size());
        if (nuevo) cambios.push_back({productos[size_t(producto)].postId, 0, {}, {}});
        return cambios[it->second];
    };
    for (size_t i = 0; i < lote.nuevos.size() && i < nuevos.size(); ++i) {
        CambioPost& c = de(lote.nuevos[i].producto);
        c.id = nuevos[i];
        c.cambio |= kCreado;
    }
    const auto anota = [&](int producto, Valor cual, const std::string& antes, const std::string& despues) {
        CambioPost& c = de(producto);
        switch (cual) {
        case Valor::PrecioRegular:
        case Valor::Precio:
        case Valor::PrecioOferta: c.cambio |= kPrecio; break;
        case Valor::Existencia: c.cambio |= kExistencias; break;
        case Valor::EstadoExistencia:
            c.cambio |= kEstado;
            c.antes = (c.cambio & kCreado) ? std::string() : estadoSeguro(antes);
            c.despues = estadoSeguro(despues);
            break;
        }
    };
    for (const LotePlan::Fila& f : lote.filas)
        for (size_t k = 0; k < kClavesValor.size(); ++k)
            if (std::string_view(f.clave) == kClavesValor[k]) anota(f.producto, Valor(k), {}, f.valor);
    for (const LotePlan::Cambio& c : lote.cambios) anota(c.producto, c.cual, c.antes, c.despues);

    // Each variable product once, after its variations, as WooCommerce syncs it after their save.
    std::vector<std::int64_t> padres;
    for (const auto& [producto, _] : lugar) {
        const AjustesTienda& a = productos[size_t(producto)].ajustes;
        if (a.variacion && a.padre != 0 && std::find(padres.begin(), padres.end(), a.padre) == padres.end())
            padres.push_back(a.padre);
    }
    for (std::int64_t padre : padres) {
        CambioPost c{padre, kVariable, {}, {}};
        if (estadoVariable)
            if (const auto estado = estadoVariable(padre)) {
                c.cambio |= kEstado;
                c.antes = estadoSeguro(estado->first);
                c.despues = estadoSeguro(estado->second);
            }
        cambios.push_back(c);
    }
    std::erase_if(cambios, [](const CambioPost& c) { return c.id <= 0; });
    return cambios;
}

QStringList CacheTienda::Sentencias(const std::vector<CambioPost>& cambios, int bytes) const {
    if (!ganchos_) {
        std::vector<std::int64_t> ids;
        for (const CambioPost& c : cambios) ids.push_back(c.id);
        return Sentencias(kPost, ids, bytes);
    }
    QStringList sentencias, filas;
    if (!tabla_) return sentencias;
    for (const CambioPost& c : cambios)
        filas << QStringLiteral("(%1,%2,%3,'%4','%5')")
                     .arg(QString::number(c.id), QString::number(int(kPost)), QString::number(c.cambio),
                          QString::fromStdString(c.antes), QString::fromStdString(c.despues));
    if (filas.isEmpty()) return sentencias;
    const QString cabecera =
        QStringLiteral("INSERT INTO `%1` (objeto, tipo, cambio, antes, despues) VALUES ").arg(tabla(kTablaCambios));
    std::vector<int> largos;
    for (const QString& f : filas) largos.push_back(int(f.size()) + 1);
    for (const auto& [desde, hasta] : PartesPorBytes(largos, int(cabecera.size()), bytes))
        sentencias << cabecera + filas.mid(desde, hasta - desde).join(QLatin1Char(','));
    return sentencias;
}

QString CacheTienda::AvisoGanchosDe(const Vista& v) {
    if (v.ganchos || (v.webhooks == 0 && v.oyentes.isEmpty())) return {};
    QStringList quienes;
    if (v.webhooks == 1) quienes << QStringLiteral("un webhook activo de WooCommerce");
    else if (v.webhooks > 1) quienes << QStringLiteral("%1 webhooks activos de WooCommerce").arg(v.webhooks);
    if (!v.oyentes.isEmpty())
        quienes << QStringLiteral("complementos que siguen los cambios de los productos (%1)").arg(v.oyentes.join(QStringLiteral(", ")));
    return QStringLiteral("la tienda tiene %1, que no se enterarán de este envío: sin el ayudante de Moravi (versión 1.1.0 "
                          "o posterior) nadie avisa a WooCommerce de los precios y existencias que cambia el programa "
                          "(avisos de vuelta a existencias, catálogos, webhooks). Para que se enteren, copie el archivo "
                          "wordpress/mu-plugins/moravi-cache.php que acompaña al programa en la carpeta "
                          "wp-content/mu-plugins de la tienda (los pasos están en el README, sección «Hooks and webhooks "
                          "after a send»)")
        .arg(quienes.join(QStringLiteral(" y ")));
}

QString CacheTienda::AvisoDe(const Vista& v) {
    if (!v.latido && !v.plugins.isEmpty())
        return QStringLiteral("la tienda parece usar una caché persistente de objetos (%1) y no tiene instalado el ayudante de "
                              "caché de Moravi: seguirá mostrando los precios y existencias anteriores hasta que se vacíe "
                              "esa caché. Para que muestre cada envío, copie el archivo wordpress/mu-plugins/moravi-cache.php "
                              "que acompaña al programa en la carpeta wp-content/mu-plugins de la tienda %2")
            .arg(v.plugins.join(QStringLiteral(", ")), kDondeLeer);
    if (v.latido && v.esperaDesde && v.ahora - v.ultimoLatido > kLatidoViejo && v.ahora - *v.esperaDesde > kEsperaLarga)
        return QStringLiteral("el ayudante de caché de la tienda (moravi-cache.php) no da señales desde hace %1 horas y "
                              "hay cambios de hace más de una hora sin limpiar de su caché: la tienda puede estar "
                              "mostrando precios y existencias anteriores. Compruebe que el archivo siga en "
                              "wp-content/mu-plugins y que la caché de la tienda funcione %2")
            .arg(QString::number((v.ahora - v.ultimoLatido) / 3600), kDondeLeer);
    return {};
}
