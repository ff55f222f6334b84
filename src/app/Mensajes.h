#pragma once
#include <QString>

class QWidget;

// The skinned message box and the yes/no question of the program.
int Mensaje(const QString& prompt, int botones, const QString& titulo, const QString& texto = QString(), int numero = 0,
            int extra = 0);
bool Pregunta(const QString& prompt, const QString& titulo, bool segundoBotonPorDefecto);

// Installs the answerer that shows real message boxes (owned by `ventana`).
void InstalarRespondedorVentana(QWidget* ventana);

// Keeps a window's place (and size) in the settings file, in twips, in the section named
// after the window's tag (property "tag") or, when that is blank, its object name.
void GuardaPosicion(QWidget& ventana, bool conTamano);
void RecuperaPosicion(QWidget& ventana, bool conTamano);

// Screen units of the settings file.
int PixelesATwips(int pixeles, const QWidget* w);
int TwipsAPixeles(int twips, const QWidget* w);
