#include "config/AjustarDesdeLinea.h"

#include "config/ClavesConfiguracion.h"
#include "config/ValidaAjuste.h"
#include "servicelib/Compartidos.h"

#include <utility>
#include <vector>

namespace {
// Users and passwords are shown masked, as on the screen.
bool esSecreto(const QString& clave) {
    return clave == QStringLiteral("Usuario WEB") || clave == QStringLiteral("Contraseña WEB") ||
           clave == QStringLiteral("Usuario del FTP") || clave == QStringLiteral("Password del FTP");
}
}

int AjustarDesdeLinea(const QStringList& pares, QTextStream& salida, QTextStream& errores) {
    if (pares.isEmpty()) {
        errores << "Uso: moravi -ajustar \"Clave=valor\" ...  (claves de la sección \"" << Claves::kSeccion
                << "\")\n";
        return 2;
    }
    std::vector<std::pair<const Claves::Clave*, QString>> cambios;
    for (const QString& par : pares) {
        const qsizetype igual = par.indexOf(QLatin1Char('='));
        const QString nombre = igual < 0 ? par : par.left(igual).trimmed();
        const Claves::Clave* clave = Claves::busca(nombre);
        if (igual < 0 || !clave) {
            errores << "Clave desconocida: \"" << nombre << "\". No se cambió nada.\n";
            return 2;
        }
        QString valor = par.mid(igual + 1);
        if (clave->tipo != Claves::Tipo::Texto) {
            QString motivo;
            const auto bueno = ValidaAjuste::validaEntrada(*clave, valor, motivo);
            if (!bueno) {
                errores << "Valor no válido para \"" << nombre << "\": \"" << valor << "\" " << motivo
                        << ". No se cambió nada.\n";
                return 2;
            }
            valor = *bueno;
        }
        cambios.emplace_back(clave, valor);
    }
    kesa5::LibTORVA& lib = *G().libTORVA;
    for (const auto& [clave, valor] : cambios) {
        lib.EscribeIni(Claves::kSeccion, clave->nombre, clave->encriptada ? G().Utilerias->Encripta(valor) : valor,
                       G().ArchivoIni);
        salida << clave->nombre << " = " << (esSecreto(clave->nombre) ? QStringLiteral("********") : valor)
               << (clave->encriptada ? " (guardado encriptado)" : "") << "\n";
    }
    salida.flush();
    return 0;
}
