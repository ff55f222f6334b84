#pragma once
#include "servicelib/Dialogos.h"

#include <QString>
#include <functional>

class QWidget;

// The skinned message box and the yes/no question of the program.
int Mensaje(const QString& prompt, int botones, const QString& titulo, const QString& texto = QString(), int numero = 0,
            int extra = 0);
bool Pregunta(const QString& prompt, const QString& titulo, bool segundoBotonPorDefecto);
// The same question without waiting for the answer: `respuesta` (true for Yes) comes when the
// user answers, while the program goes on (a send is not held up by an open box). The box
// returned can be closed (answered No) or reworded while it is open.
Dialogos::CajaAbierta PreguntaSinEsperar(const QString& prompt, const QString& titulo, bool segundoBotonPorDefecto,
                                         std::function<void(bool)> respuesta);

// Installs the answerers that show real message boxes (owned by `ventana`), waited for or not.
void InstalarRespondedorVentana(QWidget* ventana);

// Keeps a window's place (and size) in the settings file, in twips, in the section named
// after the window's tag (property "tag") or, when that is blank, its object name.
void GuardaPosicion(QWidget& ventana, bool conTamano);
void RecuperaPosicion(QWidget& ventana, bool conTamano);

// Screen units of the settings file.
int PixelesATwips(int pixeles, const QWidget* w);
int TwipsAPixeles(int twips, const QWidget* w);
