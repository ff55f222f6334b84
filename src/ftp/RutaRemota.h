#pragma once
// Remote paths as the session uses them: always absolute, so that no request depends on the
// folder the server believes it is in.
#include <QString>

namespace RutaRemota {

// `ruta` taken against the absolute folder `actual`: "/a/b", with "." and ".." resolved and
// repeated or trailing "/" dropped ("/" for the root).
QString resuelve(const QString& actual, const QString& ruta);

// The folder named in a 257 reply (`257 "/a ""b""" is the current directory.`), or empty.
QString deRespuesta257(const QString& respuesta);

}
