#pragma once
#include <QString>
#include <cstdint>

// The send settings read from the settings file, one instance for the whole program.
struct Configuracion {
    std::int16_t IntervaloMinutos = 0;
    QString DireccionIPWeb;
    QString BaseWeb;
    std::uint16_t PuertoWeb = 3306;  // 0 to 65535: a MySQL server may listen above 32767
    QString UsuarioWeb;
    QString ContrasenaWeb;
    QString PrefijoWeb = QStringLiteral("wp_");  // the shop's WordPress table prefix
    std::uint8_t NumeroPrecio = 1;
    QString DireccionFTP;
    QString CarpetaFTP;
    QString UsuarioFTP;
    QString ContrasenaFTP;
    QString TablaProductos;
    QString CampoTallaColor;
    QString TablaImagenes;
    QString LlaveProdsImagen;
    QString LlaveTablaImagen;
    QString CampoTablaImagen;
    QString PrefijoImagen;
    // Encryption of the shop's connection and of the FTP session (0, 1 or 2, see
    // ClavesConfiguracion.h) and the CA file each is verified against in mode 2.
    int CifradoWeb = 1;
    QString CertificadoCAWeb;
    int CifradoFTP = 0;
    QString CertificadoCAFTP;
    std::int16_t LineasMarcadas = 0;
    // Why the saved product-line selection is not known (the selection file cannot be read,
    // or the line list cannot be read while a selection is saved); empty when it is known.
    // While it holds a reason, a send must write nothing and say it: sending every line
    // would ignore the user's choice.
    QString SeleccionIlegible;
    QString CarpetaImagenes;  // the point-of-sale image folder, ending in a separator
};

Configuracion& Config();
