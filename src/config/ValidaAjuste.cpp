#include "config/ValidaAjuste.h"

#include "servicelib/Compartidos.h"

namespace ValidaAjuste {
namespace {
std::optional<long> entero(const QString& texto) {
    bool ok = false;
    const long v = texto.trimmed().toLong(&ok);
    return ok ? std::optional<long>(v) : std::nullopt;
}
}

QString corrigeNumero(const Claves::Clave& clave, const QString& texto) {
    switch (clave.tipo) {
    case Claves::Tipo::Puerto: {
        const auto v = entero(texto);
        return v && *v >= 1 && *v <= 65535 ? QString::number(*v) : QStringLiteral("3306");
    }
    case Claves::Tipo::Entero16: {
        const auto v = entero(texto);
        return v && *v >= -32768 && *v <= 32767 ? QString::number(*v) : QStringLiteral("0");
    }
    case Claves::Tipo::NumeroPrecio: {
        const QString t = texto.trimmed();
        const double v = G().libTORVA->ksVal(t);
        const bool numero = !t.isEmpty() && (t[0].isDigit() || t[0] == QLatin1Char('+'));
        // There are five price columns, Precio1 to Precio5 (the whole part is what counts).
        return numero && v >= 1 && v < 6 ? texto : QStringLiteral("1");
    }
    case Claves::Tipo::Texto:
        break;
    }
    return texto;
}

std::optional<QString> validaEntrada(const Claves::Clave& clave, const QString& texto, QString& motivo) {
    const auto v = entero(texto);
    switch (clave.tipo) {
    case Claves::Tipo::Entero16:
        if (v && *v >= 0 && *v <= 9999) return QString::number(*v);
        motivo = QStringLiteral("debe ser un número entero de 0 a 9999");
        return std::nullopt;
    case Claves::Tipo::Puerto:
        if (v && *v >= 1 && *v <= 65535) return QString::number(*v);
        motivo = QStringLiteral("debe ser un número de puerto de 1 a 65535");
        return std::nullopt;
    case Claves::Tipo::NumeroPrecio:
        if (v && *v >= 1 && *v <= 5) return QString::number(*v);
        motivo = QStringLiteral("debe ser un número de 1 a 5");
        return std::nullopt;
    case Claves::Tipo::Texto:
        break;
    }
    return texto;
}
}
