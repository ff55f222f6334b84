#pragma once
// A program folder of its own for each window test: the settings file, the product-line file
// and a point-of-sale installation folder, plus an answerer that records message boxes.
#include "servicelib/Dialogos.h"

#include <QDir>
#include <QList>
#include <QString>
#include <QTemporaryDir>

namespace prueba {

struct MensajeVisto {
    QString prompt;
    int botones;
    QString titulo;
};

class Respuestas {
public:
    Respuestas();
    ~Respuestas();
    QList<MensajeVisto> vistos;
    // Answers given in order; when they run out, OK for messages and No for questions.
    QList<int> siguientes;

private:
    Dialogos::Respondedor anterior_;
};

class CarpetaPrograma {
public:
    CarpetaPrograma();
    // The program makes its folder the current one; Windows cannot remove a folder that is a
    // process's current one, so the test's own is given back first.
    ~CarpetaPrograma() { QDir::setCurrent(actualAntes_); }
    CarpetaPrograma(const CarpetaPrograma&) = delete;
    CarpetaPrograma& operator=(const CarpetaPrograma&) = delete;
    QString ruta() const { return dir_.path(); }
    // The settings file is named after the executable (the test program here).
    QString ini() const;
    QString host() const { return dir_.filePath(QStringLiteral("sartenal")); }
    // Makes host() a point-of-sale installation with these [S0W] lines, and points the
    // settings file at it.
    void creaHost(const QString& lineasS0W);
    void escribe(const QString& seccion, const QString& clave, const QString& valor) const;
    QString lee(const QString& seccion, const QString& clave) const;
    QString leeS0W(const QString& clave) const;

private:
    QString actualAntes_ = QDir::currentPath();
    QTemporaryDir dir_;
    QTemporaryDir config_;  // XDG_CONFIG_HOME for the autostart entry
};

}
