#pragma once
// The product-image step: a product's picture from the point-of-sale image folder becomes an
// attachment post of the product's post in the shop, with its "_wp_attached_file" value, and
// the file is sent by FTP to the shop's image folder. Nothing calls it yet (the feature is
// switched off); it is kept working so that switching it on is one line.
#include "servicelib/BasesDD.h"

#include <QString>
#include <cstdint>

class Recordset;
class VentanaEnvio;
class clsFTP;

namespace ImagenProducto {

// The picture file of product `clave` in `carpeta`: the name of a plain file called
// `clave` & "." & anything, "" when there is none (or no folder or no key).
QString ArchivoDe(const QString& carpeta, const QString& clave);

// The folder as a local path ending in a separator: a folder written with backslashes (the
// point-of-sale settings use them) works on any system.
QString CarpetaLocal(const QString& carpeta);

// The attachment's title: the name without ".jpg" and ".png" (lower case only).
QString Titulo(const QString& nombre);

// The address the shop shows the picture at: the FTP address, folder and name, with every
// "ftp." (lower case only) turned into "https://".
QString DireccionWeb(const QString& direccionFtp, const QString& carpetaFtp, const QString& nombre);

// The step for the product on the current row of `producto` (only "Clave" is read), whose own
// post is `postId`: (re)opens `cn` on the shop's database, adds the attachment row unless the
// post already has a child row, writes "_wp_attached_file" on that row, then logs in with the
// FTP settings and sends the file. A product without a picture writes and sends nothing. The
// bar pctPorcen is shown meanwhile and hidden on every way out; errors of the database calls
// pass to the caller.
void Enviar(VentanaEnvio& ventana, const QString& formatoFecha, Recordset& producto, clsFTP& sesion, ConexionPtr& cn,
            kesa5::BasesDD& web, std::int64_t postId);

}
