#include "support/Permisos.h"

#include <QByteArray>
#include <QDir>
#include <QStringList>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

namespace prueba {
namespace {
std::wstring ancha(const QString& ruta) { return QDir::toNativeSeparators(ruta).toStdWString(); }

QString texto(PSID sid) {
    wchar_t* s = nullptr;
    if (!ConvertSidToStringSidW(sid, &s)) return QStringLiteral("(SID ilegible)");
    const QString r = QString::fromWCharArray(s);
    LocalFree(s);
    return r;
}

// The current user's SID, in the buffer that holds it.
QByteArray usuario() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    DWORD largo = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &largo);
    QByteArray datos(static_cast<qsizetype>(largo), '\0');
    const bool leido = GetTokenInformation(token, TokenUser, datos.data(), largo, &largo);
    CloseHandle(token);
    return leido ? datos : QByteArray();
}

// The file's security descriptor (owner and DACL); free with LocalFree.
PSECURITY_DESCRIPTOR descriptor(const QString& archivo, PACL* lista) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    const DWORD r = GetNamedSecurityInfoW(ancha(archivo).c_str(), SE_FILE_OBJECT,
                                          OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                          lista, nullptr, &sd);
    return r == ERROR_SUCCESS ? sd : nullptr;
}
}

QString OtrosConAcceso(const QString& archivo) {
    PACL lista = nullptr;
    PSECURITY_DESCRIPTOR sd = descriptor(archivo, &lista);
    if (!sd) return QStringLiteral("(no se pudo leer la DACL)");
    const QByteArray yo = usuario();
    PSID propio = yo.isEmpty() ? nullptr : reinterpret_cast<const TOKEN_USER*>(yo.constData())->User.Sid;
    QStringList otros;
    if (!lista) otros << QStringLiteral("todos (sin DACL)");
    for (DWORD i = 0; lista && i < lista->AceCount; ++i) {
        ACE_HEADER* cabecera = nullptr;
        if (!GetAce(lista, i, reinterpret_cast<void**>(&cabecera)) || cabecera->AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(cabecera);
        PSID sid = &ace->SidStart;
        ACCESS_MASK acceso = ace->Mask;
        GENERIC_MAPPING archivos{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
        MapGenericMask(&acceso, &archivos);
        if (!(acceso & (FILE_READ_DATA | FILE_WRITE_DATA | FILE_APPEND_DATA))) continue;
        if ((propio && EqualSid(sid, propio)) || IsWellKnownSid(sid, WinLocalSystemSid)) continue;
        otros << QStringLiteral("%1 (0x%2)").arg(texto(sid)).arg(acceso, 0, 16);
    }
    LocalFree(sd);
    return otros.join(QStringLiteral(", "));
}

bool AbreALaLectura(const QString& archivo) {
    PACL lista = nullptr;
    PSECURITY_DESCRIPTOR sd = descriptor(archivo, &lista);
    if (!sd) return false;
    SID_IDENTIFIER_AUTHORITY mundo = SECURITY_WORLD_SID_AUTHORITY;
    PSID todos = nullptr;
    bool bien = AllocateAndInitializeSid(&mundo, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &todos);
    PACL nueva = nullptr;
    if (bien) {
        EXPLICIT_ACCESS_W acceso{};
        acceso.grfAccessPermissions = FILE_GENERIC_READ;
        acceso.grfAccessMode = GRANT_ACCESS;
        acceso.grfInheritance = NO_INHERITANCE;
        acceso.Trustee.TrusteeForm = TRUSTEE_IS_SID;
        acceso.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
        acceso.Trustee.ptstrName = static_cast<LPWSTR>(todos);
        std::wstring ruta = ancha(archivo);
        bien = SetEntriesInAclW(1, &acceso, lista, &nueva) == ERROR_SUCCESS &&
               SetNamedSecurityInfoW(ruta.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nueva,
                                     nullptr) == ERROR_SUCCESS;
    }
    LocalFree(nueva);
    FreeSid(todos);
    LocalFree(sd);
    return bien;
}

QString Acceso(const QString& archivo) {
    PACL lista = nullptr;
    PSECURITY_DESCRIPTOR sd = descriptor(archivo, &lista);
    if (!sd) return QStringLiteral("(no se pudo leer la DACL)");
    wchar_t* s = nullptr;
    QString r = ConvertSecurityDescriptorToStringSecurityDescriptorW(
                    sd, SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &s, nullptr)
                    ? QString::fromWCharArray(s)
                    : QStringLiteral("(DACL ilegible)");
    LocalFree(s);
    LocalFree(sd);
    return r;
}
}
