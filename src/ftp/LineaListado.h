#pragma once
// One line of a server's LIST answer, read into its parts. Two forms are understood: the Unix
// "ls -l" form most servers send, and the DOS form of some Windows servers.
#include <QString>
#include <optional>

struct EntradaRemota {
    QString nombre;
    bool carpeta = false;
    bool soloLectura = false;  // the owner may not write it
    qint64 tamano = 0;
    QString hora;              // the line's time text, e.g. "Dec 08 05:31" or "03-04-20  10:31AM"
};

namespace LineaListado {

// Nothing for lines that name no entry ("total 12", ".", "..", anything unreadable).
std::optional<EntradaRemota> interpreta(const QString& linea);

}
