#include "servicelib/Dialogos.h"

#include <cstdio>

namespace Dialogos {
namespace {
Respondedor& actual() {
    static Respondedor r;
    return r;
}
}

Respondedor instalar(Respondedor r) {
    Respondedor anterior = std::move(actual());
    actual() = std::move(r);
    return anterior;
}

int respuestaPorDefecto(int buttons) {
    return (buttons & 7) == YesNo ? ResultNo : ResultOk;
}

int MsgBox(const QString& prompt, int buttons, const QString& title) {
    if (actual()) return actual()(prompt, buttons, title);
    QString texto = prompt;
    texto.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    std::fprintf(stderr, "[%s] %s\n", qUtf8Printable(title), qUtf8Printable(texto));
    return respuestaPorDefecto(buttons);
}

QString tituloPrograma() { return QStringLiteral("moravi"); }

}
