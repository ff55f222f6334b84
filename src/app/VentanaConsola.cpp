#include "app/VentanaConsola.h"

#include "app/ProgresoConsola.h"

void VentanaConsola::setLabel5(const QString& texto) {
    // "n de m" (without "Producto") is shown once a product is written: print it with the
    // product it names.
    if (texto.isEmpty() || texto.startsWith(QStringLiteral("Producto"))) return;
    if (progreso_) {
        const QStringList nm = texto.split(QStringLiteral(" de "));
        if (nm.size() == 2) progreso_->Muestra(nm[0].toInt(), nm[1].toInt());
        return;
    }
    QString producto = label3_;
    producto.replace(QStringLiteral("\r\n"), QStringLiteral("  "));
    producto.remove(QStringLiteral("Imagen del producto "));
    salida_ << texto << "  " << producto << "\n";
    salida_.flush();
}
