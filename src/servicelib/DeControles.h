#pragma once
#include "servicelib/Objeto.h"

class QObject;

namespace kesa5 {

class DeControles : public Objeto {
public:
    // Shows `porcentaje` (0 to 100) in a progress display.
    virtual void BarraPorcentaje(QObject* caja, int porcentaje) = 0;
    // Prepares the editing of a grid's cells; called once when the grid is set up.
    virtual void LaCeldaFG(QObject* reja) = 0;
};

}  // namespace kesa5
