#include "app/PestanaPrincipal.h"

#include "app/EtiquetaRecortada.h"
#include "app/Mensajes.h"
#include "app/PanelEnvios.h"
#include "servicelib/Compartidos.h"
#include "sync/TextosEnvio.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QVBoxLayout>
#include "app/ProgresoEnvio.h"
#include <QPushButton>
#include <algorithm>
#include <cmath>

namespace {
const QString kEnviarAhora = QStringLiteral("Enviar ahora");
const QString kInterrumpir = QStringLiteral("Interrumpir");
}

PestanaPrincipal::PestanaPrincipal(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PestanaPrincipal"));
    auto* capa = new QGridLayout(this);
    pctSkin = new QLabel(this);
    pctSkin->setObjectName(QStringLiteral("pctSkin"));
    pctSkin->setMinimumSize(TwipsAPixeles(4200, this), TwipsAPixeles(2400, this));
    pctSkin->setAlignment(Qt::AlignCenter);
    pctSkin->setText(
        QStringLiteral("<span style='color:white; font-size:18pt; font-weight:bold'>Moravi</span>"
                       "<br><span style='color:white'>productos en línea</span>"));
    capa->addWidget(pctSkin, 0, 0, 4, 1);

    cmdLeerAhora = new QPushButton(kEnviarAhora, this);
    cmdLeerAhora->setObjectName(QStringLiteral("cmdLeerAhora"));
    cmdMinimizar = new QPushButton(QStringLiteral("Ocultar"), this);
    cmdMinimizar->setObjectName(QStringLiteral("cmdMinimizar"));
    cmdMinimizar->setToolTip(QStringLiteral("Ocultar ventana, enviándola a la barra de tareas"));
    cmdTerminar = new QPushButton(QStringLiteral("Terminar"), this);
    cmdTerminar->setObjectName(QStringLiteral("cmdTerminar"));
    cmdTerminar->setToolTip(QStringLiteral("Cerrar el programa"));
    cmdConfigurar = new QPushButton(QStringLiteral("Configurar"), this);
    cmdConfigurar->setObjectName(QStringLiteral("cmdConfigurar"));
    for (QPushButton* b : {cmdLeerAhora, cmdMinimizar, cmdTerminar, cmdConfigurar})
        b->setMinimumSize(TwipsAPixeles(1695, this), TwipsAPixeles(615, this));
    capa->addWidget(cmdLeerAhora, 0, 1);
    capa->addWidget(cmdConfigurar, 1, 1);
    capa->addWidget(cmdMinimizar, 2, 1);
    capa->addWidget(cmdTerminar, 3, 1);

    auto* filaInfo = new QHBoxLayout;
    filaInfo->addWidget(new QLabel(QStringLiteral("Para envío de información faltan:"), this));
    lblInfo = new EtiquetaRecortada(this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    filaInfo->addWidget(lblInfo, 1);
    capa->addLayout(filaInfo, 4, 0, 1, 2);

    // Keys, descriptions and counts of any length: cut to the window's width, whole in the tooltip.
    Label5 = new EtiquetaRecortada(this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label3 = new EtiquetaRecortada(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label5->setVisible(false);
    Label3->setVisible(false);
    capa->addWidget(Label5, 5, 0, 1, 2);
    capa->addWidget(Label3, 6, 0, 1, 2);

    pctPorcen = new QProgressBar(this);
    pctPorcen->setObjectName(QStringLiteral("pctPorcen"));
    pctPorcen->setRange(0, 100);
    pctPorcen->setVisible(false);

    // The send's products done of the total, with the time left; shown only while one runs.
    barEnvio = new QProgressBar(this);
    barEnvio->setObjectName(QStringLiteral("barEnvio"));
    barEnvio->setTextVisible(true);
    barEnvio->setVisible(false);
    auto* barras = new QVBoxLayout;
    barras->addWidget(barEnvio);
    barras->addWidget(pctPorcen);
    capa->addLayout(barras, 7, 0, 1, 2);

    chkImagenes = new QCheckBox(QStringLiteral("Enviar archivos de imágenes"), this);
    chkImagenes->setObjectName(QStringLiteral("chkImagenes"));
    chkImagenes->setVisible(false);
    capa->addWidget(chkImagenes, 8, 0, 1, 2);

    lblError = new QLabel(this);
    lblError->setObjectName(QStringLiteral("lblError"));
    lblError->setWordWrap(true);
    lblError->setStyleSheet(QStringLiteral("color: #a00000"));
    lblError->setVisible(false);
    capa->addWidget(lblError, 9, 0, 1, 2);
    panelEnvios = new PanelEnvios(this);
    capa->addWidget(panelEnvios, 10, 0, 1, 2);
    capa->setRowStretch(10, 1);
}

void PestanaPrincipal::muestraProgreso(const ProgresoEnvio& p) {
    barEnvio->setVisible(p.enCurso());
    if (!p.enCurso()) return;
    // Until the first chunk is written the total is unknown: a bar that moves without a value.
    barEnvio->setRange(0, std::max(p.total(), 0));
    barEnvio->setValue(p.hechos());
    barEnvio->setFormat(p.Texto());
    barEnvio->setToolTip(p.Texto());
}

void PestanaPrincipal::envioIniciado() {
    cmdLeerAhora->setText(kInterrumpir);
    Label3->clear();
    Label5->clear();
    Label5->setVisible(true);
    Label3->setVisible(true);
}

void PestanaPrincipal::loteIniciado(int n, int m, const QString& clave, const QString& descripcion) {
    Label3->setText(TextosEnvio::ProductoEnCurso(clave, descripcion));
    Label5->setText(TextosEnvio::ContadorEnCurso(n, m));
}

void PestanaPrincipal::loteEscrito(int n, int m, const QString& clave, const QString& descripcion) {
    Label3->setText(TextosEnvio::ProductoEscrito(clave, descripcion));
    Label5->setText(TextosEnvio::ContadorEscrito(n, m));
}

void PestanaPrincipal::envioTerminado() {
    cmdLeerAhora->setText(kEnviarAhora);
    Label3->setVisible(false);
    Label5->setVisible(false);
}

void PestanaPrincipal::progresoImagen(int lCurrentBytes, int lTotalBytes) {
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
        if (G().DeControles) G().DeControles->BarraPorcentaje(pctPorcen, porcentaje);
    }
}

void PestanaPrincipal::muestraError(const QString& texto) {
    lblError->setText(texto);
    lblError->setVisible(true);
}

void PestanaPrincipal::ocultaError() { lblError->setVisible(false); }
