#include "app/VentanaConsola.h"

#include "app/ProgresoConsola.h"
#include "servicelib/TextoImprimible.h"

void VentanaConsola::setLabel5(const QString& texto) {
    // On a terminal one progress line follows each chunk's "n de m" (the products themselves
    // are printed only to a file or a pipe).
    if (!progreso_ || texto.isEmpty() || texto.startsWith(QStringLiteral("Producto"))) return;
    const QStringList nm = texto.split(QStringLiteral(" de "));
    if (nm.size() == 2) progreso_->Muestra(nm[0].toInt(), nm[1].toInt());
}

void VentanaConsola::productoEnviado(int n, int m, const QString& clave, const QString& descripcion) {
    if (progreso_) return;
    // The key and the description are data: anything in them that would act on the terminal
    // (a break, an escape) is written out.
    salida_ << n << " de " << m << "  " << TextoImprimible(clave) << "  "
            << TextoImprimible(QStringLiteral("Descripción: ") + descripcion) << "\n";
    salida_.flush();
}
