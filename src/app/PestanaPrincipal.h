#pragma once
#include <QWidget>

class QCheckBox;
class QLabel;
class QProgressBar;
class ProgresoEnvio;
class QPushButton;
class PanelEnvios;

// Tab 0 "Principal": the skin, the four buttons, the countdown, the send's progress (Label5
// counts, Label3 names the product), the last failure and the account of the sends. It shows
// the send's events with the texts the window has always used; it keeps no state of its own.
class PestanaPrincipal : public QWidget {
public:
    explicit PestanaPrincipal(QWidget* parent = nullptr);

    // The send's events.
    void envioIniciado();
    void loteIniciado(int n, int m, const QString& clave, const QString& descripcion);
    void loteEscrito(int n, int m, const QString& clave, const QString& descripcion);
    void envioTerminado();
    void muestraProgreso(const ProgresoEnvio& p);
    // The picture upload's progress in Label5 and the bar (the service library draws it).
    void progresoImagen(int lCurrentBytes, int lTotalBytes);
    // Why the last send did not reach the shop, kept in red until a send succeeds.
    void muestraError(const QString& texto);
    void ocultaError();

    QLabel* pctSkin = nullptr;
    QPushButton* cmdLeerAhora = nullptr;
    QPushButton* cmdMinimizar = nullptr;
    QPushButton* cmdTerminar = nullptr;
    QPushButton* cmdConfigurar = nullptr;
    QLabel* lblInfo = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label5 = nullptr;
    QProgressBar* pctPorcen = nullptr;
    QProgressBar* barEnvio = nullptr;
    QCheckBox* chkImagenes = nullptr;
    QLabel* lblError = nullptr;
    PanelEnvios* panelEnvios = nullptr;
};
