#include "servicelib/Categorias.h"

Q_LOGGING_CATEGORY(lcApp, "moravi.app", QtInfoMsg)
Q_LOGGING_CATEGORY(lcConfig, "moravi.config", QtInfoMsg)
Q_LOGGING_CATEGORY(lcRegistro, "moravi.registro", QtInfoMsg)
