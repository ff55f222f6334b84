#include "config/ClavesConfiguracion.h"

namespace Claves {

const QString kSeccion = QStringLiteral("Configuración");
const QString kRutaHost = QStringLiteral("Ruta de Sartenal Premium");
const QString kRutaHostDefecto = QStringLiteral("C:\\sartenalpremium");
const QString kBasePrincipal = QStringLiteral("Base de datos principal");
const QString kBasePrincipalDefecto = QStringLiteral("datos1");
const QString kIntervalo = QStringLiteral("Intervalo en minutos para enviar existencias");
const QString kPuerto = QStringLiteral("Puerto");
const QString kNumeroPrecio = QStringLiteral("Número de precio a actualizar");
const QString kPrefijo = QStringLiteral("Prefijo para el campo en tabla de imagen");
const QString kCifradoWeb = QStringLiteral("Cifrado de la conexión WEB");
const QString kCertificadoCAWeb = QStringLiteral("Certificado CA de la conexión WEB");
const QString kCifradoFTP = QStringLiteral("Cifrado del FTP");
const QString kCertificadoCAFTP = QStringLiteral("Certificado CA del FTP");

const std::vector<Clave>& deEnvio() {
    static const std::vector<Clave> lista = {
        {QStringLiteral("Usuario WEB"), QStringLiteral("Usuario"), true, 3, Tipo::Texto},
        {QStringLiteral("Contraseña WEB"), QStringLiteral("Password"), true, 5, Tipo::Texto},
        {QStringLiteral("Dirección IP"), QStringLiteral("IP"), true, 4, Tipo::Texto},
        {QStringLiteral("Base de datos WEB"), QStringLiteral("BaseDeDatos"), true, 2, Tipo::Texto},
        {QStringLiteral("Nombre de la tabla"), QStringLiteral("productos"), true, 6, Tipo::Texto},
        {kPuerto, QStringLiteral("3306"), false, 7, Tipo::Puerto},
        {kIntervalo, QStringLiteral("0"), false, 1, Tipo::Entero16},
        {QStringLiteral("Campo en productos para talla o color"), QStringLiteral("campo llave toc"), true, 8, Tipo::Texto},
        {QStringLiteral("Tabla externa para imágenes"), QStringLiteral("tabla externa imágenes"), true, 9, Tipo::Texto},
        {QStringLiteral("Llave en productos para imagen"), QStringLiteral("Llave en productos"), true, 10, Tipo::Texto},
        {QStringLiteral("Llave en tabla externa para imagen"), QStringLiteral("Llave en tabla externa"), true, 11, Tipo::Texto},
        {QStringLiteral("Dirección del FTP"), QStringLiteral("URL FTP"), true, 12, Tipo::Texto},
        {QStringLiteral("Carpeta del FTP"), QStringLiteral("Carpeta FTP"), true, 13, Tipo::Texto},
        {QStringLiteral("Usuario del FTP"), QStringLiteral("Usuario FTP"), true, 14, Tipo::Texto},
        {QStringLiteral("Password del FTP"), QStringLiteral("Password FTP"), true, 15, Tipo::Texto},
        {QStringLiteral("Campo en tabla externa para imagen"), QStringLiteral("Campo externa imagen"), true, 16, Tipo::Texto},
        {kPrefijo, QStringLiteral("Prefijo campo imagen"), true, 17, Tipo::Texto},
        {kNumeroPrecio, QStringLiteral("1"), false, 18, Tipo::NumeroPrecio},
        {kCifradoWeb, QStringLiteral("1"), false, kCajaCifradoWeb, Tipo::Cifrado},
        {kCertificadoCAWeb, QString(), false, kCajaCertificadoCAWeb, Tipo::CertificadoCA},
        {kCifradoFTP, QStringLiteral("0"), false, kCajaCifradoFTP, Tipo::Cifrado},
        {kCertificadoCAFTP, QString(), false, kCajaCertificadoCAFTP, Tipo::CertificadoCA},
    };
    return lista;
}

const Clave* busca(const QString& nombre) {
    static const Clave ruta{kRutaHost, kRutaHostDefecto, false, -1, Tipo::Texto};
    static const Clave base{kBasePrincipal, kBasePrincipalDefecto, false, 0, Tipo::Texto};
    if (nombre == ruta.nombre) return &ruta;
    if (nombre == base.nombre) return &base;
    for (const Clave& c : deEnvio())
        if (c.nombre == nombre) return &c;
    return nullptr;
}

}
