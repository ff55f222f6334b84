#pragma once
#include "config/VistaConfiguracion.h"

#include <QString>
#include <cstdint>

// The source text of the product query: every product of `productos` except the keys that
// begin with "XFDD" or "XFCT", limited to the lines marked in the window's list when
// `lineasMarcadas` is above 0, in key order. With lines 3 and 7 marked:
//   productos WHERE Clave NOT LIKE 'XFDD%' AND Clave NOT LIKE 'XFCT%' AND (Linea=3 OR Linea=7) ORDER BY Clave
QString ConsultaProductos(const VistaConfiguracion& vista, std::int16_t lineasMarcadas);

// " AND (Linea=a OR Linea=b ...)" from the marked entries of the list, or "" when
// `lineasMarcadas` is 0 or less. The entries are joined as they are found, so a count that
// disagrees with the list can never leave a dangling " OR " or an empty "()"; with no entry
// marked at all there is no filter, as with no line chosen.
QString FiltroLineas(const VistaConfiguracion& vista, std::int16_t lineasMarcadas);
