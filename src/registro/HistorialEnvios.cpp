#include "registro/HistorialEnvios.h"

#include "servicelib/Categorias.h"
#include "servicelib/EscrituraSegura.h"
#include "sync/clsProcedimenti.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <optional>

namespace {
const QString kFormatoFecha = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

QString CodigoDe(ResultadoEnvio::Fin fin) {
    switch (fin) {
    case ResultadoEnvio::Fin::Completo: return QStringLiteral("completo");
    case ResultadoEnvio::Fin::Interrumpido: return QStringLiteral("interrumpido");
    case ResultadoEnvio::Fin::OtroEnvio: return QStringLiteral("otro-envio");
    case ResultadoEnvio::Fin::SinBaseDeDatos: return QStringLiteral("sin-base");
    case ResultadoEnvio::Fin::ConexionPerdida: return QStringLiteral("conexion-perdida");
    case ResultadoEnvio::Fin::SinSeleccion:  // nothing sent, with its reason: a failure to the user
    case ResultadoEnvio::Fin::Fallo: break;
    }
    return QStringLiteral("fallo");
}

bool CodigoValido(const QString& c) {
    static const QStringList validos{QStringLiteral("completo"),         QStringLiteral("interrumpido"),
                                     QStringLiteral("otro-envio"),       QStringLiteral("sin-base"),
                                     QStringLiteral("conexion-perdida"), QStringLiteral("fallo")};
    return validos.contains(c);
}

QJsonObject AJson(const EnvioRegistrado& e) {
    return QJsonObject{{QStringLiteral("fin"), e.fin.toString(kFormatoFecha)},
                       {QStringLiteral("duracion_ms"), e.duracionMs},
                       {QStringLiteral("enviados"), e.enviados},
                       {QStringLiteral("total"), e.total},
                       {QStringLiteral("nuevos"), e.nuevos},
                       {QStringLiteral("cambiados"), e.cambiados},
                       {QStringLiteral("resultado"), e.resultado},
                       {QStringLiteral("mensaje"), e.mensaje},
                       {QStringLiteral("avisos"), e.avisos},
                       {QStringLiteral("cuenta_avisos"), e.cuentaAvisos}};
}

// False when the object is not one of our records.
bool DeJson(const QJsonValue& v, EnvioRegistrado& e) {
    if (!v.isObject()) return false;
    const QJsonObject o = v.toObject();
    e.fin = QDateTime::fromString(o.value(QStringLiteral("fin")).toString(), kFormatoFecha);
    e.duracionMs = o.value(QStringLiteral("duracion_ms")).toInteger(-1);
    e.enviados = o.value(QStringLiteral("enviados")).toInt(-1);
    e.total = o.value(QStringLiteral("total")).toInt(-1);
    e.nuevos = o.value(QStringLiteral("nuevos")).toInt(-1);
    e.cambiados = o.value(QStringLiteral("cambiados")).toInt(-1);
    e.resultado = o.value(QStringLiteral("resultado")).toString();
    e.mensaje = o.value(QStringLiteral("mensaje")).toString().left(HistorialEnvios::kMaximoMensaje);
    // Files written before sends kept their warnings have neither key: no warnings.
    e.avisos = o.value(QStringLiteral("avisos")).toString().left(HistorialEnvios::kMaximoMensaje);
    e.cuentaAvisos = o.value(QStringLiteral("cuenta_avisos")).toInt(0);
    return e.fin.isValid() && e.duracionMs >= 0 && e.enviados >= 0 && e.total >= 0 && e.nuevos >= 0 &&
           e.cambiados >= 0 && e.cuentaAvisos >= 0 && CodigoValido(e.resultado);
}
}

