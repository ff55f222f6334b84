#pragma once
// Text from the data (product keys, descriptions, a server's messages) on its way to a terminal,
// the support log or "-historial" (one policy for all three): control characters would otherwise move the cursor, colour the output or start a line
// of their own that looks like one of the program's.
#include <QString>

// `texto` with every control character written out: "\n", "\r", "\t" by name, the other C0
// controls, DEL and the C1 controls as "\x1b", "\x7f", "\x85"; the Unicode line and paragraph
// separators and the bidirectional overrides as "\u2028", "\u202e". Everything else, accents
// and backslashes included, stays as it is.
QString TextoImprimible(const QString& texto);
