#pragma once
// One logging category per module, for what the program notes for whoever runs it (not for
// the user: the user's messages go through Dialogos, the log and the terminal output). Off
// below warnings unless switched on, e.g. QT_LOGGING_RULES="moravi.*.debug=true".
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcApp)       // moravi.app: the window
Q_DECLARE_LOGGING_CATEGORY(lcConfig)    // moravi.config: settings and product lines
Q_DECLARE_LOGGING_CATEGORY(lcRegistro)  // moravi.registro: the send run, history and log
