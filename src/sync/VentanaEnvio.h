#pragma once
#include "config/VistaConfiguracion.h"
#include <QString>

class QObject;

// What the send run drives in the main window, besides the settings view.
class VentanaEnvio : public VistaConfiguracion {
public:
    // The send button cmdLeerAhora ("Enviar ahora" / "Interrumpir").
    virtual QString botonEnvio() const = 0;
    virtual void setBotonEnvio(const QString& texto) = 0;
    // Label3 (current product) and Label5 (counter).
    virtual void setLabel3(const QString& texto) = 0;
    virtual void setLabel5(const QString& texto) = 0;
    virtual void setLabel3Visible(bool visible) = 0;
    virtual void setLabel5Visible(bool visible) = 0;
    // The image transfer's percentage bar pctPorcen (nullptr where there is none), drawn
    // through the service library's BarraPorcentaje.
    virtual void setPorcenVisible(bool visible) = 0;
    virtual QObject* pctPorcen() = 0;
    // Lets the window system handle pending input.
    virtual void procesarEventos() = 0;
    // Product n of m is in the shop (its chunk was committed); a window that keeps a line per
    // product (the terminal's) hears of each, the labels only of a chunk's first and last.
    virtual void productoEnviado(int n, int m, const QString& clave, const QString& descripcion) {
        (void)n, (void)m, (void)clave, (void)descripcion;
    }
};
