#include "app/frmInicial.h"

#include "app/Icono.h"
#include "app/Mensajes.h"
#include "app/PanelEnvios.h"
#include "app/PestanaConfiguracion.h"
#include "app/PestanaPrincipal.h"
#include "app/PestanaRelacion.h"
#include "app/ProgresoEnvio.h"
#include "app/clsInicio.h"
#include "app/frmDescripcion.h"
#include "config/ClavesConfiguracion.h"
#include "config/Configuracion.h"
#include "config/GuardarConfiguracion.h"
#include "config/Lineas.h"
#include "consola/Arranque.h"
#include "ftp/clsFTP.h"
#include "registro/BaseSinAbrir.h"
#include "registro/EjecucionEnvio.h"
#include "registro/RegistroSoporte.h"
#include "registro/ResumenEnvio.h"
#include "servicelib/Categorias.h"
#include "servicelib/Compartidos.h"
#include "servicelib/CrearObjeto.h"
#include "servicelib/Dialogos.h"
#include "servicelib/Efectos.h"
#include "sync/clsProcedimenti.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

namespace {
const QString kCaption = QStringLiteral("Actualización de productos en línea «Moravi»");
const QString kFecha = QStringLiteral("yyyy-MM-dd HH:mm:ss");
}

frmInicial::frmInicial(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmInicial"));
    setWindowTitle(kCaption);
    setWindowIcon(IconoPrograma());
    auto* central = new QWidget(this);
    auto* capa = new QVBoxLayout(central);
    stbTabs = new QTabWidget(central);
    stbTabs->setObjectName(QStringLiteral("stbTabs"));
    capa->addWidget(stbTabs);
    setCentralWidget(central);

    principal = new PestanaPrincipal;
    configuracion = new PestanaConfiguracion;
    relacion = new PestanaRelacion(configuracion->txtDato);
    stbTabs->addTab(principal, QStringLiteral("Principal"));
    stbTabs->addTab(configuracion, QStringLiteral("Configuración"));
    stbTabs->addTab(relacion, QStringLiteral("Relación de campos"));

    QLabel* pctSkin = principal->pctSkin;
    // Labels show product keys, descriptions and server messages: as rich text a key such as
    // "<img src=...>" would make Qt read that file. Only the skin's caption is the program's markup.
    for (QLabel* etiqueta : findChildren<QLabel*>())
        if (etiqueta != pctSkin) etiqueta->setTextFormat(Qt::PlainText);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &frmInicial::Timer1_Timer);
    connect(stbTabs, &QTabWidget::currentChanged, this, &frmInicial::stbTabs_Click);
    connect(principal->cmdLeerAhora, &QPushButton::clicked, this, &frmInicial::cmdLeerAhora_Click);
    connect(principal->cmdMinimizar, &QPushButton::clicked, this, &frmInicial::cmdMinimizar_Click);
    connect(principal->cmdTerminar, &QPushButton::clicked, this, &frmInicial::cmdTerminar_Click);
    connect(principal->cmdConfigurar, &QPushButton::clicked, this, &frmInicial::cmdConfigurar_Click);
    connect(configuracion->cmdTodas, &QPushButton::clicked, this, [this] { MarcarLineas(true); });
    connect(configuracion->cmdNoTodas, &QPushButton::clicked, this, [this] { MarcarLineas(false); });
    connect(configuracion->cmdCancelar, &QPushButton::clicked, this, &frmInicial::cmdCancelar_Click);
    connect(configuracion->cmdGrabar, &QPushButton::clicked, this, &frmInicial::cmdGrabar_Click);
    connect(configuracion->lstLineas, &QListWidget::itemChanged, this, [this] { ActualizaCuentaLineas(*this); });

    // The window sees F1 and Alt+F4 whichever control has the focus.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, &frmInicial::MostrarDescripcion);
    auto* altF4 = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this);
    connect(altF4, &QShortcut::activated, this, &frmInicial::Descargar);
    // The icon's menu: the main tab's buttons, with their questions.
    menuIcono_ = new QMenu(this);
    menuIcono_->setObjectName(QStringLiteral("menuIcono"));
    accionEnviar_ = menuIcono_->addAction(QStringLiteral("Enviar ahora"), this, &frmInicial::cmdLeerAhora_Click);
    menuIcono_->addAction(QStringLiteral("Mostrar"), this, [this] { clsInicio().Restaurar(*this); });
    menuIcono_->addSeparator();
    menuIcono_->addAction(QStringLiteral("Terminar"), this, &frmInicial::cmdTerminar_Click);
    // A right-click on the send button opens the same menu, popped up without a loop of its own
    // so that it answers during a send too.
    principal->cmdLeerAhora->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(principal->cmdLeerAhora, &QWidget::customContextMenuRequested, this, [this](const QPoint& donde) {
        menuIcono_->popup(principal->cmdLeerAhora->mapToGlobal(donde));
    });
    resize(TwipsAPixeles(10200, this), TwipsAPixeles(9400, this));
}

