#include "servicelib/Compartidos.h"

#include "servicelib/CrearObjeto.h"

Compartidos& G() {
    static Compartidos g;
    return g;
}

void Compartidos::crear() {
    CrearObjeto(libTORVA, QStringLiteral("libTORVA"));
    CrearObjeto(BasesDD, QStringLiteral("BasesDD"));
    CrearObjeto(DeEquipo, QStringLiteral("DeEquipo"));
    CrearObjeto(Utilerias, QStringLiteral("Utilerias"));
    CrearObjeto(DeArchivos, QStringLiteral("DeArchivos"));
    CrearObjeto(DelRegistro, QStringLiteral("DelRegistro"));
    CrearObjeto(DeControles, QStringLiteral("DeControles"));
}

void Compartidos::liberar() {
    libTORVA.reset();
    BasesDD.reset();
    DeEquipo.reset();
    Utilerias.reset();
    DeArchivos.reset();
    DelRegistro.reset();
    DeControles.reset();
}
