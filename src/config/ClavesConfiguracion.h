#pragma once
#include <QString>

struct Configuracion;
#include <vector>

// The keys of section "Configuración" of the settings file, with their defaults and stored
// forms. The order of the list is the order in which the send settings are read (and so the
// order in which a first start adds them to the file).
namespace Claves {

// Cifrado: 0, 1 or 2 (see the keys below). CertificadoCA: a file path, empty or an existing file.
// PrefijoTablas: a table prefix, letters, digits and "_" only (see ValidaAjuste::prefijoValido).
enum class Tipo { Texto, Entero16, Puerto, NumeroPrecio, Cifrado, CertificadoCA, PrefijoTablas };

// Whole numbers from `minimo` to `maximo`.
struct Rango {
    long minimo = 0, maximo = 0;
    bool contiene(double v) const { return v >= minimo && v <= maximo; }
};

// One key, described once: reading (with its default and corrections), saving, the screen
// (its box, mask and checks) and "-ajustar" all go by this.
struct Clave {
    QString nombre;   // key, exactly as stored
    QString defecto;  // clear default; also what a stored number out of `guardado` becomes
    bool encriptada;  // stored scrambled
    bool secreta;     // shown masked ("*") on the screen and by "-ajustar"
    int caja;         // index of the settings box that shows it (-1: none; see kCaja* below)
    Tipo tipo;
    Rango guardado;   // numbers: what a stored value may hold (the settings are read with it)
    Rango tecleado;   // numbers: what the screen and "-ajustar" accept from the user
    QString mascara;  // the input mask handed to the service library with each key typed
    int largo;        // most characters its box takes (0: no limit)
    // Its field of the settings record, as text (numbers in decimal) and back.
    QString (*deRegistro)(const Configuracion&);
    void (*aRegistro)(Configuracion&, const QString&);
};

extern const QString kSeccion;          // "Configuración"
extern const QString kRutaHost;         // "Ruta de Sartenal Premium"
extern const QString kRutaHostDefecto;  // "C:\sartenalpremium"
extern const QString kBasePrincipal;    // "Base de datos principal"
extern const QString kBasePrincipalDefecto;
extern const QString kIntervalo;
extern const QString kPuerto;
extern const QString kNumeroPrecio;
extern const QString kPrefijo;

// How the shop's database connection and the FTP session are encrypted: "0" not at all, "1"
// TLS when the server offers it (its certificate not checked), "2" TLS required with the
// server's certificate verified against the CA file of the companion key (the system's
// authorities when that is empty). A file without them gets "1" for the shop, "0" for FTP.
extern const QString kCifradoWeb;        // "Cifrado de la conexión WEB"
extern const QString kCertificadoCAWeb;  // "Certificado CA de la conexión WEB"
extern const QString kCifradoFTP;        // "Cifrado del FTP"
extern const QString kCertificadoCAFTP;  // "Certificado CA del FTP"
// The shop's WordPress table prefix ("wp_" unless the shop was installed with another).
extern const QString kPrefijoWeb;  // "Prefijo de tablas WEB"

// The controls of the configuration screen for those keys, numbered after the text boxes 0 to 18.
constexpr int kCajaCifradoWeb = 19;
constexpr int kCajaCertificadoCAWeb = 20;
constexpr int kCajaCifradoFTP = 21;
constexpr int kCajaCertificadoCAFTP = 22;
constexpr int kCajaPrefijoWeb = 23;
constexpr int kCajas = 24;

// The send settings, in reading order (the eighteen first ones, then the encryption keys and
// the table prefix).
const std::vector<Clave>& deEnvio();
// The point-of-sale database's name, read at start-up and shown in box 0.
const Clave& basePrincipal();
// Every key of the section (the two start-up keys first); nullptr when unknown.
const Clave* busca(const QString& nombre);
// The key shown in box `caja` (the point-of-sale database's included); nullptr when none.
const Clave* deCaja(int caja);

}
