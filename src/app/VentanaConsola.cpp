#include "app/VentanaConsola.h"

#include "servicelib/TextoImprimible.h"

void VentanaConsola::productoEnviado(int n, int m, const QString& clave, const QString& descripcion) {
    // The key and the description are data: anything in them that would act on the terminal
    // (a break, an escape) is written out.
    salida_ << n << " de " << m << "  " << TextoImprimible(clave) << "  "
            << TextoImprimible(QStringLiteral("Descripción: ") + descripcion) << "\n";
    salida_.flush();
}