frmInicial::~frmInicial() = default;

// ---------------------------------------------------------------- start-up and shutdown

bool frmInicial::Cargar(const QStringList& argumentos, const QString& carpeta) {
    PrimeraVez = true;
    Programa = Programacion{};
    Arranque::PreparaRutas(carpeta);
    Arranque::CreaObjetosCompartidos();
    Compartidos& g = G();
    if (!g.libTORVA || !g.DelRegistro || !g.BasesDD ||
        !Arranque::PreparaHost(*g.libTORVA, *g.DelRegistro, *g.BasesDD, g.ArchivoIni, true))
        return false;

    clsProcedimenti proc(*this);
    proc.LeerConfiguracion(clnCampos);

    setWindowTitle(kCaption.trimmed() + Arranque::TextoVersion());
    if (g.DeEquipo) configuracion->Label2->setText(g.DeEquipo->NetName());
    configuracion->txtDato[0]->setText(g.BasesDD->cMiBase);
    configuracion->txtDato[1]->setText(QString::number(Config().IntervaloMinutos));

    muestraHistorial();
    vigilaHistorial();

    clsInicio inicio;
    inicio.PonerSystray(*this);
    if (QSystemTrayIcon* icono = clsInicio::icono()) icono->setContextMenu(menuIcono_);
    actualizaIcono();
    inicio.SiRegistrado(QLatin1Char('/') + Arranque::NombreEjecutable());
    // Below 1 nothing is scheduled (a negative interval too): the window shows itself.
    if (Config().IntervaloMinutos < 1) inicio.Restaurar(*this);

    stbTabs->setCurrentIndex(0);
    relacion->preparaReja();

    Config().LineasMarcadas = 0;
    proc.LeerLineas();

    mFTP = std::make_unique<clsFTP>();
    mFTP->SetModePassive();
    mFTP->SetTransferBinary();
    connect(mFTP.get(), &clsFTP::FileTransferProgress, this, &frmInicial::mFTP_FileTransferProgress);

    if (Arranque::ArranqueVisible(argumentos)) inicio.Restaurar(*this);
    qApp->setProperty("moravi_principal_viva", true);
    return true;
}

void frmInicial::muestraHistorial() {
    const QString archivoIni = G().ArchivoIni;
    const QString aviso = principal->panelEnvios->Carga(HistorialEnvios::RutaJunto(archivoIni));
    if (!aviso.isEmpty())
        RegistroSoporte(RegistroSoporte::RutaJunto(archivoIni)).Escribe(QStringLiteral("aviso"), aviso);
    // A fault that ended the last send before a restart still shows until a send succeeds.
    for (const EnvioRegistrado& e : principal->panelEnvios->historial()->Envios()) {
        if (!e.completo() && !e.fallido()) continue;
        enFallo_ = e.fallido();
        if (enFallo_) principal->muestraError(e.fin.toString(kFecha) + QStringLiteral(": ") + e.mensaje);
        break;
    }
}

