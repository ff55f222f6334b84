#include "platform/BasesDDMySQL.h"

#include "platform/ConexionMySQL.h"
#include "platform/RecordsetMySQL.h"
#include "servicelib/ErrorServicio.h"

#include <QRegularExpression>

namespace {
std::shared_ptr<ConexionMySQL> mysql(const ConexionPtr& cn) {
    auto c = std::dynamic_pointer_cast<ConexionMySQL>(cn);
    if (!c) throw ErrorServicio(3704, QStringLiteral("La conexión no está abierta"));
    return c;
}

// The table a new row goes to: the first word of the source text.
QString tablaDe(const QString& fuente) {
    const QString t = fuente.trimmed();
    const qsizetype fin = t.indexOf(QRegularExpression(QStringLiteral("\\s")));
    return fin < 0 ? t : t.left(fin);
}
}

bool BasesDDMySQL::AbrirBdD(ConexionPtr& cn, const QString& base) {
    const Cifrado cifrado = cCifrado == 0 ? Cifrado::Ninguno : cCifrado == 2 ? Cifrado::Verificado : Cifrado::SiSeOfrece;
    const AjustesConexion ajustes{cRuta, cPuerto, cUsuario, cPassword, base, cifrado, cCertificadoCA};
    cUltimoError.clear();
    if (auto actual = std::dynamic_pointer_cast<ConexionMySQL>(cn); actual && actual->ajustes() == ajustes && actual->Viva())
        return true;
    try {
        cn = std::make_shared<ConexionMySQL>(ajustes);
        return true;
    } catch (const ErrorServicio& e) {
        cUltimoError = e.descripcion();
        cn.reset();
        return false;
    }
}

bool BasesDDMySQL::AbrirTabla(RecordsetPtr& rs, ConexionPtr& cn, const QString& fuente, const QString& campos) {
    auto c = mysql(cn);
    TablaLeida datos = c->Consulta(QStringLiteral("SELECT ") + campos + QStringLiteral(" FROM ") + fuente);
    const bool hayFilas = !datos.filas.empty();
    rs = std::make_shared<RecordsetMySQL>(c, tablaDe(fuente), std::move(datos));
    return hayFilas;
}

void BasesDDMySQL::CierraTabla(RecordsetPtr& rs) { rs.reset(); }

void BasesDDMySQL::CierraBdD(ConexionPtr& cn) {
    // Closed now, as the caller asks, even when a recordset still holds on to it.
    if (auto c = std::dynamic_pointer_cast<ConexionMySQL>(cn)) c->Cierra();
    cn.reset();
}

QString BasesDDMySQL::LeeDato(const QString& clave, ConexionPtr& cn, const QString& tabla) {
    auto c = mysql(cn);
    const TablaLeida datos = c->Consulta(QStringLiteral("SELECT Valor FROM %1 WHERE Dato='%2' LIMIT 1")
                                             .arg(tabla, c->Escapa(clave)));
    if (datos.filas.empty()) return QString();
    return datos.filas.front().front().toString();
}

std::int64_t BasesDDMySQL::LastId(ConexionPtr& cn, const QString&, const QString&) { return mysql(cn)->UltimoId(); }
