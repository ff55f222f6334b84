#include "platform/UtileriasQt.h"

#include "platform/Mezcla.h"
#include "servicelib/Dialogos.h"

QString UtileriasQt::Encripta(const QString& texto) { return Mezcla::encripta(texto); }
QString UtileriasQt::DesEncripta(const QString& texto) { return Mezcla::desencripta(texto); }

int UtileriasQt::MsgBoxSkn(const QString& prompt, int botones, const QString& titulo, int) {
    // The skinned box is drawn by the window's answerer; ElMenu only names the owner.
    return Dialogos::MsgBox(prompt, botones, titulo);
}