void frmInicial::vigilaHistorial() {
    const QString ruta = HistorialEnvios::RutaJunto(G().ArchivoIni);
    if (!vigiaHistorial_) {
        vigiaHistorial_ = new QFileSystemWatcher(this);
        releeHistorial_ = new QTimer(this);
        releeHistorial_->setSingleShot(true);
        releeHistorial_->setInterval(150);
        connect(releeHistorial_, &QTimer::timeout, this, &frmInicial::historialCambiado);
        connect(vigiaHistorial_, &QFileSystemWatcher::fileChanged, releeHistorial_, qOverload<>(&QTimer::start));
        connect(vigiaHistorial_, &QFileSystemWatcher::directoryChanged, releeHistorial_, qOverload<>(&QTimer::start));
        // The folder tells when the file first appears or is replaced by a rename.
        vigiaHistorial_->addPath(QFileInfo(ruta).absolutePath());
    }
    // A file replaced by a rename is no longer watched: it is added again each time.
    if (QFileInfo::exists(ruta) && !vigiaHistorial_->files().contains(ruta)) vigiaHistorial_->addPath(ruta);
}

void frmInicial::historialCambiado() {
    vigilaHistorial();
    // The window's own send shows the history when it ends (others' sends with it: each write
    // rereads the file first).
    if (enviando_ || descargado_) {
        if (enviando_) releeHistorial_->start();
        return;
    }
    const EnvioRegistrado* antes = principal->panelEnvios->ultimo();
    const QDateTime finAntes = antes ? antes->fin : QDateTime();
    const int totalAntes = static_cast<int>(principal->panelEnvios->historial()->Envios().size());
    const bool fallabaAntes = enFallo_;
    muestraHistorial();
    const EnvioRegistrado* ahora = principal->panelEnvios->ultimo();
    if (!ahora || (ahora->fin == finAntes && principal->panelEnvios->historial()->Envios().size() == totalAntes))
        return;
    // As at the end of the window's own send: an error stays until a send succeeds, and the icon
    // says a new run of failures once.
    if (ahora->completo()) principal->ocultaError();
    if (enFallo_ && !fallabaAntes)
        if (QSystemTrayIcon* icono = clsInicio::icono(); icono && icono->isVisible()) {
            icono->showMessage(windowTitle(), ahora->fin.toString(kFecha) + QStringLiteral(": ") + ahora->mensaje,
                               QSystemTrayIcon::Warning);
            ++avisosIcono_;
        }
    actualizaIcono();
}

void frmInicial::primeraActivacion() {
    std::shared_ptr<kesa5::Efectos> efectos;
    CrearObjeto(efectos, QStringLiteral("Efectos"));
    PrimeraVez = false;
    if (efectos) efectos->PintarSkin(principal->pctSkin, this, false);
    ActivarSoloPestana(0);
}

void frmInicial::Descargar() {
    if (descargado_) return;
    descargando_ = true;
    // A send under way stops before its next product instead of running on after the window.
    blInterruptus = true;
    close();
}

void frmInicial::TerminarPorSenal() {
    blInterruptus = true;
    if (enviando_) salirAlTerminar_ = true;  // IniciarEnvio unloads once the send is recorded
    else Descargar();
}