EnvioRegistrado EnvioRegistrado::De(const ResultadoEnvio& r, const QDateTime& fin, qint64 duracionMs,
                                    const QString& mensaje) {
    EnvioRegistrado e;
    e.fin = fin;
    e.duracionMs = std::max<qint64>(0, duracionMs);
    e.enviados = r.enviados;
    e.total = r.total;
    e.nuevos = r.nuevos;
    e.cambiados = r.cambiados;
    e.resultado = CodigoDe(r.fin);
    e.mensaje = mensaje.left(HistorialEnvios::kMaximoMensaje);
    e.avisos = r.avisos.join(QStringLiteral("; ")).left(HistorialEnvios::kMaximoMensaje);
    e.cuentaAvisos = static_cast<int>(r.avisos.size());
    return e;
}

QString HistorialEnvios::RutaJunto(const QString& archivoIni) {
    const QFileInfo ini(QDir::fromNativeSeparators(archivoIni));
    return QDir::toNativeSeparators(ini.path() + QLatin1Char('/') + ini.completeBaseName() +
                                    QStringLiteral("-historial.json"));
}

QString HistorialEnvios::Cargar() {
    envios_.clear();
    QFile f(ruta_);
    if (!f.exists()) return {};
    bool bueno = false;
    if (f.size() <= kMaximoBytes && f.open(QIODevice::ReadOnly)) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(f.read(kMaximoBytes), &error);
        f.close();
        bueno = error.error == QJsonParseError::NoError && doc.isArray();
        for (const QJsonValue& v : doc.array()) {
            EnvioRegistrado e;
            if (!DeJson(v, e)) {
                bueno = false;
                break;
            }
            // Past the newest kMaximo only the last complete send is kept, when none is newer.
            if (envios_.size() < kMaximo || (!UltimoCompleto() && e.completo())) envios_ << e;
        }
    }
    if (bueno) return {};
    envios_.clear();
    // Kept for whoever wants to look at it; the history starts anew.
    const QString aparte = ruta_ + QStringLiteral(".danado");
    QFile::remove(aparte);
    const bool apartado = QFile::rename(ruta_, aparte);
    return apartado
               ? QStringLiteral("El historial de envíos (%1) no se pudo leer; se apartó como %2 y empieza de nuevo.")
                     .arg(QDir::toNativeSeparators(ruta_), QDir::toNativeSeparators(aparte))
               : QStringLiteral("El historial de envíos (%1) no se pudo leer ni apartar; se muestra vacío.")
                     .arg(QDir::toNativeSeparators(ruta_));
}

const EnvioRegistrado* HistorialEnvios::UltimoCompleto() const {
    for (const EnvioRegistrado& e : envios_)
        if (e.completo()) return &e;
    return nullptr;
}

QString HistorialEnvios::Agrega(const EnvioRegistrado& envio) {
    // The window and a scheduled "-enviar" may finish at the same moment: one at a time.
    QLockFile candado(ruta_ + QStringLiteral(".lock"));
    candado.setStaleLockTime(30000);
    const bool conCandado = candado.tryLock(5000);
    if (!conCandado) qCDebug(lcRegistro) << "el historial sigue ocupado; se escribe sin esperar más" << ruta_;
    Cargar();  // what another process added since; a bad file is set aside here too
    envios_.prepend(envio);
    // After a run of failures the shop's last complete send is still known.
    const std::optional<EnvioRegistrado> completo =
        UltimoCompleto() ? std::optional<EnvioRegistrado>(*UltimoCompleto()) : std::nullopt;
    while (envios_.size() > kMaximo) envios_.removeLast();
    if (completo && !UltimoCompleto()) envios_ << *completo;
    QJsonArray lista;
    for (const EnvioRegistrado& e : envios_) lista.append(AJson(e));
    // As the settings are written: on a full disk the old history stays whole.
    const QString error = EscrituraSegura::reemplaza(ruta_, QJsonDocument(lista).toJson(QJsonDocument::Indented),
                                                     EscrituraSegura::Permisos::Conservar);
    if (conCandado) candado.unlock();
    return error;
}
