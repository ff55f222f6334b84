#pragma once
#include "servicelib/DeArchivos.h"
#include <functional>

class DeArchivosQt : public kesa5::DeArchivos {
public:
    using Abridor = std::function<void(const QString& ruta)>;
    // Replaces how documents are opened (tests record the path instead). Returns the old one.
    static Abridor instalarAbridor(Abridor a);

    bool AbreDocumento(const QString& ruta) override;
    void BorraArchivo(const QString& ruta) override;
    QString NombreDeArchivo(const QString& ruta) override;
};
