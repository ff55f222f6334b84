#include "servicelib/ArchivoSistema.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>

#include <windows.h>
#include <aclapi.h>
#include <io.h>

namespace ArchivoSistema {
namespace {
QString motivo(DWORD codigo = GetLastError()) {
    wchar_t* texto = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   codigo, 0, reinterpret_cast<wchar_t*>(&texto), 0, nullptr);
    QString r = texto ? QString::fromWCharArray(texto).trimmed() : QString();
    LocalFree(texto);
    return QStringLiteral("%1 (código %2)").arg(r).arg(codigo);
}

HANDLE manejador(QFileDevice& archivo) { return reinterpret_cast<HANDLE>(_get_osfhandle(archivo.handle())); }

std::wstring ancha(const QString& ruta) { return QDir::toNativeSeparators(ruta).toStdWString(); }
}

// Files on Windows belong to whoever creates them; the user running the program keeps them.
void ConservaDueno(QFileDevice&, const QString&) {}

// A protected DACL with one entry, full control for the current user: no inherited access for
// the folder's other users (Users, a shared program folder). Administrators and SYSTEM keep
// what their privileges give them. Full control holds DELETE: the user may replace and remove
// his own file.
QString SoloDueno(QFileDevice& archivo) { return CierraAOtros(archivo.fileName()); }

QString CierraAOtros(const QString& archivo) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return motivo();
    DWORD largo = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &largo);
    QByteArray datos(static_cast<qsizetype>(largo), '\0');
    const bool leido = GetTokenInformation(token, TokenUser, datos.data(), largo, &largo);
    const DWORD error = GetLastError();
    CloseHandle(token);
    if (!leido) return motivo(error);
    PSID usuario = reinterpret_cast<TOKEN_USER*>(datos.data())->User.Sid;

    EXPLICIT_ACCESS_W acceso{};
    acceso.grfAccessPermissions = GENERIC_ALL;
    acceso.grfAccessMode = SET_ACCESS;
    acceso.grfInheritance = NO_INHERITANCE;
    acceso.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    acceso.Trustee.TrusteeType = TRUSTEE_IS_USER;
    acceso.Trustee.ptstrName = static_cast<LPWSTR>(usuario);
    PACL lista = nullptr;
    if (const DWORD r = SetEntriesInAclW(1, &acceso, nullptr, &lista); r != ERROR_SUCCESS) return motivo(r);
    // By name: Qt's handle is not opened with the right to change the file's DACL.
    std::wstring ruta = ancha(archivo);
    const DWORD r = SetNamedSecurityInfoW(ruta.data(), SE_FILE_OBJECT,
                                          DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                          nullptr, lista, nullptr);
    LocalFree(lista);
    return r == ERROR_SUCCESS ? QString() : motivo(r);
}

// The old file's DACL as it stands, its own entries and whether it takes the folder's.
QString ConservaAcceso(QFileDevice& nuevo, const QString& viejo) {
    if (!nuevo.setPermissions(QFile::permissions(viejo))) return nuevo.errorString();
    PACL lista = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (const DWORD r = GetNamedSecurityInfoW(ancha(viejo).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                              nullptr, &lista, nullptr, &descriptor);
        r != ERROR_SUCCESS)
        return motivo(r);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    const SECURITY_INFORMATION que = DACL_SECURITY_INFORMATION | ((control & SE_DACL_PROTECTED)
                                                                      ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                      : UNPROTECTED_DACL_SECURITY_INFORMATION);
    std::wstring ruta = ancha(nuevo.fileName());
    const DWORD r = SetNamedSecurityInfoW(ruta.data(), SE_FILE_OBJECT, que, nullptr, nullptr, lista, nullptr);
    LocalFree(descriptor);
    return r == ERROR_SUCCESS ? QString() : motivo(r);
}

QString Sincroniza(QFileDevice& archivo) { return FlushFileBuffers(manejador(archivo)) ? QString() : motivo(); }

QString Sustituye(const QString& nuevo, const QString& destino) {
    // Wide-character paths: a folder like "C:\Users\José Núñez" never goes through the ANSI code page.
    return MoveFileExW(ancha(nuevo).c_str(), ancha(destino).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? QString()
               : motivo();
}
}
