#include "sync/EscrituraWeb.h"

#include "servicelib/ErrorServicio.h"

namespace EscrituraWeb {
namespace {
ConexionPtr& abierta(ConexionPtr& cn) {
    if (!cn) throw ErrorServicio(91, QStringLiteral("La conexión con la tienda no está abierta"));
    return cn;
}
}

void ActualizarMeta(kesa5::BasesDD& web, ConexionPtr& cn, std::int64_t postId, const QString& clave,
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
}