void frmInicial::closeEvent(QCloseEvent* e) {
    // A close that the program did not ask for (the title bar, the window menu, the desktop)
    // only hides the program behind its icon; its own unload and the end of the session go ahead.
    if (!descargando_ && !qApp->isSavingSession()) {
        e->ignore();
        setWindowState(windowState() | Qt::WindowMinimized);
        // Once: a window that vanishes could be taken for a program that ended.
        if (QSystemTrayIcon* icono = clsInicio::icono(); icono && icono->isVisible() && avisosOculta_ == 0) {
            ++avisosOculta_;
            icono->showMessage(windowTitle(),
                               QStringLiteral("El programa sigue en marcha en el área de notificación. Para "
                                              "cerrarlo, use «Terminar» en el menú de este icono o en la ventana."),
                               QSystemTrayIcon::Information);
        }
        return;
    }
    if (!descargado_ && G().libTORVA) {
        // Nobody may be there to see a box at shutdown: a failed write is only noted.
        if (const QString error = G().libTORVA->EscribeIniVarias(relacion->anchosReja(), G().ArchivoIni, false);
            !error.isEmpty())
            qCWarning(lcApp).noquote() << "No se guardaron los anchos de las columnas." << error;
        if (mFTP) mFTP->CloseConnection();
        mFTP.reset();
        clsInicio().RemoverSystray();
    }
    descargado_ = true;
    Timer1->stop();
    e->accept();
    // The description window lives on by itself (and still saves its place when it closes):
    // the shared objects are released and the program ends when it is closed too.
    qApp->setProperty("moravi_principal_viva", false);
    if (!frmDescripcion::abierta()) {
        G().liberar();
        QCoreApplication::quit();
    }
}

bool frmInicial::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && PrimeraVez && !descargado_) primeraActivacion();
    return QMainWindow::event(e);
}

void frmInicial::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange || descargado_) return;
    if (windowState() & Qt::WindowMinimized) {
        // Without a notification area a hidden window could not be reached again: stay minimised.
        if (QSystemTrayIcon::isSystemTrayAvailable()) {
            QTimer::singleShot(0, this, [this] {
                if (windowState() & Qt::WindowMinimized) hide();
            });
            clsInicio().PonerSystray(*this);
            actualizaIcono();
        }
    } else if (!(windowState() & Qt::WindowMaximized)) {
        show();
    }
}

void frmInicial::mouseDoubleClickEvent(QMouseEvent*) {
    if (G().DeArchivos) G().DeArchivos->AbreDocumento(G().ArchivoIni);
}

void frmInicial::cmdMinimizar_Click() { setWindowState(windowState() | Qt::WindowMinimized); }

void frmInicial::cmdTerminar_Click() {
    QString prompt = QStringLiteral("¿Está seguro de cerrar este programa?");
    if (enviando_)
        prompt = QStringLiteral("Hay un envío de productos en curso: si cierra el programa, se detendrá al terminar "
                                "el bloque de productos que está escribiendo.\r\r") +
                 prompt;
    // Once the send has ended, the warning about it is stale: the box keeps only the question.
    std::function<void(const Dialogos::CajaAbierta&)> alTerminar;
    if (enviando_)
        alTerminar = [](const Dialogos::CajaAbierta& caja) {
            if (caja.cambiaTexto) caja.cambiaTexto(QStringLiteral("¿Está seguro de cerrar este programa?"));
        };
    pregunta(
        prompt, QStringLiteral("Cerrar conexión"),
        [this](bool si) {
            if (si) Descargar();
        },
        alTerminar);
}

void frmInicial::pregunta(const QString& prompt, const QString& titulo, std::function<void(bool)> alResponder,
                          std::function<void(const Dialogos::CajaAbierta&)> alTerminarEnvio) {
    // One question at a time: the icon's menu stays usable while the window's box is open.
    if (preguntando_) return;
    preguntando_ = true;
    const Dialogos::CajaAbierta caja = PreguntaSinEsperar(prompt, titulo, true, [this, alResponder](bool si) {
        preguntando_ = false;
        preguntaAlTerminarEnvio_ = nullptr;
        alResponder(si);
    });
    if (preguntando_ && alTerminarEnvio) preguntaAlTerminarEnvio_ = [caja, alTerminarEnvio] { alTerminarEnvio(caja); };
}

void frmInicial::MostrarDescripcion() { frmDescripcion::Mostrar(this); }

// ---------------------------------------------------------------- schedule and send

