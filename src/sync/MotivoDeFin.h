#pragma once
#include "sync/clsProcedimenti.h"
#include <QString>

// What the user is told about a send that ended without reaching every product for a reason
// other than the user's own interruption; empty text when there is nothing to tell.
QString MotivoDeFin(ResultadoEnvio::Fin fin);
// The same, saying how far a send got when it wrote part of the products.
QString MotivoDeFin(const ResultadoEnvio& r);
