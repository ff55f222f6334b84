#include "config/LeerConfiguracion.h"

#include "config/ClavesConfiguracion.h"
#include "config/Configuracion.h"
#include "config/ValidaAjuste.h"
#include "servicelib/Categorias.h"
#include "servicelib/Compartidos.h"

#include <QHash>
#include <optional>

QString LeeIniConDefecto(const QString& seccion, const QString& clave, const QString& defecto, kesa5::LibTORVA& lib,
                         const QString& archivo) {
    QString texto = lib.LeeIni(seccion, clave, archivo);
    if (texto.isEmpty()) {
        // Only while it is still empty: another process may have stored it meanwhile.
        lib.EscribeIniVarias({{seccion, clave, defecto, QString()}}, archivo, false);
        texto = lib.LeeIni(seccion, clave, archivo);
        // A file that cannot be written still reads empty: go on with the default.
        if (texto.isEmpty()) texto = defecto;
    }
    return texto;
}

namespace {
// The section as read once: the first of duplicate keys, names without regard to case.
class Leido {
public:
    explicit Leido(const QList<QPair<QString, QString>>& claves) {
        for (const auto& [nombre, valor] : claves)
            if (!valores_.contains(nombre.toLower())) valores_.insert(nombre.toLower(), valor);
    }
    std::optional<QString> valor(const QString& nombre) const {
        const auto i = valores_.constFind(nombre.toLower());
        return i == valores_.cend() ? std::nullopt : std::optional<QString>(*i);
    }

private:
    QHash<QString, QString> valores_;
};

// One key as the program uses it, from the text read. A key that reads empty gets its default
// and a stored number that is not valid its corrected form: both go into `cambios`, so that
// the file says what the program uses, each only while the key still holds what was read.
QString leeClave(const Claves::Clave& c, const Leido& leido, QList<kesa5::CambioIni>& cambios) {
    kesa5::Utilerias& util = *G().Utilerias;
    const std::optional<QString> guardado = leido.valor(c.nombre);
    QString texto = guardado.value_or(QString());
    if (texto.isEmpty()) {
        const QString defecto = c.encriptada ? util.Encripta(c.defecto) : c.defecto;
        // A key there with nothing in it and nothing to put in stays as it is.
        if (!guardado || !defecto.isEmpty()) cambios.append({Claves::kSeccion, c.nombre, defecto, texto});
        texto = defecto;
    }
    if (c.encriptada) {
        const QString claro = util.DesEncripta(texto);
        return c.nombre == Claves::kPrefijo ? claro.trimmed() : claro;
    }
    if (c.tipo == Claves::Tipo::Texto || c.tipo == Claves::Tipo::CertificadoCA) return texto;
    const QString corregido = ValidaAjuste::corrigeNumero(c, texto);
    if (corregido != texto) cambios.append({Claves::kSeccion, c.nombre, corregido, texto});
    return corregido;
}
}

void LeerConfiguracion(VistaConfiguracion& vista) {
    Configuracion& cfg = Config();
    kesa5::LibTORVA& lib = *G().libTORVA;
    // The section is read once and what it lacks is added in one write: several processes
    // starting together (the window and a scheduled "-enviar") then each add to the file
    // whole, under its lock, and never write a default over a value.
    QList<QPair<QString, QString>> claves;
    QString error;
    if (!lib.LeeSeccionIni(Claves::kSeccion, G().ArchivoIni, claves, error))
        qCDebug(lcConfig) << "no se pudo leer la configuración:" << error;
    const Leido leido(claves);
    QList<kesa5::CambioIni> cambios;
    for (const Claves::Clave& c : Claves::deEnvio()) c.aRegistro(cfg, leeClave(c, leido, cambios));
    if (!cambios.isEmpty())
        if (const QString fallo = lib.EscribeIniVarias(cambios, G().ArchivoIni, false); !fallo.isEmpty())
            qCDebug(lcConfig) << "no se pudieron completar las claves que faltan:" << fallo;
    // The interval's box, like the point-of-sale database's, is filled by start-up only.
    for (const Claves::Clave& c : Claves::deEnvio())
        if (c.nombre != Claves::kIntervalo) vista.setDato(c.caja, c.deRegistro(cfg));

    vista.setImagenesVisible(false);
    vista.setTemporizador(cfg.IntervaloMinutos >= 1);
    if (cfg.IntervaloMinutos < 1) vista.setInfo(QStringLiteral("Sin definir"));
}
