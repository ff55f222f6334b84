#pragma once
#include "config/VistaConfiguracion.h"

// Fills the product-line check list from the point-of-sale table `lineas`, with the marks
// saved in LineasAenviar.ini; does nothing when the list already holds items. The list is
// shown whole or not at all. Sets Config().SeleccionIlegible when the saved selection cannot
// be known (the file cannot be read, or the list cannot be read while lines are marked in it).
void LeerLineas(VistaConfiguracion& vista);
// Puts back on the listed lines the marks saved in LineasAenviar.ini (no database read).
void RestauraMarcasLineas(VistaConfiguracion& vista);
// Marks or unmarks every line, then refreshes the count.
void MarcarLineas(VistaConfiguracion& vista, bool bMarcar);
// Sets LineasMarcadas and Label4 to the number of marked lines.
void ActualizaCuentaLineas(VistaConfiguracion& vista);
// Rewrites LineasAenviar.ini in one step with one key per marked line (no file when none is
// marked). Returns "" when saved or kept, otherwise what went wrong; the old file then stays.
QString GuardarLineas(const VistaConfiguracion& vista);
