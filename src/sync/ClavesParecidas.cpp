#include "sync/ClavesParecidas.h"

#include <QString>
#include <algorithm>
#include <map>
#include <unordered_map>

namespace {
// The key as the shop's collation compares it.
std::string comoLaTienda(const std::string& clave) {
    const bool ascii = std::all_of(clave.begin(), clave.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    std::string r;
    if (ascii) {
        r = clave;
        std::transform(r.begin(), r.end(), r.begin(), [](char c) { return char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    } else {
        QString sin;
        for (const QChar c : QString::fromStdString(clave).normalized(QString::NormalizationForm_D))
            if (c.category() != QChar::Mark_NonSpacing) sin += c;
        r = sin.toCaseFolded().toStdString();
    }
    while (!r.empty() && r.back() == ' ') r.pop_back();
    return r;
}
}

QStringList ClavesParecidas(const std::vector<ProductoEnvio>& productos) {
    std::unordered_map<std::string, size_t> primera;
    primera.reserve(productos.size());
    std::map<size_t, QStringList> grupos;  // by the first product of the group, in key order
    for (size_t i = 0; i < productos.size(); ++i) {
        const auto [it, nueva] = primera.try_emplace(comoLaTienda(productos[i].clave), i);
        if (nueva) continue;
        QStringList& g = grupos[it->second];
        if (g.isEmpty()) g << QString::fromStdString(productos[it->second].clave);
        g << QString::fromStdString(productos[i].clave);
    }
    QStringList avisos;
    for (const auto& [i, claves] : grupos) {
        QStringList citadas;
        for (const QString& c : claves) citadas << QStringLiteral("«%1»").arg(c);
        avisos << QStringLiteral("las claves %1 son la misma para WooCommerce (no distingue mayúsculas, acentos ni "
                                 "espacios al final): se envían por separado, pero su búsqueda por SKU encuentra el "
                                 "otro producto y guardar cualquiera de ellos en la tienda falla con «SKU no válido o "
                                 "duplicado»")
                      .arg(citadas.join(QStringLiteral(" y ")));
    }
    return avisos;
}
