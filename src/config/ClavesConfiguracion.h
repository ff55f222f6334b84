#pragma once
#include <QString>
#include <vector>

// The keys of section "Configuración" of the settings file, with their defaults and stored
// forms. The order of the list is the order in which the send settings are read (and so the
// order in which a first start adds them to the file).
namespace Claves {

enum class Tipo { Texto, Entero16, Puerto, NumeroPrecio };

struct Clave {
    QString nombre;      // key, exactly as stored
    QString defecto;     // clear default
    bool encriptada;     // stored scrambled
    int caja;            // index of the settings box that shows it (-1: none)
    Tipo tipo;
};

extern const QString kSeccion;             // "Configuración"
extern const QString kRutaHost;            // "Ruta de Sartenal Premium"
extern const QString kRutaHostDefecto;     // "C:\sartenalpremium"
extern const QString kBasePrincipal;       // "Base de datos principal"
extern const QString kBasePrincipalDefecto;
extern const QString kIntervalo;
extern const QString kPuerto;
extern const QString kNumeroPrecio;
extern const QString kPrefijo;

// The eighteen send settings, in reading order.
const std::vector<Clave>& deEnvio();
// Every key of the section (the two start-up keys first); nullptr when unknown.
const Clave* busca(const QString& nombre);

}
