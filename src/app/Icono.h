#pragma once
#include <QIcon>

// The program's icon, drawn here so it needs no image files or icon theme.
QIcon IconoPrograma();
// The same with a warning sign in its corner: the last send failed.
QIcon IconoAviso();
