#include "consola/VentanaConsola.h"

#include "consola/ProgresoConsola.h"
#include "servicelib/TextoImprimible.h"

void VentanaConsola::loteEscrito(int n, int m, const QString&, const QString&) {
    // On a terminal one progress line follows each chunk (the products themselves are printed
    // only to a file or a pipe).
    if (progreso_) progreso_->Muestra(n, m);
}

void VentanaConsola::productoEnviado(int n, int m, const QString& clave, const QString& descripcion, Cambio cambio) {
    // A log that cron appends to grows by what changed, not by the whole catalogue each time.
    if (progreso_ || (cambio == Cambio::AlDia && !todos_)) return;
    // The key and the description are data: anything in them that would act on the terminal
    // (a break, an escape) is written out.
    salida_ << n << " de " << m << "  " << TextoImprimible(clave) << "  "
            << TextoImprimible(QStringLiteral("Descripción: ") + descripcion)
            << (cambio == Cambio::Nuevo ? "  (nuevo)" : cambio == Cambio::Cambiado ? "  (cambiado)" : "") << "\n";
    salida_.flush();
}
