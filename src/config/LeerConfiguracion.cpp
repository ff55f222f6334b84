#include "config/LeerConfiguracion.h"

#include "config/ClavesConfiguracion.h"
#include "config/Configuracion.h"
#include "config/ValidaAjuste.h"
#include "servicelib/Compartidos.h"

QString LeeIniConDefecto(const QString& seccion, const QString& clave, const QString& defecto, kesa5::LibTORVA& lib,
                         const QString& archivo) {
    QString texto = lib.LeeIni(seccion, clave, archivo);
    if (texto.isEmpty()) {
        lib.EscribeIni(seccion, clave, defecto, archivo);
        texto = lib.LeeIni(seccion, clave, archivo);
        // A file that cannot be written still reads empty: go on with the default.
        if (texto.isEmpty()) texto = defecto;
    }
    return texto;
}

namespace {
// Reads one key; a stored number that is not valid is replaced by its corrected form,
// written back so the file says what the program uses.
QString leeClave(const Claves::Clave& c) {
    kesa5::Utilerias& util = *G().Utilerias;
    const QString& ini = G().ArchivoIni;
    if (c.encriptada) {
        QString claro = util.DesEncripta(
            LeeIniConDefecto(Claves::kSeccion, c.nombre, util.Encripta(c.defecto), *G().libTORVA, ini));
        return c.nombre == Claves::kPrefijo ? claro.trimmed() : claro;
    }
    const QString texto = LeeIniConDefecto(Claves::kSeccion, c.nombre, c.defecto, *G().libTORVA, ini);
    if (c.tipo == Claves::Tipo::Texto || c.tipo == Claves::Tipo::CertificadoCA) return texto;
    const QString corregido = ValidaAjuste::corrigeNumero(c, texto);
    if (corregido != texto) G().libTORVA->EscribeIni(Claves::kSeccion, c.nombre, corregido, ini);
    return corregido;
}
}

void LeerConfiguracion(VistaConfiguracion& vista) {
    Configuracion& cfg = Config();
    for (const Claves::Clave& c : Claves::deEnvio()) c.aRegistro(cfg, leeClave(c));
    // The interval's box, like the point-of-sale database's, is filled by start-up only.
    for (const Claves::Clave& c : Claves::deEnvio())
        if (c.nombre != Claves::kIntervalo) vista.setDato(c.caja, c.deRegistro(cfg));

    vista.setImagenesVisible(false);
    vista.setTemporizador(cfg.IntervaloMinutos >= 1);
    if (cfg.IntervaloMinutos < 1) vista.setInfo(QStringLiteral("Sin definir"));
}
