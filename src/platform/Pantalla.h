#pragma once

// Whether the window can be shown: on Linux a graphical session (DISPLAY or WAYLAND_DISPLAY)
// or a Qt platform chosen explicitly (QT_QPA_PLATFORM, e.g. offscreen); Qt itself would
// otherwise abort in English. Elsewhere the desktop is always there.
bool HayPantalla();
