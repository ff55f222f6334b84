#pragma once
#include "servicelib/BasesDD.h"
#include "servicelib/DeArchivos.h"
#include "servicelib/DeControles.h"
#include "servicelib/DeEquipo.h"
#include "servicelib/DelRegistro.h"
#include "servicelib/LibTORVA.h"
#include "servicelib/Utilerias.h"
#include <QString>
#include <memory>

// The program-wide state: the shared service-library objects that start-up creates and
// shutdown releases, and the paths of the two settings files.
struct Compartidos {
    std::shared_ptr<kesa5::LibTORVA> libTORVA;
    std::shared_ptr<kesa5::BasesDD> BasesDD;       // the point-of-sale database
    std::shared_ptr<kesa5::DeEquipo> DeEquipo;
    std::shared_ptr<kesa5::Utilerias> Utilerias;
    std::shared_ptr<kesa5::DeArchivos> DeArchivos;
    std::shared_ptr<kesa5::DelRegistro> DelRegistro;
    std::shared_ptr<kesa5::DeControles> DeControles;
    QString ArchivoIni;      // settings file beside the executable
    QString ArchivoLineas;   // LineasAenviar.ini beside the executable

    // Creates the shared objects in their fixed order; a failure shows "Alerta" and goes on.
    void crear();
    void liberar();
};

// The one instance.
Compartidos& G();
