#pragma once
#include "servicelib/Objeto.h"

class QObject;

namespace kesa5 {

class Efectos : public Objeto {
public:
    // Paints the window's skin into its picture box.
    virtual void PintarSkin(QObject* caja, QObject* ventana, bool opcion) = 0;
};

}  // namespace kesa5
