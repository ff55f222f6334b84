#include "app/frmInicial.h"

#include "registro/EjecucionEnvio.h"
#include "consola/Arranque.h"
#include "app/Icono.h"
#include "app/Mensajes.h"
#include "app/PanelEnvios.h"
#include "registro/RegistroSoporte.h"
#include "registro/ResumenEnvio.h"
#include "app/clsInicio.h"
#include "app/frmDescripcion.h"
#include "config/ClavesConfiguracion.h"
#include "config/Configuracion.h"
#include "config/GuardarConfiguracion.h"
#include "config/Lineas.h"
#include "config/ValidaAjuste.h"
#include "ftp/clsFTP.h"
#include "servicelib/Compartidos.h"
#include "servicelib/CrearObjeto.h"
#include "servicelib/Dialogos.h"
#include "servicelib/Efectos.h"
#include "servicelib/ErrorServicio.h"
#include "sync/TextosEnvio.h"
#include "sync/clsProcedimenti.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextStream>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {
const QString kCaption = QStringLiteral("Actualización de productos en línea «Moravi»");
const QString kEnviarAhora = QStringLiteral("Enviar ahora");
const QString kInterrumpir = QStringLiteral("Interrumpir");

// Column defaults of the field-relation grid, in twips, and their headers.
const int kAnchosReja[6] = {500, 2000, 2000, 2000, 3000, 3000};
const char* const kEncabezados[6] = {"", "Campo de Sartenal", "Equivalente en web", "Tabla externa",
                                     "Llave en tabla principal", "Llave en tabla externa"};

// An encryption choice and its CA file box, which only the verified choice uses.
QComboBox* nuevoCifrado(const QString& nombre, QLineEdit*& certificado, const QString& nombreCertificado) {
    auto* c = new QComboBox;
    c->setObjectName(nombre);
    c->addItems({QStringLiteral("0 - Sin cifrado"), QStringLiteral("1 - Cifrada si el servidor lo ofrece"),
                 QStringLiteral("2 - Cifrada, con el certificado del servidor verificado")});
    certificado = new QLineEdit;
    certificado->setObjectName(nombreCertificado);
    certificado->setPlaceholderText(QStringLiteral("Vacío: las autoridades del sistema"));
    certificado->setEnabled(false);
    QObject::connect(c, &QComboBox::currentIndexChanged, certificado, [certificado](int i) { certificado->setEnabled(i == 2); });
    return c;
}

QString claveColumna(int i) { return QStringLiteral("Columna ") + QString::number(i); }
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

    auto* principal = new QWidget;
    auto* configuracion = new QWidget;
    auto* relacion = new QWidget;
    stbTabs->addTab(principal, QStringLiteral("Principal"));
    stbTabs->addTab(configuracion, QStringLiteral("Configuración"));
    stbTabs->addTab(relacion, QStringLiteral("Relación de campos"));
    construyePrincipal(principal);
    construyeConfiguracion(configuracion);
    construyeRelacion(relacion);
    // Labels show product keys, descriptions and server messages: as rich text a key such as
    // "<img src=...>" would make Qt read that file. Only the skin's caption is the program's markup.
    for (QLabel* etiqueta : findChildren<QLabel*>())
        if (etiqueta != pctSkin) etiqueta->setTextFormat(Qt::PlainText);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &frmInicial::Timer1_Timer);
    connect(stbTabs, &QTabWidget::currentChanged, this, &frmInicial::stbTabs_Click);

    // The window sees F1 and Alt+F4 whichever control has the focus.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, &frmInicial::MostrarDescripcion);
    auto* altF4 = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this);
    connect(altF4, &QShortcut::activated, this, &frmInicial::Descargar);
    resize(TwipsAPixeles(10200, this), TwipsAPixeles(9400, this));
}

frmInicial::~frmInicial() = default;

