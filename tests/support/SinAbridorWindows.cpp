#include "support/SinAbridor.h"

#include <windows.h>

namespace prueba {
namespace {
std::wstring clave(const QString& extension) { return L"Software\\Classes\\" + extension.toStdWString(); }
const wchar_t kSinPrograma[] = L"Moravi.Prueba.SinPrograma";
}

// The extension's default value in the user's classes, which comes before the machine's.
SinAbridor::SinAbridor(const QString& extension) : extension_(extension) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, clave(extension_).c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &k,
                        nullptr) != ERROR_SUCCESS)
        return;
    wchar_t valor[256] = {};
    DWORD largo = sizeof valor - sizeof(wchar_t);
    habia_ = RegQueryValueExW(k, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(valor), &largo) == ERROR_SUCCESS;
    if (habia_) anterior_ = QString::fromWCharArray(valor).toUtf8();
    RegSetValueExW(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kSinPrograma), sizeof kSinPrograma);
    RegCloseKey(k);
    // Windows merges the user's classes into HKEY_CLASSES_ROOT; Wine 8 shows only the machine's there.
    wchar_t visto[256] = {};
    largo = sizeof visto;
    RegGetValueW(HKEY_CLASSES_ROOT, extension_.toStdWString().c_str(), nullptr, RRF_RT_REG_SZ, nullptr, visto, &largo);
    if (std::wstring(visto) != kSinPrograma)
        porQueNo_ = QStringLiteral("este sistema no toma las clases del usuario (HKCU\\Software\\Classes) en "
                                   "HKEY_CLASSES_ROOT, como Windows, y %1 sigue abriéndose como \"%2\"")
                        .arg(extension_, QString::fromWCharArray(visto));
}

SinAbridor::~SinAbridor() {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, clave(extension_).c_str(), 0, KEY_WRITE, &k) != ERROR_SUCCESS) return;
    if (habia_) {
        const std::wstring v = QString::fromUtf8(anterior_).toStdWString();
        RegSetValueExW(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                       static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
    } else {
        RegDeleteValueW(k, nullptr);
    }
    RegCloseKey(k);
}
}
