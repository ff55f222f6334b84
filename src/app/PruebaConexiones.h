#pragma once
#include "servicelib/BasesDD.h"

#include <QString>

// "Probar conex.": dials the shop's database and the point of sale's, says which answered
// (name, host and port; the server's words and what to check when not), and how many products
// and product lines the point of sale holds.
struct PruebaConexiones {
    bool tienda = false, puntoDeVenta = false;  // which answered
    QString texto;                              // the message box's text, first line the verdict

    bool correcta() const { return tienda && puntoDeVenta; }
    static PruebaConexiones Prueba(kesa5::BasesDD& tienda, kesa5::BasesDD& puntoDeVenta);
};