void frmInicial::construyePrincipal(QWidget* pagina) {
    auto* capa = new QGridLayout(pagina);
    pctSkin = new QLabel(pagina);
    pctSkin->setObjectName(QStringLiteral("pctSkin"));
    pctSkin->setMinimumSize(TwipsAPixeles(4200, this), TwipsAPixeles(2400, this));
    pctSkin->setAlignment(Qt::AlignCenter);
    pctSkin->setText(QStringLiteral("<span style='color:white; font-size:18pt; font-weight:bold'>Moravi</span>"
                                    "<br><span style='color:white'>productos en línea</span>"));
    capa->addWidget(pctSkin, 0, 0, 4, 1);

    cmdLeerAhora = new QPushButton(kEnviarAhora, pagina);
    cmdLeerAhora->setObjectName(QStringLiteral("cmdLeerAhora"));
    cmdMinimizar = new QPushButton(QStringLiteral("Ocultar"), pagina);
    cmdMinimizar->setObjectName(QStringLiteral("cmdMinimizar"));
    cmdMinimizar->setToolTip(QStringLiteral("Ocultar ventana, enviándola a la barra de tareas"));
    cmdTerminar = new QPushButton(QStringLiteral("Terminar"), pagina);
    cmdTerminar->setObjectName(QStringLiteral("cmdTerminar"));
    cmdTerminar->setToolTip(QStringLiteral("Cerrar el programa"));
    cmdConfigurar = new QPushButton(QStringLiteral("Configurar"), pagina);
    cmdConfigurar->setObjectName(QStringLiteral("cmdConfigurar"));
    for (QPushButton* b : {cmdLeerAhora, cmdMinimizar, cmdTerminar, cmdConfigurar})
        b->setMinimumSize(TwipsAPixeles(1695, this), TwipsAPixeles(615, this));
    capa->addWidget(cmdLeerAhora, 0, 1);
    capa->addWidget(cmdConfigurar, 1, 1);
    capa->addWidget(cmdMinimizar, 2, 1);
    capa->addWidget(cmdTerminar, 3, 1);

    auto* filaInfo = new QHBoxLayout;
    filaInfo->addWidget(new QLabel(QStringLiteral("Para envío de información faltan:"), pagina));
    lblInfo = new QLabel(pagina);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    filaInfo->addWidget(lblInfo, 1);
    capa->addLayout(filaInfo, 4, 0, 1, 2);

    Label5 = new QLabel(pagina);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label3 = new QLabel(pagina);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setWordWrap(true);
    Label5->setVisible(false);
    Label3->setVisible(false);
    capa->addWidget(Label5, 5, 0, 1, 2);
    capa->addWidget(Label3, 6, 0, 1, 2);

    pctPorcen_ = new QProgressBar(pagina);
    pctPorcen_->setObjectName(QStringLiteral("pctPorcen"));
    pctPorcen_->setRange(0, 100);
    pctPorcen_->setVisible(false);
    capa->addWidget(pctPorcen_, 7, 0, 1, 2);

    chkImagenes = new QCheckBox(QStringLiteral("Enviar archivos de imágenes"), pagina);
    chkImagenes->setObjectName(QStringLiteral("chkImagenes"));
    chkImagenes->setVisible(false);
    capa->addWidget(chkImagenes, 8, 0, 1, 2);

    lblError = new QLabel(pagina);
    lblError->setObjectName(QStringLiteral("lblError"));
    lblError->setWordWrap(true);
    lblError->setStyleSheet(QStringLiteral("color: #a00000"));
    lblError->setVisible(false);
    capa->addWidget(lblError, 9, 0, 1, 2);
    panelEnvios = new PanelEnvios(pagina);
    capa->addWidget(panelEnvios, 10, 0, 1, 2);
    capa->setRowStretch(10, 1);

    connect(cmdLeerAhora, &QPushButton::clicked, this, &frmInicial::cmdLeerAhora_Click);
    connect(cmdMinimizar, &QPushButton::clicked, this, &frmInicial::cmdMinimizar_Click);
    connect(cmdTerminar, &QPushButton::clicked, this, &frmInicial::cmdTerminar_Click);
    connect(cmdConfigurar, &QPushButton::clicked, this, &frmInicial::cmdConfigurar_Click);
}