void frmInicial::Timer1_Timer() {
    Programa.Avanza();
    principal->lblInfo->setText(Programa.TextoRestante(Config().IntervaloMinutos));
    actualizaIcono();
    QCoreApplication::processEvents();
    if (!Programa.Vence(Config().IntervaloMinutos)) return;
    if (enviando_) {
        // The configuration screen switched the timer back on during a send: this one starts
        // as soon as the running send ends, never inside it.
        Programa.Aplaza();
        Timer1->stop();
        return;
    }
    IniciarEnvio();
}

void frmInicial::IniciarEnvio() {
    if (enviando_) return;
    principal->lblInfo->clear();
    Timer1->stop();
    Programa.EnvioEmpieza();
    enviando_ = true;
    do {
        ++numeroEnvio_;
        // Lines that could not be read at start-up (the point-of-sale server was not up yet)
        // are read now: an empty list would send every line.
        if (lineasPorLeer_) configuracion->lstLineas->clear();
        lineasPorLeer_ = false;
        if (configuracion->lstLineas->count() == 0) clsProcedimenti(*this).LeerLineas();
        const RegistroSoporte registro(RegistroSoporte::RutaJunto(G().ArchivoIni));
        EjecucionEnvio ejecucion(*this, *principal->panelEnvios->historial(), registro);
        ejecucion.Lote = LoteEnvio;
        terminaEnvio(ejecucion.Ejecuta(blInterruptus, mFTP.get()));
    } while (Programa.TomaPendiente() && !descargado_ && !salirAlTerminar_);
    enviando_ = false;
    if (salirAlTerminar_) {
        Descargar();
        return;
    }
    if (Config().IntervaloMinutos >= 1 && !descargado_) Timer1->start();
    actualizaIcono();
}

void frmInicial::terminaEnvio(const EnvioTerminado& t) {
    principal->panelEnvios->Muestra();
    // An error on the main tab stays until a send succeeds; said without a dialog that would
    // stop an unattended program.
    if (t.registrado.completo()) principal->ocultaError();
    if (const QString aviso = t.aviso(); !aviso.isEmpty()) avisaFallo(aviso);
    if (t.registrado.completo() || t.registrado.fallido()) enFallo_ = t.registrado.fallido();
    actualizaIcono();
}

void frmInicial::avisaFallo(const QString& motivo) {
    const QString texto = QDateTime::currentDateTime().toString(kFecha) + QStringLiteral(": ") + motivo;
    principal->muestraError(texto);
    // Unattended sends retry on schedule: one message for a run of failures, not one per retry.
    if (enFallo_) return;
    if (QSystemTrayIcon* icono = clsInicio::icono(); icono && icono->isVisible()) {
        icono->showMessage(windowTitle(), texto, QSystemTrayIcon::Warning);
        ++avisosIcono_;
    }
}

void frmInicial::actualizaIcono() {
    QSystemTrayIcon* icono = clsInicio::icono();
    if (!icono || descargado_) return;
    QDateTime proximo;
    if (Timer1->isActive() && Config().IntervaloMinutos >= 1)
        proximo = QDateTime::currentDateTime().addSecs(Programa.SegundosRestantes(Config().IntervaloMinutos));
    QString tip = ResumenEnvio::TextoIcono(windowTitle(), principal->panelEnvios->ultimo(), proximo);
    if (progreso_.enCurso()) tip += QStringLiteral("\nEnviando: ") + progreso_.Texto();
    if (icono->toolTip() != tip) icono->setToolTip(tip);
    if (enFallo_ && iconoAviso_.isNull()) iconoAviso_ = IconoAviso();
    const QIcon deseado = enFallo_ ? iconoAviso_ : windowIcon();
    if (icono->icon().cacheKey() != deseado.cacheKey()) icono->setIcon(deseado);
}

