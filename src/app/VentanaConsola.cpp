#include "app/VentanaConsola.h"

#include "servicelib/TextoImprimible.h"

void VentanaConsola::setLabel5(const QString& texto) {
    // "n de m" (without "Producto") is shown once a product is written: print it with the
    // product it names.
    if (texto.isEmpty() || texto.startsWith(QStringLiteral("Producto"))) return;
    QString producto = label3_;
    producto.remove(QStringLiteral("Imagen del producto "));
    // The key and the description are data: only the run's own break between them becomes a
    // gap; anything else that would act on the terminal (a break, an escape) is written out.
    const QString salto = QStringLiteral("\r\nDescripción: ");
    const qsizetype corte = producto.indexOf(salto);
    producto = corte < 0 ? TextoImprimible(producto)
                         : TextoImprimible(producto.left(corte)) + QStringLiteral("  ") +
                               TextoImprimible(producto.mid(corte + 2));
    salida_ << TextoImprimible(texto) << "  " << producto << "\n";
    salida_.flush();
}
