#include "sync/TablasTienda.h"

#include "servicelib/ErrorServicio.h"

#include <QRegularExpression>
#include <QSet>

namespace TablasTienda {
namespace {
QString L(const char* t) { return QString::fromLatin1(t); }

// The tables a send writes, by their names under "wp_".
const char* const kTablas[] = {"posts", "postmeta", "options", "terms", "term_taxonomy", "term_relationships",
                               "wc_product_meta_lookup"};

// Prefixes of the tables named "<prefix>postmeta" that have a "<prefix>posts" beside them.
QStringList prefijosConWordPress(const QSet<QString>& tablas) {
    QStringList prefijos;
    for (const QString& t : tablas)
        if (t.endsWith(L("postmeta"))) {
            const QString p = t.chopped(8);
            if (tablas.contains(p + L("posts"))) prefijos << p;
        }
    prefijos.sort();
    return prefijos;
}
}

bool PrefijoValido(const QString& prefijo) {
    static const QRegularExpression valido(QStringLiteral("^[A-Za-z0-9_]+$"));
    return valido.match(prefijo).hasMatch();
}

QString ConPrefijo(const QString& sql, const QString& prefijo) {
    if (prefijo == L("wp_")) return sql;
    static const QRegularExpression tabla(QStringLiteral("\\bwp_"));
    QString s = sql;
    return s.replace(tabla, prefijo);
}

QStringList Comprueba(Conexion& cn, const QString& prefijo, bool escribe, int* paquete) {
    if (!PrefijoValido(prefijo))
        throw ErrorServicio(2000, QStringLiteral("El prefijo de las tablas de la tienda «%1» no es válido: solo "
                                                 "puede llevar letras, cifras y «_» (el habitual es wp_)")
                                      .arg(prefijo));
    // The WordPress tables, the engines of the send's own and the server's packet bound, in one
    // round trip.
    QStringList nombres;
    for (const char* t : kTablas) nombres << QLatin1Char('\'') + prefijo + L(t) + QLatin1Char('\'');
    QSet<QString> tablas;
    QStringList sinTransacciones;
    cn.Varias({L("SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() AND "
                 "(TABLE_NAME LIKE '%postmeta' OR TABLE_NAME LIKE '%posts')"),
               QStringLiteral("SELECT t.TABLE_NAME, t.ENGINE FROM information_schema.TABLES t LEFT JOIN "
                              "information_schema.ENGINES e ON e.ENGINE = t.ENGINE WHERE t.TABLE_SCHEMA = DATABASE() "
                              "AND t.TABLE_NAME IN (%1) AND IFNULL(e.TRANSACTIONS, 'NO') <> 'YES' ORDER BY 1")
                   .arg(nombres.join(QLatin1Char(','))),
               L("SELECT @@max_allowed_packet")},
              [&](int i, const FilaLeida& f) {
                  if (i == 0) tablas.insert(f.value(0).toString());
                  else if (i == 1) sinTransacciones << QStringLiteral("%1 (%2)").arg(f.value(0).toString(), f.value(1).toString());
                  else if (paquete) *paquete = f.value(0).toInt();
              });
    const QStringList prefijos = prefijosConWordPress(tablas);
    if (!prefijos.contains(prefijo)) {
        const QString hay = prefijos.isEmpty()
                                ? QStringLiteral("la base de datos %1 no tiene tablas de WordPress con ningún prefijo; "
                                                 "compruebe el nombre de la base de datos WEB")
                                      .arg(cn.Base())
                                : QStringLiteral("la base de datos %1 sí tiene tablas de WordPress con el prefijo %2: "
                                                 "ponga el de la tienda en «Prefijo de tablas WEB» de la configuración")
                                      .arg(cn.Base(), prefijos.join(QStringLiteral(", ")));
        throw ErrorServicio(1146, QStringLiteral("La tienda no tiene las tablas %1posts y %1postmeta; %2").arg(prefijo, hay));
    }
    if (escribe && !sinTransacciones.isEmpty())
        throw ErrorServicio(
            2000, QStringLiteral("No se envió nada: las tablas %1 de la tienda no admiten transacciones, así que un "
                                 "envío cortado a medias dejaría productos sin clave ni valores. Conviértalas a InnoDB "
                                 "(con una copia de seguridad hecha: ALTER TABLE %2posts ENGINE=InnoDB; y lo mismo para "
                                 "cada tabla nombrada) o pídalo a su hosting")
                      .arg(sinTransacciones.join(QStringLiteral(", ")), prefijo));
    QStringList avisos;
    if (prefijos.size() > 1)
        avisos << QStringLiteral("la base de datos de la tienda tiene tablas de WordPress con varios prefijos (%1); se "
                                 "envía a %2: compruebe que es el de la tienda en uso")
                      .arg(prefijos.join(QStringLiteral(", ")), prefijo);
    return avisos;
}

int LimitePaquete(Conexion& cn) {
    int limite = 0;
    cn.Recorre(L("SELECT @@max_allowed_packet"), [&](const FilaLeida& f) { limite = f.value(0).toInt(); });
    return limite;
}

}
