#include "sync/LecturaPuntoDeVenta.h"

#include "sync/TextoDecimal.h"

namespace {
std::optional<std::string> decimal(const QVariant& v) {
    const std::optional<QString> t = TextoDecimal(v);
    if (!t) return std::nullopt;
    return t->toStdString();
}
}

std::vector<ProductoEnvio> LeeProductosPuntoDeVenta(Conexion& cn, const QString& tabla, int numeroPrecio,
                                                    const std::function<void()>& latido) {
    std::vector<ProductoEnvio> productos;
    // Counted first so the list is allocated once: growing it by doubling would hold two
    // copies for a moment, the peak of a large send.
    cn.Recorre(QStringLiteral("SELECT COUNT(*) FROM ") + tabla,
               [&](const FilaLeida& f) { productos.reserve(static_cast<size_t>(f.at(0).toLongLong())); });
    const QString sql = QStringLiteral("SELECT Clave, Descrip, Precio%1, Existencia FROM ").arg(numeroPrecio) + tabla;
    cn.Recorre(sql, [&](const FilaLeida& f) {
        ProductoEnvio p;
        p.clave = f.at(0).toString().toStdString();
        p.descrip = f.at(1).toString().toStdString();
        p.precio = decimal(f.at(2));
        p.existencia = decimal(f.at(3));
        productos.push_back(std::move(p));
        if (latido && productos.size() % 5000 == 0) latido();
    });
    productos.shrink_to_fit();
    return productos;
}
