#include "sync/LecturaPuntoDeVenta.h"

#include "sync/TextoDecimal.h"

LecturaPuntoDeVenta LeeProductosPuntoDeVenta(Conexion& cn, const QString& tabla, int numeroPrecio,
                                             const std::function<void()>& latido) {
    LecturaPuntoDeVenta l;
    std::vector<ProductoEnvio>& productos = l.productos;
    // Counted first so the list is allocated once: growing it by doubling would hold two
    // copies for a moment, the peak of a large send.
    cn.Recorre(QStringLiteral("SELECT COUNT(*) FROM ") + tabla,
               [&](const FilaLeida& f) { productos.reserve(static_cast<size_t>(f.at(0).toLongLong())); });
    const QString precio = QStringLiteral("Precio%1").arg(numeroPrecio);
    const QString sql = QStringLiteral("SELECT Clave, Descrip, %1, Existencia FROM ").arg(precio) + tabla;
    cn.Recorre(sql, [&](const FilaLeida& f) {
        const QString clave = f.at(0).toString();
        if (clave.trimmed().isEmpty()) {
            l.avisos << QStringLiteral("un producto del punto de venta no tiene clave («%1»): no se envió")
                            .arg(f.at(1).toString());
            return;
        }
        ProductoEnvio p;
        p.clave = clave.toStdString();
        p.descrip = f.at(1).toString().toStdString();
        const LecturaDecimal pr = LeeDecimal(f.at(2)), ex = LeeDecimal(f.at(3));
        if (pr.texto) p.precio = pr.texto->toStdString();
        if (ex.texto) p.existencia = ex.texto->toStdString();
        p.existenciaIlegible = ex.ilegible;
        for (const auto& [lectura, campo, valor] :
             {std::tuple{&pr, precio, f.at(2)}, std::tuple{&ex, QStringLiteral("Existencia"), f.at(3)}})
            if (lectura->ilegible) {
                ++l.ilegibles;
                l.avisos << QStringLiteral("%1: %2 «%3» no es un número; no se escribió").arg(clave, campo, valor.toString());
            }
        productos.push_back(std::move(p));
        if (latido && productos.size() % 5000 == 0) latido();
    });
    productos.shrink_to_fit();
    return l;
}