void frmInicial::construyeConfiguracion(QWidget* pagina) {
    auto* fila = new QHBoxLayout(pagina);
    auto* panel = new QFrame(pagina);
    panel->setObjectName(QStringLiteral("Picture1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFocusPolicy(Qt::StrongFocus);
    Picture1 = panel;
    fila->addWidget(panel, 1);

    for (int i = 0; i < 19; ++i) {
        txtDato[i] = new QLineEdit;
        txtDato[i]->setObjectName(QStringLiteral("txtDato_%1").arg(i));
        txtDato[i]->installEventFilter(this);
    }
    for (int i = 0; i < 19; ++i) {
        const Claves::Clave* c = Claves::deCaja(i);
        if (c && c->largo > 0) txtDato[i]->setMaxLength(c->largo);
        if (c && c->secreta) {
            txtDato[i]->setEchoMode(QLineEdit::Password);
            txtDato[i]->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // "*"
        }
    }

    auto etiqueta = [](const char* texto) { return new QLabel(QString::fromUtf8(texto)); };
    auto* g = new QGridLayout(panel);
    int r = 0;
    chkVerPass = new QCheckBox(QStringLiteral("Ver encriptados"));
    chkVerPass->setObjectName(QStringLiteral("chkVerPass"));
    g->addWidget(chkVerPass, r++, 3);
    Label2 = new QLabel;
    Label2->setObjectName(QStringLiteral("Label2"));
    g->addWidget(etiqueta("Nombre del equipo:"), r, 0);
    g->addWidget(Label2, r++, 1, 1, 3);
    g->addWidget(etiqueta("Base de datos SRN:"), r, 0);
    g->addWidget(txtDato[0], r, 1);
    g->addWidget(etiqueta("Intervalo (minutos):"), r, 2);
    g->addWidget(txtDato[1], r++, 3);
    g->addWidget(etiqueta("IP de la base de datos WEB:"), r, 0);
    g->addWidget(txtDato[4], r++, 1, 1, 2);
    g->addWidget(etiqueta("Base de datos WEB:"), r, 0);
    g->addWidget(txtDato[2], r++, 1, 1, 2);
    g->addWidget(etiqueta("Puerto:"), r, 0);
    g->addWidget(txtDato[7], r++, 1);
    g->addWidget(etiqueta("Usuario:"), r, 0);
    g->addWidget(txtDato[3], r, 1);
    g->addWidget(etiqueta("Contraseña:"), r, 2);
    g->addWidget(txtDato[5], r++, 3);
    cmbCifradoWeb = nuevoCifrado(QStringLiteral("cmbCifradoWeb"), txtCertificadoCAWeb, QStringLiteral("txtCertificadoCAWeb"));
    g->addWidget(etiqueta("Cifrado de la conexión:"), r, 0);
    g->addWidget(cmbCifradoWeb, r++, 1, 1, 3);
    g->addWidget(etiqueta("Certificado CA:"), r, 0);
    g->addWidget(txtCertificadoCAWeb, r++, 1, 1, 3);
    g->addWidget(etiqueta("Definir líneas de productos a actualizar (si no desea pasar TODAS):"), r++, 0, 1, 4);
    lstLineas = new QListWidget;
    lstLineas->setObjectName(QStringLiteral("lstLineas"));
    lstLineas->setMinimumHeight(TwipsAPixeles(2220, this));
    g->addWidget(lstLineas, r++, 0, 1, 4);
    auto* filaCuenta = new QHBoxLayout;
    filaCuenta->addWidget(etiqueta("Líneas marcadas:"));
    Label4 = new QLabel(QStringLiteral("0"));
    Label4->setObjectName(QStringLiteral("Label4"));
    filaCuenta->addWidget(Label4);
    cmdTodas = new QPushButton(QStringLiteral("Marcar todas"));
    cmdTodas->setObjectName(QStringLiteral("cmdTodas"));
    cmdNoTodas = new QPushButton(QStringLiteral("Desmarcar todas"));
    cmdNoTodas->setObjectName(QStringLiteral("cmdNoTodas"));
    filaCuenta->addStretch(1);
    filaCuenta->addWidget(cmdTodas);
    filaCuenta->addWidget(cmdNoTodas);
    g->addLayout(filaCuenta, r++, 0, 1, 4);
    g->addWidget(etiqueta("Número de precio [1-?]"), r, 0);
    g->addWidget(txtDato[18], r++, 1);
    g->addWidget(etiqueta("Ruta FTP:"), r, 0);
    g->addWidget(txtDato[12], r++, 1, 1, 3);
    g->addWidget(etiqueta("Carpeta:"), r, 0);
    g->addWidget(txtDato[13], r++, 1, 1, 3);
    g->addWidget(etiqueta("Usuario:"), r, 0);
    g->addWidget(txtDato[14], r, 1);
    g->addWidget(etiqueta("Contraseña:"), r, 2);
    g->addWidget(txtDato[15], r++, 3);
    cmbCifradoFTP = nuevoCifrado(QStringLiteral("cmbCifradoFTP"), txtCertificadoCAFTP, QStringLiteral("txtCertificadoCAFTP"));
    g->addWidget(etiqueta("Cifrado del FTP:"), r, 0);
    g->addWidget(cmbCifradoFTP, r++, 1, 1, 3);
    g->addWidget(etiqueta("Certificado CA del FTP:"), r, 0);
    g->addWidget(txtCertificadoCAFTP, r++, 1, 1, 3);
    g->setRowStretch(r, 1);

    auto* botones = new QVBoxLayout;
    cmdCancelar = new QPushButton(QStringLiteral("Cancelar"));
    cmdCancelar->setObjectName(QStringLiteral("cmdCancelar"));
    cmdGrabar = new QPushButton(QStringLiteral("Grabar"));
    cmdGrabar->setObjectName(QStringLiteral("cmdGrabar"));
    cmdProbar = new QPushButton(QStringLiteral("Probar conex."));
    cmdProbar->setObjectName(QStringLiteral("cmdProbar"));
    botones->addSpacing(TwipsAPixeles(1800, this));
    for (QPushButton* b : {cmdCancelar, cmdGrabar, cmdProbar}) {
        b->setMinimumSize(TwipsAPixeles(1215, this), TwipsAPixeles(615, this));
        botones->addWidget(b);
        botones->addSpacing(TwipsAPixeles(300, this));
    }
    botones->addStretch(1);
    fila->addLayout(botones);

    // The Tab key walks the panel in this order; the check box and the two list buttons come last.
    QWidget* orden[] = {txtDato[0],  txtDato[1],    txtDato[4],          txtDato[2],  txtDato[7],
                        txtDato[3],  txtDato[5],    cmbCifradoWeb,       txtCertificadoCAWeb,
                        lstLineas,   txtDato[18],   txtDato[12],         txtDato[13], txtDato[14],
                        txtDato[15], cmbCifradoFTP, txtCertificadoCAFTP, chkVerPass,  cmdTodas,
                        cmdNoTodas};
    for (size_t i = 1; i < std::size(orden); ++i) setTabOrder(orden[i - 1], orden[i]);

    connect(chkVerPass, &QCheckBox::clicked, this, &frmInicial::chkVerPass_Click);
    connect(cmdTodas, &QPushButton::clicked, this, [this] { MarcarLineas(true); });
    connect(cmdNoTodas, &QPushButton::clicked, this, [this] { MarcarLineas(false); });
    connect(cmdCancelar, &QPushButton::clicked, this, &frmInicial::cmdCancelar_Click);
    connect(cmdGrabar, &QPushButton::clicked, this, &frmInicial::cmdGrabar_Click);
    connect(cmdProbar, &QPushButton::clicked, this, &frmInicial::cmdProbar_Click);
    connect(lstLineas, &QListWidget::itemChanged, this, [this] { ActualizaCuentaLineas(*this); });
}

void frmInicial::construyeRelacion(QWidget* pagina) {
    auto* capa = new QGridLayout(pagina);
    mhgReja = new QTableWidget(1, 6, pagina);
    mhgReja->setObjectName(QStringLiteral("mhgReja"));
    mhgReja->verticalHeader()->setVisible(false);
    mhgReja->setMinimumHeight(TwipsAPixeles(2655, this));
    capa->addWidget(mhgReja, 0, 0, 1, 2);

    // Settings kept only in the settings file: filled and saved, never shown.
    struct Oculta { const char* etiqueta; int caja; };
    const Oculta ocultas[] = {{"Nombre de la tabla de productos:", 6},  {"Tabla externa:", 9},
                              {"Campo llave en tabla de prods. web:", 10}, {"Campo llave en tabla externa:", 11},
                              {"Campo en tabla externa:", 16},           {"Prefijo a concatenar en el campo:", 17},
                              {"Campo llave en tabla de prods. web:", 8}};
    int r = 1;
    for (const Oculta& o : ocultas) {
        auto* l = new QLabel(QString::fromUtf8(o.etiqueta), pagina);
        l->setVisible(false);
        txtDato[o.caja]->setParent(pagina);
        txtDato[o.caja]->setVisible(false);
        capa->addWidget(l, r, 0);
        capa->addWidget(txtDato[o.caja], r++, 1);
    }
    capa->setRowStretch(r, 1);
}

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
    if (g.DeEquipo) Label2->setText(g.DeEquipo->NetName());
    txtDato[0]->setText(g.BasesDD->cMiBase);
    txtDato[1]->setText(QString::number(Config().IntervaloMinutos));

    const QString avisoHistorial = panelEnvios->Carga(HistorialEnvios::RutaJunto(g.ArchivoIni));
    if (!avisoHistorial.isEmpty())
        RegistroSoporte(RegistroSoporte::RutaJunto(g.ArchivoIni)).Escribe(QStringLiteral("aviso"), avisoHistorial);
    // A fault that ended the last send before a restart still shows until a send succeeds.
    for (const EnvioRegistrado& e : panelEnvios->historial()->Envios()) {
        if (!e.completo() && !e.fallido()) continue;
        enFallo_ = e.fallido();
        if (enFallo_) {
            lblError->setText(e.fin.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral(": ") + e.mensaje);
            lblError->setVisible(true);
        }
        break;
    }

    clsInicio inicio;
    inicio.PonerSystray(*this);
    actualizaIcono();
    inicio.SiRegistrado(QLatin1Char('/') + Arranque::NombreEjecutable());
    // Below 1 nothing is scheduled (a negative interval too): the window shows itself.
    if (Config().IntervaloMinutos < 1) inicio.Restaurar(*this);

    stbTabs->setCurrentIndex(0);
    preparaReja();

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

void frmInicial::preparaReja() {
    QStringList encabezados;
    for (const char* e : kEncabezados) encabezados << QString::fromUtf8(e);
    mhgReja->setHorizontalHeaderLabels(encabezados);
    for (int c = 0; c < 6; ++c) {
        mhgReja->horizontalHeaderItem(c)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        auto* celda = new QTableWidgetItem;
        if (c >= 1) celda->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        if (c < 2) {  // the two fixed columns
            celda->setFlags(Qt::ItemIsEnabled);
            celda->setBackground(palette().button());
        }
        mhgReja->setItem(0, c, celda);
    }
    if (G().DeControles) G().DeControles->LaCeldaFG(mhgReja);
    for (int c = 0; c < 6; ++c) {
        mhgReja->setColumnWidth(c, TwipsAPixeles(kAnchosReja[c], this));
        const double guardado =
            G().libTORVA->ksVal(G().libTORVA->LeeIni(QStringLiteral("Reja"), claveColumna(c), G().ArchivoIni));
        if (guardado > 0 && guardado <= 32767) mhgReja->setColumnWidth(c, TwipsAPixeles(static_cast<int>(guardado), this));
    }
}

void frmInicial::primeraActivacion() {
    std::shared_ptr<kesa5::Efectos> efectos;
    CrearObjeto(efectos, QStringLiteral("Efectos"));
    PrimeraVez = false;
    if (efectos) efectos->PintarSkin(pctSkin, this, false);
    ActivarSoloPestana(0);
}

void frmInicial::Descargar() {
    if (descargado_) return;
    descargando_ = true;
    // A send under way stops before its next product instead of running on after the window.
    blInterruptus = true;
    close();
}

void frmInicial::closeEvent(QCloseEvent* e) {
    // A close that the program did not ask for (the title bar, the window menu, the desktop)
    // only hides the program behind its icon; its own unload and the end of the session go ahead.
    if (!descargando_ && !qApp->isSavingSession()) {
        e->ignore();
        setWindowState(windowState() | Qt::WindowMinimized);
        return;
    }
    if (!descargado_ && G().libTORVA) {
        QList<kesa5::CambioIni> anchos;
        for (int c = 0; c < mhgReja->columnCount(); ++c) {
            const int twips = std::clamp(PixelesATwips(mhgReja->columnWidth(c), this), -32768, 32767);
            anchos.append({QStringLiteral("Reja"), claveColumna(c), QString::number(twips)});
        }
        // Nobody may be there to see a box at shutdown: a failed write goes to standard error.
        if (const QString error = G().libTORVA->EscribeIniVarias(anchos, G().ArchivoIni, false); !error.isEmpty())
            QTextStream(stderr) << "No se guardaron los anchos de las columnas. " << error << "\n";
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
    if (Pregunta(QStringLiteral("¿Está seguro de cerrar este programa?"), QStringLiteral("Cerrar conexión"), true))
        Descargar();
}

void frmInicial::MostrarDescripcion() { frmDescripcion::Mostrar(); }

// ---------------------------------------------------------------- schedule and send

void frmInicial::Timer1_Timer() {
    Programa.Avanza();
    lblInfo->setText(Programa.TextoRestante(Config().IntervaloMinutos));
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
    lblInfo->clear();
    Timer1->stop();
    Programa.EnvioEmpieza();
    enviando_ = true;
    do {
        // Lines that could not be read at start-up (the point-of-sale server was not up yet)
        // are read now: an empty list would send every line.
        if (lstLineas->count() == 0) clsProcedimenti(*this).LeerLineas();
        const RegistroSoporte registro(RegistroSoporte::RutaJunto(G().ArchivoIni));
        EjecucionEnvio ejecucion(*this, *panelEnvios->historial(), registro);
        ejecucion.Lote = LoteEnvio;
        terminaEnvio(ejecucion.Ejecuta(blInterruptus, mFTP.get()));
    } while (Programa.TomaPendiente() && !descargado_);
    enviando_ = false;
    if (Config().IntervaloMinutos >= 1 && !descargado_) Timer1->start();
    actualizaIcono();
}

void frmInicial::terminaEnvio(const EnvioTerminado& t) {
    panelEnvios->Muestra();
    // An error on the main tab stays until a send succeeds; said without a dialog that would
    // stop an unattended program.
    if (t.registrado.completo()) lblError->setVisible(false);
    if (const QString aviso = t.aviso(); !aviso.isEmpty()) avisaFallo(aviso);
    if (t.registrado.completo() || t.registrado.fallido()) enFallo_ = t.registrado.fallido();
    actualizaIcono();
}

void frmInicial::avisaFallo(const QString& motivo) {
    const QString texto = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                          QStringLiteral(": ") + motivo;
    lblError->setText(texto);
    lblError->setVisible(true);
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
    const QString tip = ResumenEnvio::TextoIcono(windowTitle(), panelEnvios->ultimo(), proximo);
    if (icono->toolTip() != tip) icono->setToolTip(tip);
    if (enFallo_ && iconoAviso_.isNull()) iconoAviso_ = IconoAviso();
    const QIcon deseado = enFallo_ ? iconoAviso_ : windowIcon();
    if (icono->icon().cacheKey() != deseado.cacheKey()) icono->setIcon(deseado);
}

void frmInicial::cmdLeerAhora_Click() {
    if (!enviando_) {
        IniciarEnvio();
    } else if (Pregunta(QStringLiteral("¿Desea interrumpir el envío de productos?"), QStringLiteral("Interrumpir proceso"),
                        true)) {
        blInterruptus = true;
    }
}

void frmInicial::mFTP_FileTransferProgress(int lCurrentBytes, int lTotalBytes) {
    // 64-bit product: files above 20 MiB would overflow 32 bits. An empty file is complete.
    int porcentaje = 100;
    if (lTotalBytes > 0)
        porcentaje = static_cast<int>(std::nearbyint(static_cast<double>(lCurrentBytes) * 100.0 / lTotalBytes));
    porcentaje = std::clamp(porcentaje, 0, 100);
    if (lTotalBytes >= lCurrentBytes) {
        // The default locale: the system's, unless the program sets another.
        QLocale local;
        local.setNumberOptions(local.numberOptions() & ~QLocale::OmitGroupSeparator);
        Label5->setText(QStringLiteral("Bytes copiados ") + local.toString(lCurrentBytes) + QStringLiteral(" de ") +
                        local.toString(lTotalBytes));
        if (G().DeControles) G().DeControles->BarraPorcentaje(pctPorcen_, porcentaje);
    }
    QCoreApplication::processEvents();
}

// ---------------------------------------------------------------- configuration screen

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
    txtDato[0]->setFocus();
}

void frmInicial::cmdCancelar_Click() {
    ActivarSoloPestana(0);
    if (Config().IntervaloMinutos >= 1 && !enviando_) Timer1->start();
}

void frmInicial::cmdGrabar_Click() {
    // A click reaches the button even while box 1 keeps the focus back: an interval
    // outside 0 to 9999 is never saved.
    if (!ValidaDato(1)) {
        txtDato[1]->setFocus();
        return;
    }
    // A CA file that is not there would only fail at the next send: say so now, save nothing.
    for (QLineEdit* caja : {txtCertificadoCAWeb, txtCertificadoCAFTP})
        if (const auto problema = ValidaAjuste::problemaCertificado(caja->text())) {
            Dialogos::MsgBox(*problema + QStringLiteral(". No se grabó nada."), Dialogos::Exclamation,
                             QStringLiteral("Datos incorrectos"));
            caja->setFocus();
            return;
        }
    if (const QString error = GuardarConfiguracion(*this, filasReja()); !error.isEmpty()) {
        // Nothing was lost: the file is as it was and the boxes keep what was typed, to try again.
        const QString cr = QStringLiteral("\r");
        Dialogos::MsgBox(QStringLiteral("No se grabó la configuración.") + cr + cr + error + cr + cr +
                             QStringLiteral("Los datos escritos siguen en pantalla."),
                         Dialogos::Critical | Dialogos::OkOnly, QStringLiteral("Atención"));
        return;
    }
    cmdCancelar_Click();
    clsProcedimenti proc(*this);
    proc.LeerConfiguracion(clnCampos);
    // The countdown restarted by the saved interval must not start a send inside a running one.
    if (enviando_) Timer1->stop();
}

void frmInicial::cmdProbar_Click() {
    std::shared_ptr<kesa5::BasesDD> prueba;
    CrearObjeto(prueba, QStringLiteral("BasesDD"));
    if (!prueba) return;
    prueba->cRuta = txtDato[4]->text();
    prueba->cMiBase = txtDato[2]->text();
    const double puerto = G().libTORVA->ksVal(txtDato[7]->text());
    prueba->cPuerto = puerto >= 0 && puerto <= 65535 ? static_cast<std::uint16_t>(puerto) : 0;
    prueba->cUsuario = txtDato[3]->text();
    prueba->cPassword = txtDato[5]->text();
    prueba->cCifrado = cmbCifradoWeb->currentIndex();
    prueba->cCertificadoCA = txtCertificadoCAWeb->text().trimmed();
    ConexionPtr cn;
    if (prueba->AbrirBdD(cn, prueba->cMiBase))
        Dialogos::MsgBox(QStringLiteral("Conexión correcta a la base de datos"), Dialogos::Information,
                         QStringLiteral("Datos correctos"));
    else  // the reason on a line of its own: a wrong password and a certificate that fails need different fixes
        Dialogos::MsgBox(QStringLiteral("No se estableció conexión a la base de datos") +
                             (prueba->cUltimoError.isEmpty() ? QString() : QStringLiteral("\n\n") + prueba->cUltimoError),
                         Dialogos::Critical, QStringLiteral("Datos incorrectos"));
    prueba->CierraBdD(cn);
}

void frmInicial::chkVerPass_Click() { actualizaMascaras(); }

void frmInicial::actualizaMascaras() {
    for (int i = 0; i < 19; ++i)
        if (const Claves::Clave* c = Claves::deCaja(i); c && c->secreta)
            txtDato[i]->setEchoMode(chkVerPass->isChecked() ? QLineEdit::Normal : QLineEdit::Password);
}

void frmInicial::MarcarLineas(bool bMarcar) {
    const QSignalBlocker bloqueo(lstLineas);
    ::MarcarLineas(*this, bMarcar);
}

void frmInicial::stbTabs_Click() {
    if (stbTabs->currentIndex() == 2 && mhgReja->rowCount() + 1 == 2) {
        mhgReja->setCurrentCell(0, 2);
        mhgReja->setFocus();
    }
}

QList<QStringList> frmInicial::filasReja() const {
    QList<QStringList> filas;
    for (int r = 0; r < mhgReja->rowCount(); ++r) {
        QStringList columnas;
        for (int c = 1; c < mhgReja->columnCount(); ++c) {
            const QTableWidgetItem* celda = mhgReja->item(r, c);
            columnas << (celda ? celda->text() : QString());
        }
        filas << columnas;
    }
    return filas;
}

int frmInicial::indiceDeCaja(QObject* objeto) const {
    for (int i = 0; i < 19; ++i)
        if (txtDato[i] == objeto) return i;
    return -1;
}

bool frmInicial::ValidaDato(int indice) {
    const Claves::Clave* c = Claves::deCaja(indice);
    if (!c) return true;
    const double v = G().libTORVA->ksVal(txtDato[indice]->text());
    if (c->tipo == Claves::Tipo::Entero16 && !c->tecleado.contiene(v)) {
        QApplication::beep();  // the focus stays until the interval is corrected
        return false;
    }
    // A price number that is no price column becomes the default, as a plain number.
    if (c->tipo == Claves::Tipo::NumeroPrecio)
        txtDato[indice]->setText(QString::number(c->tecleado.contiene(v) ? static_cast<int>(v) : c->defecto.toInt()));
    return true;
}

bool frmInicial::eventFilter(QObject* objeto, QEvent* e) {
    const int caja = indiceDeCaja(objeto);
    if (caja < 0 || !G().libTORVA) return QMainWindow::eventFilter(objeto, e);
    kesa5::LibTORVA& lib = *G().libTORVA;
    switch (e->type()) {
    case QEvent::FocusIn:
        lib.Resalta(objeto);
        break;
    case QEvent::FocusOut:
        if (!ValidaDato(caja)) {
            QLineEdit* box = txtDato[caja];
            QTimer::singleShot(0, box, [box] { box->setFocus(); });
        }
        break;
    case QEvent::KeyPress: {
        auto* tecla = static_cast<QKeyEvent*>(e);
        int codigo = tecla->key();
        lib.Teclas(codigo);
        if (codigo == Qt::Key_Tab && tecla->key() != Qt::Key_Tab) {
            focusNextChild();
            return true;
        }
        if (codigo == 0) return true;
        const QString texto = tecla->text();
        if (texto.size() == 1 && !(tecla->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            int caracter = texto[0].unicode();
            const int original = caracter;
            const Claves::Clave* c = Claves::deCaja(caja);
            lib.Enter(caracter, c ? c->mascara : QStringLiteral("X"));
            if (caracter == 0) return true;
            if (caracter != original) {
                txtDato[caja]->insert(QString(QChar(caracter)));
                return true;
            }
        }
        break;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(objeto, e);
}

// ---------------------------------------------------------------- the window's side of the send and settings

QString frmInicial::dato(int indice) const {
    switch (indice) {
    case Claves::kCajaCifradoWeb: return QString::number(cmbCifradoWeb->currentIndex());
    case Claves::kCajaCertificadoCAWeb: return txtCertificadoCAWeb->text();
    case Claves::kCajaCifradoFTP: return QString::number(cmbCifradoFTP->currentIndex());
    case Claves::kCajaCertificadoCAFTP: return txtCertificadoCAFTP->text();
    default: return txtDato.at(static_cast<size_t>(indice))->text();
    }
}
void frmInicial::setDato(int indice, const QString& texto) {
    switch (indice) {
    case Claves::kCajaCifradoWeb: cmbCifradoWeb->setCurrentIndex(std::clamp(texto.toInt(), 0, 2)); break;
    case Claves::kCajaCertificadoCAWeb: txtCertificadoCAWeb->setText(texto); break;
    case Claves::kCajaCifradoFTP: cmbCifradoFTP->setCurrentIndex(std::clamp(texto.toInt(), 0, 2)); break;
    case Claves::kCajaCertificadoCAFTP: txtCertificadoCAFTP->setText(texto); break;
    default: txtDato.at(static_cast<size_t>(indice))->setText(texto);
    }
}
void frmInicial::setTemporizador(bool activo) {
    if (activo && !enviando_) Timer1->start();
    else if (!activo) Timer1->stop();
}
void frmInicial::setInfo(const QString& texto) { lblInfo->setText(texto); }
void frmInicial::setImagenesVisible(bool visible) { chkImagenes->setVisible(visible); }
void frmInicial::setImagenesMarcada(bool marcada) { chkImagenes->setChecked(marcada); }
int frmInicial::lineasCuenta() const { return lstLineas->count(); }
qint64 frmInicial::lineaId(int indice) const { return lstLineas->item(indice)->data(Qt::UserRole).toLongLong(); }
bool frmInicial::lineaMarcada(int indice) const { return lstLineas->item(indice)->checkState() == Qt::Checked; }
void frmInicial::setLineaMarcada(int indice, bool marcada) {
    lstLineas->item(indice)->setCheckState(marcada ? Qt::Checked : Qt::Unchecked);
}
void frmInicial::agregaLinea(qint64 id, const QString& nombre) {
    const QSignalBlocker bloqueo(lstLineas);
    auto* item = new QListWidgetItem(QString(5, QLatin1Char(' ')) + nombre, lstLineas);
    item->setData(Qt::UserRole, id);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
}
void frmInicial::setLabel4(const QString& texto) { Label4->setText(texto); }
// The send's events, with the texts the window has always shown for them.
void frmInicial::envioIniciado() {
    cmdLeerAhora->setText(kInterrumpir);
    Label3->clear();
    Label5->clear();
    Label5->setVisible(true);
    Label3->setVisible(true);
}
void frmInicial::loteIniciado(int n, int m, const QString& clave, const QString& descripcion) {
    Label3->setText(TextosEnvio::ProductoEnCurso(clave, descripcion));
    Label5->setText(TextosEnvio::ContadorEnCurso(n, m));
}
void frmInicial::loteEscrito(int n, int m, const QString& clave, const QString& descripcion) {
    Label3->setText(TextosEnvio::ProductoEscrito(clave, descripcion));
    Label5->setText(TextosEnvio::ContadorEscrito(n, m));
}
void frmInicial::envioTerminado(const ResultadoEnvio&) {
    cmdLeerAhora->setText(kEnviarAhora);
    Label3->setVisible(false);
    Label5->setVisible(false);
}
void frmInicial::setPorcenVisible(bool visible) { pctPorcen_->setVisible(visible); }
QObject* frmInicial::pctPorcen() { return pctPorcen_; }
void frmInicial::procesarEventos() { QCoreApplication::processEvents(); }
