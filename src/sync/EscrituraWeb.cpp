#include "sync/EscrituraWeb.h"

#include "servicelib/ErrorServicio.h"
#include "sync/Reloj.h"
#include "sync/SlugWordPress.h"
#include "sync/TextoDecimal.h"

#include <QSet>
#include <array>

namespace {
const int kHorasGmt = 6;  // fixed difference written into every *_gmt column

struct ValorInicial {
    const char* clave;
    const char* valor;
};
// The shop's bookkeeping values of a new product, in the order they are written.
const std::array<ValorInicial, 25> kValoresIniciales{{
    {"_wc_review_count", "0"},        {"_wc_rating_count", "a:0:{}"},
    {"_wc_average_rating", "0"},      {"_edit_last", "337"},
    {"_mp_recurring_frequency", "1"}, {"_mp_recurring_frequency_type", "days"},
    {"_manage_stock", "yes"},         {"_backorders", "no"},
    {"_low_stock_amount", "0"},       {"_sold_individually", "no"},
    {"_upsell_ids", "a:0:{}"},        {"_crosssell_ids", "a:0:{}"},
    {"_default_attributes", "a:0:{}"}, {"_virtual", "no"},
    {"_downloadable", "no"},          {"_download_limit", "-1"},
    {"_download_expiry", "-1"},       {"_product_version", "3.5.5"},
    {"slide_template", "Default"},    {"_post_facebook_shares", "0"},
    {"_post_twitter_shares", "0"},    {"_post_google_shares", "0"},
    {"_post_pinterest_shares", "0"},  {"_post_vk_shares", "0"},
    {"_post_mail_shares", "0"},
}};

QString L(const char* texto) { return QString::fromLatin1(texto); }

ConexionPtr& abierta(ConexionPtr& cn) {
    if (!cn) throw ErrorServicio(91, QStringLiteral("La conexión con la tienda no está abierta"));
    return cn;
}
}

EscrituraWeb::EscrituraWeb(kesa5::BasesDD& web, ConexionPtr& cn, RecordsetPtr& rsSku, RecordsetPtr& rsPost,
                           const QString& formatoFecha)
    : web_(web), cn_(cn), rsSku_(rsSku), rsPost_(rsPost), formatoFecha_(formatoFecha) {}

QString EscrituraWeb::ahora(int horasMas) const { return Reloj::texto(formatoFecha_, horasMas); }

std::optional<std::int64_t> EscrituraWeb::BuscarProducto(const QString& clave) {
    const QString fuente = QStringLiteral("wp_postmeta WHERE meta_key='_sku' AND meta_value='%1' LIMIT 1")
                               .arg(abierta(cn_)->Escapa(clave));
    if (!web_.AbrirTabla(rsSku_, cn_, fuente)) return std::nullopt;
    return rsSku_->Campo(QStringLiteral("post_id")).toLongLong();
}

QString EscrituraWeb::slugUnico(const QString& base) {
    // One query brings every product name a suffix could collide with. "_" is a LIKE
    // wildcard, so it is escaped with "=" (a character no slug holds). A long name loses
    // its end to make room for the suffix, so only its start is matched then.
    QString patron = base.left(180);
    patron.replace(QLatin1Char('_'), QStringLiteral("=_"));
    patron += base.size() > 180 ? QStringLiteral("%") : QStringLiteral("-%");
    const QString fuente =
        QStringLiteral("wp_posts WHERE post_type='product' AND (post_name='%1' OR post_name LIKE '%2' ESCAPE '=')")
            .arg(cn_->Escapa(base), cn_->Escapa(patron));
    RecordsetPtr rs;
    web_.AbrirTabla(rs, cn_, fuente, QStringLiteral("post_name"));
    QSet<QString> ocupados;
    for (; !rs->EOF_(); rs->MoveNext()) ocupados.insert(rs->Texto(QStringLiteral("post_name")).toLower());
    web_.CierraTabla(rs);
    return SlugWordPress::unico(base, ocupados);
}

