#include "config/ValidaAjuste.h"

#include "servicelib/Compartidos.h"

#include <QFileInfo>

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
    case Claves::Tipo::Cifrado: {
        const QString t = texto.trimmed();
        return t == QLatin1String("0") || t == QLatin1String("1") || t == QLatin1String("2") ? t : clave.defecto;
    }
    case Claves::Tipo::Texto:
    case Claves::Tipo::CertificadoCA:
        break;
    }
    return texto;
}

std::optional<QString> problemaCertificado(const QString& ruta) {
    const QString r = ruta.trimmed();
    if (r.isEmpty()) return std::nullopt;
    const QFileInfo f(r);
    if (!f.exists()) return QStringLiteral("No se encontró el archivo del certificado CA \"%1\"").arg(r);
    if (!f.isFile() || !f.isReadable())
        return QStringLiteral("El certificado CA \"%1\" no es un archivo que se pueda leer").arg(r);
    return std::nullopt;
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
    case Claves::Tipo::Cifrado:
        if (v && *v >= 0 && *v <= 2) return QString::number(*v);
        motivo = QStringLiteral("debe ser 0 (sin cifrado), 1 (cifrado si el servidor lo ofrece) o 2 (cifrado "
                                "verificado con el certificado CA)");
        return std::nullopt;
    case Claves::Tipo::CertificadoCA:
        // Stored as a full path: the program may run from another folder than this command.
        if (texto.trimmed().isEmpty()) return QString();
        if (const auto problema = problemaCertificado(texto)) {
            motivo = QStringLiteral("(") + *problema + QStringLiteral(")");
            return std::nullopt;
        }
        return QFileInfo(texto.trimmed()).absoluteFilePath();
    case Claves::Tipo::Texto:
        break;
    }
    return texto;
}
}
