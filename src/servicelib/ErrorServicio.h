#pragma once
#include <QString>
#include <stdexcept>

// Raised by a connection or recordset operation that fails (a statement the server
// refuses, a field that is not there, a server gone away). The send run lets it pass
// to its caller, which reports it and keeps the program running.
class ErrorServicio : public std::runtime_error {
public:
    ErrorServicio(int numero, const QString& descripcion)
        : std::runtime_error(descripcion.toStdString()), numero_(numero), descripcion_(descripcion) {}
    int numero() const { return numero_; }
    const QString& descripcion() const { return descripcion_; }

private:
    int numero_;
    QString descripcion_;
};
