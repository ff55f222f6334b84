#include "sync/CacheTienda.h"

#include "servicelib/ErrorServicio.h"
#include "sync/EscrituraLote.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <array>

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

const QString kDondeLeer = QStringLiteral("(los pasos están en el README, sección «Shops with a persistent object cache»)");

std::int64_t entero(const QVariant& v) { return v.isNull() ? 0 : v.toLongLong(); }

}  // namespace

CacheTienda::CacheTienda(QString prefijo) : prefijo_(std::move(prefijo)) {}

QString CacheTienda::tabla(const char* nombre) const { return prefijo_ + QLatin1String(nombre); }

QString CacheTienda::Detecta(Conexion& cn) {
    tabla_ = false;
    primera_ = ultima_ = creadaPrimera_ = ahora_ = podarHasta_ = 0;
    const QString cambios = tabla(kTablaCambios), opciones = tabla("options");
    bool hayOpciones = false;
    cn.Recorre(QStringLiteral("SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() "
                              "AND TABLE_NAME IN ('%1','%2')")
                   .arg(cn.Escapa(cambios), cn.Escapa(opciones)),
               [&](const FilaLeida& f) {
                   const QString t = f.value(0).toString();
                   if (t.compare(cambios, Qt::CaseInsensitive) == 0) tabla_ = true;
                   if (t.compare(opciones, Qt::CaseInsensitive) == 0) hayOpciones = true;
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
                 << QStringLiteral("(SELECT UNIX_TIMESTAMP(creado) FROM `%1` ORDER BY id LIMIT 1)").arg(cambios);
    QString latido, activos;
    cn.Recorre(QStringLiteral("SELECT ") + columnas.join(QLatin1Char(',')), [&](const FilaLeida& f) {
        ahora_ = entero(f.value(0));
        latido = f.value(1).toString();
        activos = f.value(2).toString();
        primera_ = entero(f.value(3));
        ultima_ = entero(f.value(4));
        creadaPrimera_ = entero(f.value(5));
    });

    Vista v;
    v.plugins = PluginsDeCache(activos);
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
    return AvisoDe(v);
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

std::vector<std::int64_t> CacheTienda::PostsCambiados(const LotePlan& lote, const std::vector<std::int64_t>& nuevos,
                                                      const std::vector<ProductoEnvio>& productos) {
    std::vector<std::int64_t> posts(nuevos.begin(), nuevos.end());
    // A new product's rows carry postId 0 here: it is among `nuevos`. A changed variation's
    // variable product is cleaned with it, as WooCommerce's save of a variation does.
    const auto cambia = [&](int producto) {
        const ProductoEnvio& p = productos[size_t(producto)];
        posts.push_back(p.postId);
        if (p.ajustes.variacion) posts.push_back(p.ajustes.padre);
    };
    for (const LotePlan::Fila& f : lote.filas) cambia(f.producto);
    for (const LotePlan::Cambio& c : lote.cambios) cambia(c.producto);
    return posts;
}

QStringList CacheTienda::PluginsDeCache(const QString& activos) {
    QStringList nombres;
    for (const PluginCache& p : kPluginsCache) {
        // Serialised as s:27:"redis-cache/redis-cache.php"; the folder is what identifies it.
        const QString carpeta = QLatin1Char('"') + QLatin1String(p.carpeta) + QLatin1Char('/');
        if (activos.contains(carpeta) && !nombres.contains(QLatin1String(p.nombre))) nombres << QLatin1String(p.nombre);
    }
    return nombres;
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
