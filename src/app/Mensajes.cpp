#include "app/Mensajes.h"

#include "platform/ValorNumerico.h"
#include "servicelib/Categorias.h"
#include "servicelib/Compartidos.h"
#include "servicelib/Dialogos.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <cmath>
#include <memory>

int Mensaje(const QString& prompt, int botones, const QString& titulo, const QString&, int, int extra) {
    G().Utilerias->ElMenu = QApplication::activeWindow();
    return G().Utilerias->MsgBoxSkn(prompt, botones, titulo, extra);
}

bool Pregunta(const QString& prompt, const QString& titulo, bool segundoBotonPorDefecto) {
    const int botones = 36 + (segundoBotonPorDefecto ? 256 : 0);
    return Mensaje(prompt, botones, titulo, QString(), 0, 0) == Dialogos::ResultYes;
}

namespace {
// The box for a prompt with the classic button and icon flags.
QMessageBox* nuevaCaja(QWidget* ventana, const QString& prompt, int botones, const QString& titulo) {
    auto* caja = new QMessageBox(ventana);
    caja->setWindowTitle(titulo.isEmpty() ? Dialogos::tituloPrograma() : titulo);
    QString texto = prompt;
    caja->setTextFormat(Qt::PlainText);  // messages may carry data or a server's words
    caja->setText(texto.replace(QLatin1Char('\r'), QLatin1Char('\n')));
    switch (botones & 0x70) {
    case Dialogos::Critical: caja->setIcon(QMessageBox::Critical); break;
    case Dialogos::Question: caja->setIcon(QMessageBox::Question); break;
    case Dialogos::Exclamation: caja->setIcon(QMessageBox::Warning); break;
    case Dialogos::Information: caja->setIcon(QMessageBox::Information); break;
    default: break;
    }
    if ((botones & 7) == Dialogos::YesNo) {
        caja->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        caja->button(QMessageBox::Yes)->setText(QStringLiteral("Sí"));
        caja->button(QMessageBox::No)->setText(QStringLiteral("No"));
        caja->setDefaultButton((botones & Dialogos::DefaultButton2) ? QMessageBox::No : QMessageBox::Yes);
    } else {
        caja->setStandardButtons(QMessageBox::Ok);
    }
    return caja;
}

int resultadoDe(const QMessageBox& caja, int botones) {
    if ((botones & 7) != Dialogos::YesNo) return Dialogos::ResultOk;
    return caja.clickedButton() == caja.button(QMessageBox::Yes) ? static_cast<int>(Dialogos::ResultYes)
                                                                  : static_cast<int>(Dialogos::ResultNo);
}
}

void InstalarRespondedorVentana(QWidget* ventana) {
    Dialogos::instalar([ventana](const QString& prompt, int botones, const QString& titulo) {
        std::unique_ptr<QMessageBox> caja(nuevaCaja(ventana, prompt, botones, titulo));
        caja->exec();
        return resultadoDe(*caja, botones);
    });
    // Shown window-modal and answered later: the event loop (and a send) goes on meanwhile.
    Dialogos::instalarDiferido(
        [ventana](const QString& prompt, int botones, const QString& titulo, Dialogos::AlResponder alResponder) {
            QMessageBox* caja = nuevaCaja(ventana, prompt, botones, titulo);
            caja->setAttribute(Qt::WA_DeleteOnClose);
            QObject::connect(caja, &QDialog::finished, caja,
                             [caja, botones, alResponder] { alResponder(resultadoDe(*caja, botones)); });
            caja->open();
            // Closing it (reject) answers No once; a box already answered and deleted is left alone.
            QPointer<QMessageBox> abierta(caja);
            return Dialogos::CajaAbierta{[abierta] {
                                             if (abierta && abierta->isVisible()) abierta->reject();
                                         },
                                         [abierta](const QString& texto) {
                                             if (abierta) abierta->setText(QString(texto).replace(u'\r', u'\n'));
                                         }};
        });
}