std::int64_t EscrituraWeb::CrearProducto(const QString& clave, const QString& titulo) {
    web_.AbrirTabla(rsPost_, abierta(cn_), QStringLiteral("wp_posts LIMIT 0"));
    const QString slug = SlugWordPress::sanitiza(titulo);
    rsPost_->AddNew();
    rsPost_->Asigna(QStringLiteral("post_author"), 333);
    rsPost_->Asigna(QStringLiteral("post_status"), QStringLiteral("publish"));
    rsPost_->Asigna(QStringLiteral("comment_status"), QStringLiteral("closed"));
    rsPost_->Asigna(QStringLiteral("ping_status"), QStringLiteral("closed"));
    rsPost_->Asigna(QStringLiteral("post_title"), titulo);
    rsPost_->Asigna(QStringLiteral("post_date"), ahora());
    rsPost_->Asigna(QStringLiteral("post_date_gmt"), ahora(kHorasGmt));
    rsPost_->Asigna(QStringLiteral("post_type"), QStringLiteral("product"));
    for (const char* vacia : {"post_content", "post_excerpt", "to_ping", "pinged", "post_content_filtered"})
        rsPost_->Asigna(L(vacia), QString());
    if (!slug.isEmpty()) rsPost_->Asigna(QStringLiteral("post_name"), slugUnico(slug));
    rsPost_->Update();
    const std::int64_t postId = web_.LastId(cn_, QStringLiteral("wp_posts"), QStringLiteral("ID"));
    if (slug.isEmpty()) {
        // Like WordPress, a title that leaves nothing to name the post by is named by its ID.
        cn_->Execute(QStringLiteral("UPDATE wp_posts SET post_name='%1' WHERE ID=%2")
                         .arg(cn_->Escapa(slugUnico(QString::number(postId))), QString::number(postId)));
    }

    if (!rsSku_) throw ErrorServicio(91, QStringLiteral("Falta el recordset de la búsqueda por SKU"));
    rsSku_->AddNew();
    rsSku_->Asigna(QStringLiteral("post_id"), qlonglong(postId));
    rsSku_->Asigna(QStringLiteral("meta_key"), QStringLiteral("_sku"));
    rsSku_->Asigna(QStringLiteral("meta_value"), clave);
    rsSku_->Update();

    for (const ValorInicial& v : kValoresIniciales) ActualizarMeta(web_, cn_, postId, L(v.clave), L(v.valor));
    return postId;
}

void EscrituraWeb::TocarPost(std::int64_t postId) {
    const QString local = ahora();
    const QString gmt = ahora(kHorasGmt);
    abierta(cn_)->Execute(QStringLiteral("UPDATE wp_posts SET post_modified='") + local +
                          QStringLiteral("',post_modified_gmt='") + gmt + QStringLiteral("' WHERE ID=") +
                          QString::number(postId));
}

void EscrituraWeb::ValoresProducto(std::int64_t postId, const std::optional<QString>& precio,
                                   const std::optional<QString>& existencia) {
    const QString stock = existencia.value_or(QStringLiteral("0"));
    if (precio) ActualizarMeta(web_, cn_, postId, QStringLiteral("_regular_price"), *precio);
    ActualizarMeta(web_, cn_, postId, QStringLiteral("_stock"), stock);
    ActualizarMeta(web_, cn_, postId, QStringLiteral("_stock_status"),
                   MayorQueCero(stock) ? QStringLiteral("instock") : QStringLiteral("outofstock"));
    if (precio) ActualizarMeta(web_, cn_, postId, QStringLiteral("_price"), *precio);
}

void EscrituraWeb::ActualizarMeta(kesa5::BasesDD& web, ConexionPtr& cn, std::int64_t postId, const QString& clave,
                                  const QString& valor) {
    // One-pass arg(): a "%2" inside the escaped text must stay text.
    const QString fuente = QStringLiteral("wp_postmeta WHERE meta_key='%1' AND post_id=%2 LIMIT 1")
                               .arg(abierta(cn)->Escapa(clave), QString::number(postId));
    RecordsetPtr rs;
    std::int64_t metaId = 0;
    for (int intento = 0; intento < 2; ++intento) {
        if (web.AbrirTabla(rs, cn, fuente)) {
            metaId = rs->Campo(QStringLiteral("meta_id")).toLongLong();
            break;
        }
        rs->AddNew();
        rs->Asigna(QStringLiteral("post_id"), qlonglong(postId));
        rs->Asigna(QStringLiteral("meta_key"), clave);
        rs->Update();
    }
    cn->Execute(QStringLiteral("UPDATE wp_postmeta SET meta_value='%1' WHERE meta_id=%2")
                    .arg(cn->Escapa(valor), QString::number(metaId)));
    web.CierraTabla(rs);
}
