#include "config/ClavesConfiguracion.h"

#include "config/Configuracion.h"
#include "servicelib/Compartidos.h"

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
const QString kPrefijoWeb = QStringLiteral("Prefijo de tablas WEB");

namespace {
// Input masks: names of databases and tables, numbers, anything.
const QString kNombre = QStringLiteral("¡");
const QString kNumero = QStringLiteral("9");
const QString kTodo = QStringLiteral("X");

const Rango kSinRango{};
const Rango kEntero16{-32768, 32767};
const Rango kPuertos{1, 65535};
const Rango kPrecios{1, 5};  // the price columns Precio1 to Precio5
const Rango kCifrados{0, 2};

// The field of the record a key is read into and shown from (numbers as decimal text).
#define TEXTO(campo) \
    [](const Configuracion& c) { return c.campo; }, [](Configuracion& c, const QString& v) { c.campo = v; }
#define NUMERO(campo, tipo)                                          \
    [](const Configuracion& c) { return QString::number(c.campo); }, \
        [](Configuracion& c, const QString& v) { c.campo = static_cast<tipo>(v.toLongLong()); }
}

// One key per line: the table reads as one.
// clang-format off
const std::vector<Clave>& deEnvio() {
    static const std::vector<Clave> lista = {
        {QStringLiteral("Usuario WEB"), QStringLiteral("Usuario"), true, true, 3, Tipo::Texto, kSinRango, kSinRango, kTodo, 0, TEXTO(UsuarioWeb)},
        {QStringLiteral("Contraseña WEB"), QStringLiteral("Password"), true, true, 5, Tipo::Texto, kSinRango, kSinRango, kTodo, 0, TEXTO(ContrasenaWeb)},
        {QStringLiteral("Dirección IP"), QStringLiteral("IP"), true, false, 4, Tipo::Texto, kSinRango, kSinRango, kTodo, 0, TEXTO(DireccionIPWeb)},
        {QStringLiteral("Base de datos WEB"), QStringLiteral("BaseDeDatos"), true, false, 2, Tipo::Texto, kSinRango, kSinRango, kNombre, 0, TEXTO(BaseWeb)},
        {QStringLiteral("Nombre de la tabla"), QStringLiteral("productos"), true, false, 6, Tipo::Texto, kSinRango, kSinRango, kNombre, 0, TEXTO(TablaProductos)},
        {kPuerto, QStringLiteral("3306"), false, false, 7, Tipo::Puerto, kPuertos, kPuertos, kNumero, 0, NUMERO(PuertoWeb, std::uint16_t)},
        // The screen takes 0 to 9999 (four digits); the record and the file hold any 16-bit number.
        {kIntervalo, QStringLiteral("0"), false, false, 1, Tipo::Entero16, kEntero16, Rango{0, 9999}, kNumero, 4, NUMERO(IntervaloMinutos, std::int16_t)},
        {QStringLiteral("Campo en productos para talla o color"), QStringLiteral("campo llave toc"), true, false, 8, Tipo::Texto, kSinRango, kSinRango, kTodo, 0, TEXTO(CampoTallaColor)},
        {QStringLiteral("Tabla externa para imágenes"), QStringLiteral("tabla externa imágenes"), true, false, 9, Tipo::Texto, kSinRango, kSinRango, kNombre, 0, TEXTO(TablaImagenes)},
        {QStringLiteral("Llave en productos para imagen"), QStringLiteral("Llave en productos"), true, false, 10, Tipo::Texto, kSinRango, kSinRango, kTodo, 0, TEXTO(LlaveProdsImagen)},
        {QStringLiteral("Llave en tabla externa para imagen"), QStringLiteral("Llave en tabla externa"), true, false, 11, Tipo::Texto, kSinRango, kSinRango, kTodo, 0, TEXTO(LlaveTablaImagen)},
        {QStringLiteral("Dirección del FTP"), QStringLiteral("URL FTP"), true, false, 12, Tipo::Texto, kSinRango, kSinRango, kTodo, 0, TEXTO(DireccionFTP)},
        {QStringLiteral("Carpeta del FTP"), QStringLiteral("Carpeta FTP"), true, false, 13, Tipo::Texto, kSinRango, kSinRango, kTodo, 0, TEXTO(CarpetaFTP)},
        {QStringLiteral("Usuario del FTP"), QStringLiteral("Usuario FTP"), true, true, 14, Tipo::Texto, kSinRango, kSinRango, kTodo, 0, TEXTO(UsuarioFTP)},
        {QStringLiteral("Password del FTP"), QStringLiteral("Password FTP"), true, true, 15, Tipo::Texto, kSinRango, kSinRango, kTodo, 0, TEXTO(ContrasenaFTP)},
        {QStringLiteral("Campo en tabla externa para imagen"), QStringLiteral("Campo externa imagen"), true, false, 16, Tipo::Texto, kSinRango, kSinRango, kTodo, 0, TEXTO(CampoTablaImagen)},
        {kPrefijo, QStringLiteral("Prefijo campo imagen"), true, false, 17, Tipo::Texto, kSinRango, kSinRango, kTodo, 0, TEXTO(PrefijoImagen)},
        {kNumeroPrecio, QStringLiteral("1"), false, false, 18, Tipo::NumeroPrecio, kPrecios, kPrecios, kNumero, 2,
         // Stored as typed ("05", "2.5"): the whole part of the number read is what counts.
         [](const Configuracion& c) { return QString::number(c.NumeroPrecio); },
         [](Configuracion& c, const QString& v) { c.NumeroPrecio = static_cast<std::uint8_t>(G().libTORVA->ksVal(v)); }},
        {kCifradoWeb, QStringLiteral("1"), false, false, kCajaCifradoWeb, Tipo::Cifrado, kCifrados, kCifrados, kTodo, 0, NUMERO(CifradoWeb, int)},
        {kCertificadoCAWeb, QString(), false, false, kCajaCertificadoCAWeb, Tipo::CertificadoCA, kSinRango, kSinRango, kTodo, 0, TEXTO(CertificadoCAWeb)},
        {kCifradoFTP, QStringLiteral("0"), false, false, kCajaCifradoFTP, Tipo::Cifrado, kCifrados, kCifrados, kTodo, 0, NUMERO(CifradoFTP, int)},
        {kCertificadoCAFTP, QString(), false, false, kCajaCertificadoCAFTP, Tipo::CertificadoCA, kSinRango, kSinRango, kTodo, 0, TEXTO(CertificadoCAFTP)},
        {kPrefijoWeb, QStringLiteral("wp_"), false, false, kCajaPrefijoWeb, Tipo::PrefijoTablas, kSinRango, kSinRango, kNombre, 0, TEXTO(PrefijoWeb)},
    };
    return lista;
}
// clang-format on
#undef TEXTO
#undef NUMERO

namespace {
// The start-up keys are not in the record: the host path stays in the file, the database
// name goes to the shared database object.
QString ninguno(const Configuracion&) { return {}; }
void aNinguno(Configuracion&, const QString&) {}
}

const Clave& basePrincipal() {
    static const Clave base{
        kBasePrincipal, kBasePrincipalDefecto, false, false, 0, Tipo::Texto, kSinRango, kSinRango, kNombre, 0, ninguno,
        aNinguno};
    return base;
}

const Clave* busca(const QString& nombre) {
    static const Clave ruta{kRutaHost, kRutaHostDefecto, false, false, -1,      Tipo::Texto,
                            kSinRango, kSinRango,        kTodo, 0,     ninguno, aNinguno};
    if (nombre == ruta.nombre) return &ruta;
    if (nombre == basePrincipal().nombre) return &basePrincipal();
    for (const Clave& c : deEnvio())
        if (c.nombre == nombre) return &c;
    return nullptr;
}

const Clave* deCaja(int caja) {
    if (caja == basePrincipal().caja) return &basePrincipal();
    for (const Clave& c : deEnvio())
        if (c.caja == caja) return &c;
    return nullptr;
}

}
