#include "platform/Registrar.h"

#include "platform/BasesDDMySQL.h"
#include "platform/DeArchivosQt.h"
#include "platform/DelRegistroS0W.h"
#include "platform/LibTORVAQt.h"
#include "platform/ObjetosMenores.h"
#include "platform/UtileriasQt.h"
#include "servicelib/CrearObjeto.h"

namespace {
template <class T>
void reg(const char* clase) {
    Registro::registrar(QStringLiteral("kesa5.") + QString::fromLatin1(clase), [] { return std::make_shared<T>(); });
}
}

void RegistrarPlataforma() {
    reg<LibTORVAQt>("libTORVA");
    reg<BasesDDMySQL>("BasesDD");
    reg<DeEquipoQt>("DeEquipo");
    reg<UtileriasQt>("Utilerias");
    reg<DeArchivosQt>("DeArchivos");
    reg<DelRegistroS0W>("DelRegistro");
    reg<DeControlesQt>("DeControles");
    reg<EfectosQt>("Efectos");
}
