#pragma once
#include "app/ProgresoEnvio.h"
#include "config/Estrucs.h"
#include "registro/Programacion.h"
#include "servicelib/Dialogos.h"
#include "sync/PlanEnvio.h"
#include "sync/VentanaEnvio.h"

#include <QIcon>
#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QFileSystemWatcher;
class QMenu;
class QTabWidget;
class QTimer;
class clsFTP;
class PestanaConfiguracion;
class PestanaPrincipal;
class PestanaRelacion;
struct EnvioTerminado;

// The main window: loading it starts the program, unloading it ends it. It wires its three
// tabs (PestanaPrincipal, PestanaConfiguracion, PestanaRelacion), the schedule (Programacion),
// the send run (EjecucionEnvio), the tray icon and the shutdown together.
class frmInicial : public QMainWindow, public VentanaEnvio {
    Q_OBJECT
public:
    explicit frmInicial(QWidget* parent = nullptr);
    ~frmInicial() override;

    // The start-up steps. False when the program must end at once (no point-of-sale installation).
    // `carpeta` is the program's folder (the executable's when empty).
    bool Cargar(const QStringList& argumentos, const QString& carpeta = QString());

    // Main-window state.
    bool PrimeraVez = true;
    bool blInterruptus = false;
    Programacion Programa;  // the countdown's Segundos and Minutos
    // The field relations the send is handed; nothing fills them (the send's signature keeps them).
    ColeccionCampos clnCampos;
    std::unique_ptr<clsFTP> mFTP;
    // How large each chunk of a send may grow (an interruption takes effect between chunks).
    LimitesLote LoteEnvio;

    // The tabs; each holds its controls, named as the program names them.
    QTabWidget* stbTabs = nullptr;
    PestanaPrincipal* principal = nullptr;
    PestanaConfiguracion* configuracion = nullptr;
    PestanaRelacion* relacion = nullptr;
    QTimer* Timer1 = nullptr;

    // Handlers and routines.
    void Timer1_Timer();
    void IniciarEnvio();
    void cmdLeerAhora_Click();
    void cmdMinimizar_Click();
    void cmdTerminar_Click();
    void cmdConfigurar_Click();
    void cmdCancelar_Click();
    void vuelveANormal();
    void avisaPuntoDeVentaSinAbrir();
    void cmdGrabar_Click();
    void ActivarSoloPestana(int indice);
    void MarcarLineas(bool bMarcar);
    void stbTabs_Click();
    void mFTP_FileTransferProgress(int lCurrentBytes, int lTotalBytes);
    void MostrarDescripcion();
    // Unloads the window: the shutdown steps, then the program ends.
    void Descargar();
    // A TERM or INT from outside (log-out, systemd, Ctrl-C): a send under way is interrupted
    // and recorded first, then the window unloads as Descargar does.
    void TerminarPorSenal();

    // True while a send runs (between the start and the end of IniciarEnvio's run).
    bool enviando() const { return enviando_; }
    // True from a send that a fault ended until one succeeds: the icon shows a warning.
    bool enFallo() const { return enFallo_; }
    // Messages the icon has shown about failed sends (one per run of failures).
    int avisosIcono() const { return avisosIcono_; }
    // The icon's menu: "Enviar ahora" (its text follows the button's), "Mostrar", "Terminar".
    QMenu* menuIcono() const { return menuIcono_; }
    int avisosOculta() const { return avisosOculta_; }

    // VentanaEnvio / VistaConfiguracion: the tabs show them.
    QString dato(int indice) const override;
    void setDato(int indice, const QString& texto) override;
    void setTemporizador(bool activo) override;
    void setInfo(const QString& texto) override;
    void setImagenesVisible(bool visible) override;
    void setImagenesMarcada(bool marcada) override;
    int lineasCuenta() const override;
    qint64 lineaId(int indice) const override;
    bool lineaMarcada(int indice) const override;
    void setLineaMarcada(int indice, bool marcada) override;
    void agregaLinea(qint64 id, const QString& nombre) override;
    void setLabel4(const QString& texto) override;
    void envioIniciado() override;
    void loteIniciado(int n, int m, const QString& clave, const QString& descripcion) override;
    void loteEscrito(int n, int m, const QString& clave, const QString& descripcion) override;
    void envioTerminado(const ResultadoEnvio& r) override;
    void setPorcenVisible(bool visible) override;
    QObject* pctPorcen() override;
    void procesarEventos() override;

protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool event(QEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    void primeraActivacion();
    // The start-up state from the history: a failure before a restart still shows.
    void muestraHistorial();
    // Follows the history file as other processes (a scheduled `-enviar`) write it.
    void vigilaHistorial();
    void historialCambiado();
    // Shows why the last send did not reach the shop, on the main tab and as an icon message.
    void avisaFallo(const QString& motivo);
    // Shows a finished (and recorded) send on the main tab and the icon.
    void terminaEnvio(const EnvioTerminado& t);
    // The icon's tip (last send, next one due) and its warning state.
    void actualizaIcono();
    // Asks without holding up a send (see PreguntaSinEsperar); one question at a time.
    // `alTerminarEnvio`, when given, is done to the box still open when the send it is about ends.
    void pregunta(const QString& prompt, const QString& titulo, std::function<void(bool)> alResponder,
                  std::function<void(const Dialogos::CajaAbierta&)> alTerminarEnvio = {});

    bool enviando_ = false;
    ProgresoEnvio progreso_;  // the bar on the main tab and the icon's tip during a send
    bool descargando_ = false;
    bool salirAlTerminar_ = false;  // a signal asked to end while a send ran
    bool descargado_ = false;
    bool enFallo_ = false;
    int avisosIcono_ = 0;
    QIcon iconoAviso_;  // the program's icon with a warning sign, while enFallo_
    QMenu* menuIcono_ = nullptr;
    QAction* accionEnviar_ = nullptr;
    bool lineasPorLeer_ = false;  // saved during a send: the product lines are read again before the next
    bool preguntando_ = false;    // a question box is open
    std::function<void()> preguntaAlTerminarEnvio_;  // what the send's end does to the open question
    int avisosOculta_ = 0;  // times the icon said that a closed window goes on behind it (once)
    QFileSystemWatcher* vigiaHistorial_ = nullptr;
    QTimer* releeHistorial_ = nullptr;  // one reread for the burst of changes a write makes
    int numeroEnvio_ = 0;               // counts the sends, so a late answer finds the one it was about
};
