#pragma once
#include "servicelib/EscrituraSegura.h"
#include "servicelib/LibTORVA.h"
#include <QList>
#include <QPair>
#include <QString>

// Reads and writes keys of an INI file (see DocumentoIni for how lines, encodings and quotes
// are handled). The file is read afresh on every call, because the user may edit it while
// the program runs; a write changes only the lines of the keys written and replaces the file
// in one step (EscrituraSegura), so a failed write leaves it as it was. Writes take turns
// across processes through a lock file beside the file ("<file>.lock") and re-read the file
// under it; a file that exists but cannot be read, or reads empty while it has bytes, is
// never written over.
namespace ArchivoIniTexto {
using Cambio = kesa5::CambioIni;
using EscrituraSegura::Permisos;

// "" when the key, the file or its reading is missing.
QString lee(const QString& archivo, const QString& seccion, const QString& clave);
// One key, keeping the file's permissions. Returns false when the file cannot be written.
bool escribe(const QString& archivo, const QString& seccion, const QString& clave, const QString& valor);
// Every change in one write (see kesa5::LibTORVA::EscribeIniVarias); "" or what went wrong.
QString escribeVarias(const QString& archivo, const QList<Cambio>& cambios, Permisos permisos, bool soloEstos = false);
// The keys of a section (see kesa5::LibTORVA::LeeSeccionIni).
bool leeSeccion(const QString& archivo, const QString& seccion, QList<QPair<QString, QString>>& claves, QString& error);
}