Dialogos::CajaAbierta PreguntaSinEsperar(const QString& prompt, const QString& titulo, bool segundoBotonPorDefecto,
                                         std::function<void(bool)> respuesta) {
    const int botones = 36 + (segundoBotonPorDefecto ? 256 : 0);
    return Dialogos::MsgBoxSinEsperar(prompt, botones, titulo,
                               [respuesta](int r) { respuesta(r == Dialogos::ResultYes); });
}

namespace {
double dpi(const QWidget* w) {
    const double d = w ? w->logicalDpiX() : 96.0;
    return d > 0 ? d : 96.0;
}

QString seccionDe(const QWidget& w) {
    const QString tag = w.property("tag").toString().trimmed();
    return tag.isEmpty() ? w.objectName().trimmed() : tag;
}

}

int PixelesATwips(int pixeles, const QWidget* w) { return static_cast<int>(std::lround(pixeles * 1440.0 / dpi(w))); }
int TwipsAPixeles(int twips, const QWidget* w) { return static_cast<int>(std::lround(twips * dpi(w) / 1440.0)); }

void GuardaPosicion(QWidget& ventana, bool conTamano) {
    const QString seccion = seccionDe(ventana);
    if (seccion.isEmpty()) return;
    const QRect marco = ventana.geometry();
    QList<kesa5::CambioIni> lugar{
        {seccion, QStringLiteral("Ventana"), ventana.windowTitle()},
        {seccion, QStringLiteral("Linea"), QString::number(PixelesATwips(ventana.y(), &ventana))},
        {seccion, QStringLiteral("Columna"), QString::number(PixelesATwips(ventana.x(), &ventana))}};
    if (conTamano) {
        lugar.append({seccion, QStringLiteral("Ancho"), QString::number(PixelesATwips(marco.width(), &ventana))});
        lugar.append({seccion, QStringLiteral("Alto"), QString::number(PixelesATwips(marco.height(), &ventana))});
    }
    // Windows save their place as they close, when nobody may see a box: a failure is only
    // noted (standard error by default).
    if (const QString error = G().libTORVA->EscribeIniVarias(lugar, G().ArchivoIni, false); !error.isEmpty())
        qCWarning(lcApp).noquote() << "No se guardó el lugar de la ventana." << error;
}

void RecuperaPosicion(QWidget& ventana, bool conTamano) {
    const QString seccion = seccionDe(ventana);
    int arriba = 0, izquierda = 0;
    if (!seccion.isEmpty()) {
        kesa5::LibTORVA& lib = *G().libTORVA;
        const QString& ini = G().ArchivoIni;
        const double linea = lib.ksVal(lib.LeeIni(seccion, QStringLiteral("Linea"), ini));
        const double columna = lib.ksVal(lib.LeeIni(seccion, QStringLiteral("Columna"), ini));
        const bool enRango = linea >= -32768 && linea <= 32767 && columna >= -32768 && columna <= 32767;
        arriba = enRango ? static_cast<int>(linea) : 0;
        izquierda = enRango ? static_cast<int>(columna) : 0;
        if (conTamano) {
            const auto ancho = ValorNumerico::entero16(lib.LeeIni(seccion, QStringLiteral("Ancho"), ini));
            const auto alto = ValorNumerico::entero16(lib.LeeIni(seccion, QStringLiteral("Alto"), ini));
            if (!ancho || !alto) {
                // A size that is not a number: the place read so far falls back to 0, 0.
                arriba = izquierda = 0;
            } else if (*ancho > 0 && *alto > 0) {
                ventana.resize(TwipsAPixeles(*ancho, &ventana), TwipsAPixeles(*alto, &ventana));
            }
        }
    }
    ventana.move(TwipsAPixeles(izquierda, &ventana), TwipsAPixeles(arriba, &ventana));
}
