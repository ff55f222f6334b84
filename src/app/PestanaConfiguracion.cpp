#include "app/PestanaConfiguracion.h"

#include "app/Mensajes.h"
#include "app/PruebaConexiones.h"
#include "config/ClavesConfiguracion.h"
#include "config/ValidaAjuste.h"
#include "servicelib/Compartidos.h"
#include "servicelib/CrearObjeto.h"
#include "servicelib/Dialogos.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {
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
    QObject::connect(c, &QComboBox::currentIndexChanged, certificado,
                     [certificado](int i) { certificado->setEnabled(i == 2); });
    return c;
}

}

PestanaConfiguracion::PestanaConfiguracion(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PestanaConfiguracion"));
    QWidget* pagina = this;
    auto* fila = new QHBoxLayout(pagina);
    auto* panel = new QFrame(pagina);
    panel->setObjectName(QStringLiteral("Picture1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFocusPolicy(Qt::StrongFocus);
    Picture1 = panel;
    // On a small screen (1024x768) the panel scrolls rather than making the window too tall.
    auto* desplazable = new QScrollArea(pagina);
    desplazable->setObjectName(QStringLiteral("desplazablePicture1"));
    desplazable->setWidgetResizable(true);
    desplazable->setFrameShape(QFrame::NoFrame);
    desplazable->setWidget(panel);
    fila->addWidget(desplazable, 1);

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
    txtPrefijoWeb = new QLineEdit;
    txtPrefijoWeb->setObjectName(QStringLiteral("txtPrefijoWeb"));
    g->addWidget(etiqueta("Prefijo de tablas WEB:"), r, 0);
    g->addWidget(txtPrefijoWeb, r++, 1);
    g->addWidget(etiqueta("Puerto:"), r, 0);
    g->addWidget(txtDato[7], r++, 1);
    // A server's user and password, then its encryption and CA file: the shop's and the FTP's.
    const auto credenciales = [&](QLineEdit* usuario, QLineEdit* clave, QComboBox* cifrado, QLineEdit* ca,
                                  const char* textoCifrado, const char* textoCA) {
        g->addWidget(etiqueta("Usuario:"), r, 0);
        g->addWidget(usuario, r, 1);
        g->addWidget(etiqueta("Contraseña:"), r, 2);
        g->addWidget(clave, r++, 3);
        g->addWidget(etiqueta(textoCifrado), r, 0);
        g->addWidget(cifrado, r++, 1, 1, 3);
        g->addWidget(etiqueta(textoCA), r, 0);
        g->addWidget(ca, r++, 1, 1, 3);
    };
    cmbCifradoWeb =
        nuevoCifrado(QStringLiteral("cmbCifradoWeb"), txtCertificadoCAWeb, QStringLiteral("txtCertificadoCAWeb"));
    credenciales(txtDato[3], txtDato[5], cmbCifradoWeb, txtCertificadoCAWeb, "Cifrado de la conexión:", "Certificado CA:");
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
    cmbCifradoFTP =
        nuevoCifrado(QStringLiteral("cmbCifradoFTP"), txtCertificadoCAFTP, QStringLiteral("txtCertificadoCAFTP"));
    credenciales(txtDato[14], txtDato[15], cmbCifradoFTP, txtCertificadoCAFTP, "Cifrado del FTP:",
                 "Certificado CA del FTP:");
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
    QWidget* orden[] = {
        txtDato[0],  txtDato[1],          txtDato[4],    txtDato[2],          txtPrefijoWeb, txtDato[7],  txtDato[3],
        txtDato[5],  cmbCifradoWeb,       txtCertificadoCAWeb, lstLineas,   txtDato[18],   txtDato[12], txtDato[13],
        txtDato[14], txtDato[15],         cmbCifradoFTP, txtCertificadoCAFTP, chkVerPass,  cmdTodas,    cmdNoTodas};
    for (size_t i = 1; i < std::size(orden); ++i) setTabOrder(orden[i - 1], orden[i]);

    connect(chkVerPass, &QCheckBox::clicked, this, &PestanaConfiguracion::chkVerPass_Click);
    connect(cmdProbar, &QPushButton::clicked, this, &PestanaConfiguracion::cmdProbar_Click);
}

QString PestanaConfiguracion::dato(int indice) const {
    switch (indice) {
    case Claves::kCajaCifradoWeb: return QString::number(cmbCifradoWeb->currentIndex());
    case Claves::kCajaCertificadoCAWeb: return txtCertificadoCAWeb->text();
    case Claves::kCajaCifradoFTP: return QString::number(cmbCifradoFTP->currentIndex());
    case Claves::kCajaCertificadoCAFTP: return txtCertificadoCAFTP->text();
    case Claves::kCajaPrefijoWeb: return txtPrefijoWeb->text();
    default: return txtDato.at(static_cast<size_t>(indice))->text();
    }
}
void PestanaConfiguracion::setDato(int indice, const QString& texto) {
    switch (indice) {
    case Claves::kCajaCifradoWeb: cmbCifradoWeb->setCurrentIndex(std::clamp(texto.toInt(), 0, 2)); break;
    case Claves::kCajaCertificadoCAWeb: txtCertificadoCAWeb->setText(texto); break;
    case Claves::kCajaCifradoFTP: cmbCifradoFTP->setCurrentIndex(std::clamp(texto.toInt(), 0, 2)); break;
    case Claves::kCajaCertificadoCAFTP: txtCertificadoCAFTP->setText(texto); break;
    case Claves::kCajaPrefijoWeb: txtPrefijoWeb->setText(texto); break;
    default: txtDato.at(static_cast<size_t>(indice))->setText(texto);
    }
}
int PestanaConfiguracion::lineasCuenta() const { return lstLineas->count(); }
qint64 PestanaConfiguracion::lineaId(int indice) const {
    return lstLineas->item(indice)->data(Qt::UserRole).toLongLong();
}
bool PestanaConfiguracion::lineaMarcada(int indice) const {
    return lstLineas->item(indice)->checkState() == Qt::Checked;
}
void PestanaConfiguracion::setLineaMarcada(int indice, bool marcada) {
    lstLineas->item(indice)->setCheckState(marcada ? Qt::Checked : Qt::Unchecked);
}
void PestanaConfiguracion::agregaLinea(qint64 id, const QString& nombre) {
    const QSignalBlocker bloqueo(lstLineas);
    auto* item = new QListWidgetItem(QString(5, QLatin1Char(' ')) + nombre, lstLineas);
    item->setData(Qt::UserRole, id);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
}
int PestanaConfiguracion::indiceDeCaja(QObject* objeto) const {
    for (int i = 0; i < 19; ++i)
        if (txtDato[i] == objeto) return i;
    return -1;
}
bool PestanaConfiguracion::ValidaDato(int indice) {
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
void PestanaConfiguracion::chkVerPass_Click() {
    for (int i = 0; i < 19; ++i)
        if (const Claves::Clave* c = Claves::deCaja(i); c && c->secreta)
            txtDato[i]->setEchoMode(chkVerPass->isChecked() ? QLineEdit::Normal : QLineEdit::Password);
}
bool PestanaConfiguracion::ListaParaGrabar() {
    // A click reaches the button even while box 1 keeps the focus back: an interval out of its
    // range is never saved.
    if (!ValidaDato(1)) {
        txtDato[1]->setFocus();
        return false;
    }
    // A CA file that is not there would only fail at the next send: say so now, save nothing.
    for (QLineEdit* caja : {txtCertificadoCAWeb, txtCertificadoCAFTP})
        if (const auto problema = ValidaAjuste::problemaCertificado(caja->text())) {
            Dialogos::MsgBox(*problema + QStringLiteral(". No se grabó nada."), Dialogos::Exclamation,
                             QStringLiteral("Datos incorrectos"));
            caja->setFocus();
            return false;
        }
    // A prefix that is no table prefix would only fail at the next send.
    QString motivo;
    if (!ValidaAjuste::validaEntrada(*Claves::busca(Claves::kPrefijoWeb), txtPrefijoWeb->text(), motivo)) {
        Dialogos::MsgBox(QStringLiteral("El prefijo de tablas WEB «%1» no es válido: %2. No se grabó nada.")
                             .arg(txtPrefijoWeb->text(), motivo),
                         Dialogos::Exclamation, QStringLiteral("Datos incorrectos"));
        txtPrefijoWeb->setFocus();
        return false;
    }
    return true;
}

void PestanaConfiguracion::cmdProbar_Click() {
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
    // The point of sale as the next send would reach it: S0W.ini's server, box 0's database.
    std::shared_ptr<kesa5::BasesDD> host;
    CrearObjeto(host, QStringLiteral("BasesDD"));
    if (!host || !G().BasesDD) return;
    const kesa5::BasesDD& compartida = *G().BasesDD;
    host->cRuta = compartida.cRuta;
    host->cPuerto = compartida.cPuerto;
    host->cUsuario = compartida.cUsuario;
    host->cPassword = compartida.cPassword;
    host->cMiBase = txtDato[0]->text();
    const PruebaConexiones p = PruebaConexiones::Prueba(*prueba, *host);
    if (p.correcta())
        Dialogos::MsgBox(p.texto, Dialogos::Information, QStringLiteral("Datos correctos"));
    else
        Dialogos::MsgBox(p.texto, Dialogos::Critical, QStringLiteral("Datos incorrectos"));
}
bool PestanaConfiguracion::eventFilter(QObject* objeto, QEvent* e) {
    const int caja = indiceDeCaja(objeto);
    if (caja < 0 || !G().libTORVA) return QWidget::eventFilter(objeto, e);
    kesa5::LibTORVA& lib = *G().libTORVA;
    switch (e->type()) {
    case QEvent::FocusIn: lib.Resalta(objeto); break;
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
    default: break;
    }
    return QWidget::eventFilter(objeto, e);
}
