#include "platform/LibTORVAQt.h"

#include "platform/ArchivoIniTexto.h"
#include "platform/ValorNumerico.h"

#include <QMetaObject>
#include <QObject>

QString LibTORVAQt::LeeIni(const QString& seccion, const QString& clave, const QString& archivo) {
    return ArchivoIniTexto::lee(archivo, seccion, clave);
}

void LibTORVAQt::EscribeIni(const QString& seccion, const QString& clave, const QString& valor,
                            const QString& archivo) {
    EscribeIniVarias({kesa5::CambioIni{seccion, clave, valor}}, archivo, false);
}

QString LibTORVAQt::EscribeIniVarias(const QList<kesa5::CambioIni>& cambios, const QString& archivo, bool soloEstos) {
    return ArchivoIniTexto::escribeVarias(archivo, cambios, ArchivoIniTexto::Permisos::SoloDueno, soloEstos);
}

bool LibTORVAQt::LeeSeccionIni(const QString& seccion, const QString& archivo, QList<QPair<QString, QString>>& claves,
                               QString& error) {
    return ArchivoIniTexto::leeSeccion(archivo, seccion, claves, error);
}

double LibTORVAQt::ksVal(const QString& texto) { return ValorNumerico::val(texto); }

void LibTORVAQt::Resalta(QObject* caja) {
    if (caja) QMetaObject::invokeMethod(caja, "selectAll", Qt::QueuedConnection);
}

void LibTORVAQt::Teclas(int& codigoTecla) {
    // Enter in a settings box moves on to the next box, as Tab does.
    if (codigoTecla == Qt::Key_Return || codigoTecla == Qt::Key_Enter) codigoTecla = Qt::Key_Tab;
}

void LibTORVAQt::Enter(int& caracter, const QString& mascara) {
    if (caracter < 32) {  // control characters (backspace, tab) always pass; Enter is taken by Teclas
        if (caracter == 13) caracter = 0;
        return;
    }
    const QChar c(caracter);
    if (mascara == QStringLiteral("9")) {
        if (!(c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('+') || c == QLatin1Char('.'))) caracter = 0;
    } else if (mascara == QStringLiteral("¡")) {
        // Names of databases and tables: letters, digits and the few signs MySQL takes unquoted.
        if (!(c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c == QLatin1Char('-')))
            caracter = 0;
    }
}
