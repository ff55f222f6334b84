#pragma once
#include "config/Estrucs.h"
#include "servicelib/BasesDD.h"
#include "sync/EscrituraLote.h"
#include "sync/PlanEnvio.h"
#include "sync/VentanaEnvio.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

class clsFTP;

// What one send run did.
struct ResultadoEnvio {
    enum class Fin {
        Completo,         // every selected product was sent
        Interrumpido,     // the user stopped it between two products
        SinBaseDeDatos,   // the point-of-sale or the shop's database could not be opened at the start
        ConexionPerdida,  // the shop's database could not be opened again before a product
        OtroEnvio,        // another send to the same shop was under way: this one wrote nothing
        SinSeleccion,     // the saved product-line selection could not be read: nothing was sent
        Fallo,            // an error ended it (and passed on to the caller)
    };
    int enviados = 0;  // products written, in key order from the first
    int total = 0;     // products the query selected
    int nuevos = 0;    // of those sent, the ones created in the shop
    int cambiados = 0; // values written because the shop held another one or none
    QStringList avisos;  // what the user should know although the send went on
    int recortados = 0;  // values the shop's server cut or changed to store them (see avisos)
    // Values or products the send could not write: a price or stock that is not a number, a
    // product too large for the shop's server (see avisos).
    int descartados = 0;
    Fin fin = Fin::SinBaseDeDatos;
    // The database that could not be opened (SinBaseDeDatos, ConexionPerdida): which one, where, and
    // the server's or the library's words.
    struct BaseSinAbrir {
        bool puntoDeVenta = false;  // otherwise the shop's
        QString base, servidor;     // database name, "host:port"
        QString motivo;
    } sinAbrir;
    // Fallo: the connection named in sinAbrir was found lost when the error ended the send.
    bool caida = false;
    bool completo() const { return fin == Fin::Completo; }
    // Complete, and the shop holds exactly what the point of sale says.
    bool limpio() const { return completo() && recortados == 0 && descartados == 0; }
};

// What a send would do, worked out from both databases without writing anything.
struct VistaPreviaEnvio {
    bool leida = false;  // both databases could be read
    QString motivo;      // why not, when the server said
    int total = 0;       // products selected
    struct Nuevo {
        QString clave, titulo, nombre;  // nombre empty: named by its post ID
    };
    struct Cambio {
        QString clave, campo, antes, despues;
        bool falta = false;  // the shop lacks the row: it would be added
        QString motivo;      // why the shop gets another value than the point of sale's
    };
    struct Nota {  // a point-of-sale value the shop keeps its own in place of, and why
        QString clave, texto;
    };
    std::vector<Nuevo> nuevos;
    std::vector<Cambio> cambios;
    std::vector<Nota> notas;
    QStringList avisos;  // what the send would warn of (a persistent object cache nobody cleans, ...)
    int cambiarian = 0;  // products that would be created or get a value written
};

// The send object: lives for one call (reading the settings, reading the product lines, or
// one send run) and drives the main window through VentanaEnvio.
class clsProcedimenti {
public:
    explicit clsProcedimenti(VentanaEnvio& ventana);

    // The date format of everything written into the shop (classic letters: nn = minutes).
    QString FormatoFecha = QStringLiteral("yyyy-mm-dd hh:nn:ss");

    void LeerConfiguracion(ColeccionCampos& clnCampos);

    // Copies the point-of-sale products into the shop in key order: reads the shop once, works
    // out what differs, and writes it in chunks (each one transaction), showing the progress in
    // the window and stopping between two chunks when `blInterruptus` becomes true.
    // A database that cannot be opened ends it quietly (see the result). Any other failure
    // (a statement refused, the server gone in the middle of a chunk) first reports the walk's
    // end (envioTerminado), clears the image box and closes every connection, then the
    // ErrorServicio passes to the caller, which reports it; Resultado()
    // still tells how far the run got (whole chunks).
    ResultadoEnvio EnviarProductos(ColeccionCampos& clnCampos, bool& blInterruptus, clsFTP* mFTP);

    void LeerLineas();

    // Reads both databases as a send would and works out what it would change, writing
    // nothing in the shop (not even modification times) and taking no lock. Errors of the
    // databases pass on (ErrorServicio); a database that cannot be opened gives leida false.
    VistaPreviaEnvio VistaPrevia();

    const ResultadoEnvio& Resultado() const { return resultado_; }

    // How large a chunk may grow, and how one that meets another writer's locks is retried.
    LimitesLote Lote;
    ReintentosLote Reintentos;

private:
    // One named value of one post (the product-image step writes through it too).
    void ActualizarMeta(kesa5::BasesDD& web, ConexionPtr& cn, std::int64_t postId, const QString& clave,
                        const QString& valor);
    // The product's picture as an attachment of post `postId`, uploaded through `mFTP`
    // (see ImagenProducto.h). Switched off: nothing calls it yet.
    void EnviarImagen(Recordset& rsProducto, clsFTP& mFTP, ConexionPtr& cnWeb, kesa5::BasesDD& web,
                      std::int64_t postId);
    // The tests reach the switched-off image step through this accessor only.
    friend class PruebaEnviarImagen;

    VentanaEnvio& ventana_;
    ResultadoEnvio resultado_;
};