void frmInicial::cmdLeerAhora_Click() {
    if (!enviando_) {
        IniciarEnvio();
    } else {
        // The send goes on while the box is open; a Yes counts only for the send it was asked about.
        pregunta(QStringLiteral("¿Desea interrumpir el envío de productos?"), QStringLiteral("Interrumpir proceso"),
                 [this, envio = numeroEnvio_](bool si) {
                     if (si && enviando_ && envio == numeroEnvio_) blInterruptus = true;
                 },
                 // The send it asks about has ended: the question goes, unanswered.
                 [](const Dialogos::CajaAbierta& caja) {
                     if (caja.cerrar) caja.cerrar();
                 });
    }
}

void frmInicial::mFTP_FileTransferProgress(int lCurrentBytes, int lTotalBytes) {
    principal->progresoImagen(lCurrentBytes, lTotalBytes);
    QCoreApplication::processEvents();
}

// ---------------------------------------------------------------- configuration mode

void frmInicial::ActivarSoloPestana(int indice) {
    stbTabs->setTabEnabled(indice, true);
    for (int i = 0; i < stbTabs->count(); ++i)
        if (i != indice) stbTabs->setTabEnabled(i, false);
    stbTabs->setCurrentIndex(indice);
}

void frmInicial::cmdConfigurar_Click() {
    Timer1->stop();
    ActivarSoloPestana(1);
    // The field-relation grid is reachable while configuring, so its row can be filled and saved.
    stbTabs->setTabEnabled(2, true);
    configuracion->txtDato[0]->setFocus();
}

void frmInicial::vuelveANormal() {
    ActivarSoloPestana(0);
    if (Config().IntervaloMinutos >= 1 && !enviando_) Timer1->start();
}

void frmInicial::cmdCancelar_Click() {
    vuelveANormal();
    // What was typed and not saved goes: every box and the line marks show the settings file
    // again, so a later "Grabar" never saves a value the user cancelled.
    clsProcedimenti(*this).LeerConfiguracion(clnCampos);
    if (G().BasesDD) configuracion->txtDato[0]->setText(G().BasesDD->cMiBase);
    configuracion->txtDato[1]->setText(QString::number(Config().IntervaloMinutos));
    {
        const QSignalBlocker bloqueo(configuracion->lstLineas);
        RestauraMarcasLineas(*this);
    }
    if (enviando_) Timer1->stop();
}

void frmInicial::cmdGrabar_Click() {
    if (!configuracion->ListaParaGrabar()) return;
    if (const QString error = GuardarConfiguracion(*this, relacion->filasReja()); !error.isEmpty()) {
        // Nothing was lost: the file is as it was and the boxes keep what was typed, to try again.
        const QString cr = QStringLiteral("\r");
        Dialogos::MsgBox(QStringLiteral("No se grabó la configuración.") + cr + cr + error + cr + cr +
                             QStringLiteral("Los datos escritos siguen en pantalla."),
                         Dialogos::Critical | Dialogos::OkOnly, QStringLiteral("Atención"));
        return;
    }
    vuelveANormal();
    clsProcedimenti proc(*this);
    proc.LeerConfiguracion(clnCampos);
    // The point-of-sale database saved in box 0 is the one the next send reads, and its lines
    // are the ones listed (the marks just saved are read back with them).
    if (G().BasesDD && G().libTORVA) {
        G().BasesDD->cMiBase = G().libTORVA->LeeIni(Claves::kSeccion, Claves::kBasePrincipal, G().ArchivoIni);
        lineasPorLeer_ = enviando_;  // a running send has its query: the list is read after it
        if (!enviando_) {
            configuracion->lstLineas->clear();
            proc.LeerLineas();
            if (configuracion->lstLineas->count() == 0) avisaPuntoDeVentaSinAbrir();
        }
    }
    // The countdown restarted by the saved interval must not start a send inside a running one.
    if (enviando_) Timer1->stop();
}

