#pragma once
#include "config/VistaConfiguracion.h"

// Fills the product-line check list from the point-of-sale table `lineas`, with the marks
// saved in LineasAenviar.ini; does nothing when the list already holds items.
void LeerLineas(VistaConfiguracion& vista);
// Marks or unmarks every line, then refreshes the count.
void MarcarLineas(VistaConfiguracion& vista, bool bMarcar);
// Sets LineasMarcadas and Label4 to the number of marked lines.
void ActualizaCuentaLineas(VistaConfiguracion& vista);
// Rewrites LineasAenviar.ini with one key per marked line.
void GuardarLineas(const VistaConfiguracion& vista);
// The line Id held in the last ten characters of an item's text.
qint64 IdDeLinea(const QString& textoItem);
