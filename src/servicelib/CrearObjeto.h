#pragma once
#include "servicelib/Objeto.h"
#include <QString>
#include <functional>
#include <memory>

// Registry of the service library's classes, by "<library>.<Class>" (e.g. "kesa5.BasesDD").
namespace Registro {
using Fabrica = std::function<std::shared_ptr<Objeto>()>;
void registrar(const QString& nombreCompleto, Fabrica fabrica);
void quitar(const QString& nombreCompleto);
// Throws ErrorServicio (429) when the name is not registered or the factory fails.
std::shared_ptr<Objeto> crear(const QString& nombreCompleto);
}

// Shows the "Alerta" message of a failed creation.
void AlertaCreacion(int numero, const QString& descripcion, const QString& nombreCompleto);

// Creates the object of class `clase` of `libreria` into `destino`. On failure shows the
// "Alerta" message and returns false, leaving `destino` empty.
bool CrearObjetoBase(std::shared_ptr<Objeto>& destino, const QString& clase, const QString& libreria);

template <class T>
bool CrearObjeto(std::shared_ptr<T>& destino, const QString& clase,
                 const QString& libreria = QStringLiteral("kesa5")) {
    std::shared_ptr<Objeto> obj;
    destino.reset();
    if (!CrearObjetoBase(obj, clase, libreria)) return false;
    destino = std::dynamic_pointer_cast<T>(obj);
    if (!destino) {
        AlertaCreacion(13, QStringLiteral("No coinciden los tipos"), libreria + QLatin1Char('.') + clase);
        return false;
    }
    return true;
}
