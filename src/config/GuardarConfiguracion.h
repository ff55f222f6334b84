#pragma once
#include <QStringList>
#include "config/Estrucs.h"
#include "config/VistaConfiguracion.h"

// The save of the configuration screen: the settings of section "Configuración" from the
// boxes, the field relations of the grid (each row's columns 1 to 5) in section "Campos",
// and the product-line selection file, each file written whole in one step. Returns "" when
// saved, otherwise what went wrong, for the user; the settings file is then as it was.
QString GuardarConfiguracion(const VistaConfiguracion& vista, const QList<QStringList>& filasReja);

// One grid row (columns 1 to 5) as its field-relation record, blanks trimmed.
Estrucs EstrucsDeFila(const QStringList& columnas);
