#include "servicelib/Dialogos.h"

#include "servicelib/TextoImprimible.h"

#include <QStringList>
#include <cstdio>

namespace Dialogos {
namespace {
Respondedor& actual() {
    static Respondedor r;
    return r;
}

RespondedorDiferido& diferido() {
    static RespondedorDiferido r;
    return r;
}
}

Respondedor instalar(Respondedor r) {
    Respondedor anterior = std::move(actual());
    actual() = std::move(r);
    diferido() = nullptr;  // the answerer just installed answers every question
    return anterior;
}

RespondedorDiferido instalarDiferido(RespondedorDiferido r) {
    RespondedorDiferido anterior = std::move(diferido());
    diferido() = std::move(r);
    return anterior;
}

CajaAbierta MsgBoxSinEsperar(const QString& prompt, int buttons, const QString& title, AlResponder alResponder) {
    if (diferido()) return diferido()(prompt, buttons, title, std::move(alResponder));
    alResponder(MsgBox(prompt, buttons, title));
    return {};
}

int respuestaPorDefecto(int buttons) {
    return (buttons & 7) == YesNo ? ResultNo : ResultOk;
}

int MsgBox(const QString& prompt, int buttons, const QString& title) {
    if (actual()) return actual()(prompt, buttons, title);
    // The box's own line breaks stay line breaks; any other control character (from a path or a
    // server's words inside the message) is written out, so it cannot act on the terminal.
    QStringList lineas = QString(prompt).replace(QLatin1Char('\r'), QLatin1Char('\n')).split(QLatin1Char('\n'));
    for (QString& l : lineas) l = TextoImprimible(l);
    std::fprintf(stderr, "[%s] %s\n", qUtf8Printable(TextoImprimible(title)), qUtf8Printable(lineas.join(u'\n')));
    return respuestaPorDefecto(buttons);
}

QString tituloPrograma() { return QStringLiteral("moravi"); }

}
