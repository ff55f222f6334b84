#pragma once
#include <QString>
#include <QSystemTrayIcon>

class QWidget;

// The notification-area icon, the restore of the main window and the autostart entry.
// Keeps no state of its own: the icon is one per program.
class clsInicio {
public:
    // Mouse messages that reach the window from the icon (button released).
    static constexpr int kSoltarIzquierdo = 514;
    static constexpr int kSoltarDerecho = 517;

    // Translates the icon's activation into the mouse message it stands for.
    static int MensajeDeActivacion(QSystemTrayIcon::ActivationReason razon);

    // Restores the window on a left or right button release; any other message is ignored.
    void MouseMove(QWidget& ventana, int mensaje);
    void Restaurar(QWidget& ventana);
    // Adds the icon (once), with the window's caption as its tip.
    void PonerSystray(QWidget& ventana);
    void RemoverSystray();
    // Makes sure the user's autostart entry runs this executable; failures are skipped silently.
    void SiRegistrado(const QString& archivo);

    // The icon itself, or nullptr before the first PonerSystray.
    static QSystemTrayIcon* icono();
};
