#include "ftp/CortaLineas.h"

#include <cstring>

bool CortaLineas::agrega(const char* datos, qint64 largo) {
    if (excedida_) return false;
    const char* p = datos;
    const char* const fin = datos + largo;
    while (p < fin) {
        const auto* salto = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(fin - p)));
        const qsizetype trozo = (salto ? salto : fin) - p;
        if (pendiente_.size() + trozo > kLargoMaximo) {
            excedida_ = true;
            pendiente_ = QByteArray();  // releases the memory too
            return false;
        }
        pendiente_.append(p, trozo);
        if (!salto) break;
        alCompletar_(pendiente_);
        pendiente_.resize(0);  // keeps the room for the next line
        p = salto + 1;
    }
    return true;
}
