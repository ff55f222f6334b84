#pragma once
#include <QString>
#include <QStringList>

namespace kesa5 {
class LibTORVA;
class DelRegistro;
class BasesDD;
}

// The start-up steps shared by the window and the headless send.
namespace Arranque {

// Makes the program's folder (the executable's, unless another is given) the current one
// and builds the two settings-file paths in it.
void PreparaRutas(const QString& carpeta = QString());

// Creates the shared service-library objects in their fixed order.
void CreaObjetosCompartidos();

// Checks the point-of-sale folder named in the settings file and fills the database object
// from the point-of-sale product's stored MySQL settings. False when the folder is no
// installation (after telling the user and offering to edit the settings file).
// `conNombreDeBase` (read the database name too) is kept from the original interface; every
// caller passes true.
bool PreparaHost(kesa5::LibTORVA& general, kesa5::DelRegistro& registro, kesa5::BasesDD& base,
                 const QString& archivoIni, bool conNombreDeBase);

// "   v 1.0.0": the version shown after the window's caption.
QString TextoVersion();

// True when "-torva" appears anywhere in the command line (case-sensitive).
bool ArranqueVisible(const QStringList& argumentos);

// The executable's file name without folder, e.g. "moravi".
QString NombreEjecutable();

}
