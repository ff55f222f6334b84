#include "config/LeerConfiguracion.h"

#include "config/ClavesConfiguracion.h"
#include "config/Configuracion.h"
#include "config/ValidaAjuste.h"
#include "servicelib/Compartidos.h"

#include <map>

QString LeeIniConDefecto(const QString& seccion, const QString& clave, const QString& defecto,
                         kesa5::LibTORVA& lib, const QString& archivo) {
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
        QString claro = util.DesEncripta(LeeIniConDefecto(Claves::kSeccion, c.nombre, util.Encripta(c.defecto), *G().libTORVA, ini));
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
    std::map<QString, QString> leido;
    for (const Claves::Clave& c : Claves::deEnvio()) leido[c.nombre] = leeClave(c);
    auto v = [&](const char* clave) { return leido[QString::fromUtf8(clave)]; };

    cfg.UsuarioWeb = v("Usuario WEB");
    cfg.ContrasenaWeb = v("Contraseña WEB");
    cfg.DireccionIPWeb = v("Dirección IP");
    cfg.BaseWeb = v("Base de datos WEB");
    cfg.TablaProductos = v("Nombre de la tabla");
    cfg.PuertoWeb = static_cast<std::uint16_t>(v("Puerto").toUInt());
    cfg.IntervaloMinutos = static_cast<std::int16_t>(v("Intervalo en minutos para enviar existencias").toInt());
    cfg.CampoTallaColor = v("Campo en productos para talla o color");
    cfg.TablaImagenes = v("Tabla externa para imágenes");
    cfg.LlaveProdsImagen = v("Llave en productos para imagen");
    cfg.LlaveTablaImagen = v("Llave en tabla externa para imagen");
    cfg.DireccionFTP = v("Dirección del FTP");
    cfg.CarpetaFTP = v("Carpeta del FTP");
    cfg.UsuarioFTP = v("Usuario del FTP");
    cfg.ContrasenaFTP = v("Password del FTP");
    cfg.CampoTablaImagen = v("Campo en tabla externa para imagen");
    cfg.PrefijoImagen = v("Prefijo para el campo en tabla de imagen");
    cfg.NumeroPrecio = static_cast<std::uint8_t>(G().libTORVA->ksVal(v("Número de precio a actualizar")));
    cfg.CifradoWeb = leido[Claves::kCifradoWeb].toInt();
    cfg.CertificadoCAWeb = leido[Claves::kCertificadoCAWeb];
    cfg.CifradoFTP = leido[Claves::kCifradoFTP].toInt();
    cfg.CertificadoCAFTP = leido[Claves::kCertificadoCAFTP];

    vista.setDato(4, cfg.DireccionIPWeb);
    vista.setDato(2, cfg.BaseWeb);
    vista.setDato(6, cfg.TablaProductos);
    vista.setDato(3, cfg.UsuarioWeb);
    vista.setDato(5, cfg.ContrasenaWeb);
    vista.setDato(7, QString::number(cfg.PuertoWeb));
    vista.setDato(8, cfg.CampoTallaColor);
    vista.setDato(9, cfg.TablaImagenes);
    vista.setDato(10, cfg.LlaveProdsImagen);
    vista.setDato(11, cfg.LlaveTablaImagen);
    vista.setDato(12, cfg.DireccionFTP);
    vista.setDato(13, cfg.CarpetaFTP);
    vista.setDato(14, cfg.UsuarioFTP);
    vista.setDato(15, cfg.ContrasenaFTP);
    vista.setDato(16, cfg.CampoTablaImagen);
    vista.setDato(17, cfg.PrefijoImagen);
    vista.setDato(18, QString::number(cfg.NumeroPrecio));
    vista.setDato(Claves::kCajaCifradoWeb, QString::number(cfg.CifradoWeb));
    vista.setDato(Claves::kCajaCertificadoCAWeb, cfg.CertificadoCAWeb);
    vista.setDato(Claves::kCajaCifradoFTP, QString::number(cfg.CifradoFTP));
    vista.setDato(Claves::kCajaCertificadoCAFTP, cfg.CertificadoCAFTP);

    vista.setImagenesVisible(false);
    vista.setTemporizador(cfg.IntervaloMinutos >= 1);
    if (cfg.IntervaloMinutos < 1) vista.setInfo(QStringLiteral("Sin definir"));
}
