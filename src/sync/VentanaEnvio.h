#pragma once
#include "config/VistaConfiguracion.h"
#include <QString>

class QObject;
struct ResultadoEnvio;

// What the send run tells whoever shows it, besides the settings view: events with values,
// which each face maps onto what it shows (the main window onto its button and Label3/Label5,
// the terminal onto its progress line). The run never reads anything back from them.
class VentanaEnvio : public VistaConfiguracion {
public:
    // The walk over the products begins: both databases are open and the shop is ours.
    virtual void envioIniciado() = 0;
    // A chunk starts with product n of m (1-based), its key and description.
    virtual void loteIniciado(int n, int m, const QString& clave, const QString& descripcion) = 0;
    // A chunk is in the shop: products up to n of m are sent; `clave` and `descripcion` are
    // those of product n, its last one.
    virtual void loteEscrito(int n, int m, const QString& clave, const QString& descripcion) = 0;
    // What a send did to one product in the shop.
    enum class Cambio { AlDia, Cambiado, Nuevo };
    // Product n of m is in the shop (its chunk was committed); a face that keeps a line per
    // product (the terminal's, to a file) hears of each, and whether it was created or changed.
    virtual void productoEnviado(int n, int m, const QString& clave, const QString& descripcion, Cambio cambio) {
        (void)n, (void)m, (void)clave, (void)descripcion, (void)cambio;
    }
    // The walk is over, however it ended (also when an error is on its way to the caller);
    // it always follows envioIniciado.
    virtual void envioTerminado(const ResultadoEnvio& r) = 0;
    // The image transfer's percentage bar pctPorcen (nullptr where there is none), drawn
    // through the service library's BarraPorcentaje.
    virtual void setPorcenVisible(bool visible) = 0;
    virtual QObject* pctPorcen() = 0;
    // Lets the window system handle pending input.
    virtual void procesarEventos() = 0;
};
