#pragma once
#include "servicelib/DeControles.h"
#include "servicelib/DeEquipo.h"
#include "servicelib/Efectos.h"

// The three small window and machine helpers of the service library.
class DeControlesQt : public kesa5::DeControles {
public:
    void BarraPorcentaje(QObject* caja, int porcentaje) override;
    void LaCeldaFG(QObject* reja) override;
};

class DeEquipoQt : public kesa5::DeEquipo {
public:
    QString NetName() override;
};

class EfectosQt : public kesa5::Efectos {
public:
    void PintarSkin(QObject* caja, QObject* ventana, bool opcion) override;
};