void frmInicial::avisaPuntoDeVentaSinAbrir() {
    // No lines listed: said at once when it is because the saved database cannot be opened (a
    // mistyped name), not at the next send. What was saved stays saved, as the user asked.
    kesa5::BasesDD& bd = *G().BasesDD;
    ConexionPtr cn;
    if (bd.AbrirBdD(cn, bd.cMiBase)) {
        bd.CierraBdD(cn);
        return;
    }
    const ResultadoEnvio::BaseSinAbrir b{true, bd.cMiBase, bd.cRuta + u':' + QString::number(bd.cPuerto), bd.cUltimoError};
    Dialogos::MsgBox(QStringLiteral("Se grabó la configuración, pero ") + BaseSinAbrir::Texto(b) + u'.',
                     Dialogos::Exclamation | Dialogos::OkOnly, QStringLiteral("Atención"));
}

void frmInicial::MarcarLineas(bool bMarcar) {
    const QSignalBlocker bloqueo(configuracion->lstLineas);
    ::MarcarLineas(*this, bMarcar);
}

void frmInicial::stbTabs_Click() {
    if (stbTabs->currentIndex() == 2) relacion->alMostrarse();
}

// ---------------------------------------------------------------- the tabs' side of the send and the settings

QString frmInicial::dato(int indice) const { return configuracion->dato(indice); }
void frmInicial::setDato(int indice, const QString& texto) { configuracion->setDato(indice, texto); }
void frmInicial::setTemporizador(bool activo) {
    if (activo && !enviando_) Timer1->start();
    else if (!activo) Timer1->stop();
}
void frmInicial::setInfo(const QString& texto) { principal->lblInfo->setText(texto); }
void frmInicial::setImagenesVisible(bool visible) { principal->chkImagenes->setVisible(visible); }
void frmInicial::setImagenesMarcada(bool marcada) { principal->chkImagenes->setChecked(marcada); }
int frmInicial::lineasCuenta() const { return configuracion->lineasCuenta(); }
qint64 frmInicial::lineaId(int indice) const { return configuracion->lineaId(indice); }
bool frmInicial::lineaMarcada(int indice) const { return configuracion->lineaMarcada(indice); }
void frmInicial::setLineaMarcada(int indice, bool marcada) { configuracion->setLineaMarcada(indice, marcada); }
void frmInicial::agregaLinea(qint64 id, const QString& nombre) { configuracion->agregaLinea(id, nombre); }
void frmInicial::setLabel4(const QString& texto) { configuracion->Label4->setText(texto); }
void frmInicial::envioIniciado() {
    principal->envioIniciado();
    accionEnviar_->setText(principal->cmdLeerAhora->text());
    progreso_.Empieza();
    principal->muestraProgreso(progreso_);
    actualizaIcono();
}
void frmInicial::loteIniciado(int n, int m, const QString& clave, const QString& descripcion) {
    principal->loteIniciado(n, m, clave, descripcion);
    progreso_.LoteIniciado();
    if (progreso_.total() == 0) progreso_.LoteEscrito(n - 1, m);  // the total is known from here on
    principal->muestraProgreso(progreso_);
}
void frmInicial::loteEscrito(int n, int m, const QString& clave, const QString& descripcion) {
    principal->loteEscrito(n, m, clave, descripcion);
    progreso_.LoteEscrito(n, m);
    principal->muestraProgreso(progreso_);
    actualizaIcono();
}
void frmInicial::envioTerminado(const ResultadoEnvio&) {
    // A question about this send, still open, is closed or reworded: it no longer applies.
    if (preguntaAlTerminarEnvio_) std::exchange(preguntaAlTerminarEnvio_, nullptr)();
    progreso_.Termina();
    principal->muestraProgreso(progreso_);
    principal->envioTerminado();
    accionEnviar_->setText(principal->cmdLeerAhora->text());
}
void frmInicial::setPorcenVisible(bool visible) { principal->pctPorcen->setVisible(visible); }
QObject* frmInicial::pctPorcen() { return principal->pctPorcen; }
void frmInicial::procesarEventos() { QCoreApplication::processEvents(); }
