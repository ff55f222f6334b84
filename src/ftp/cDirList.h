#pragma once
// The entries of a remote listing, in the order they were added, found again by position
// (from 1) or by name regardless of case.
#include "ftp/cDirItem.h"

#include <QHash>
#include <QString>
#include <deque>

class clsFTP;

class cDirList {
public:
    // Attribute bits read by Add.
    enum : int {
        AtributoSoloLectura = 0x1, AtributoOculto = 0x2, AtributoSistema = 0x4, AtributoCarpeta = 0x10,
        AtributoArchivo = 0x20, AtributoNormal = 0x80, AtributoTemporal = 0x100, AtributoComprimido = 0x800,
        AtributoFueraDeLinea = 0x1000,
    };

    // Throws std::invalid_argument when an entry of that name (regardless of case) is present.
    cDirItem& Add(int lAttrib, double dtCreationTime, double dtLastAccessTime, double dtLastWriteTime,
                  int lFileSize, const QString& sFilename);
    void Clear();
    // Throws std::out_of_range when there is no such position or name.
    cDirItem& Item(int Index);
    cDirItem& Item(const QString& Index);
    const cDirItem& Item(int Index) const;
    const cDirItem& Item(const QString& Index) const;
    int Count() const;

    // For-each in the order of addition.
    auto begin() { return elementos_.begin(); }
    auto end() { return elementos_.end(); }
    auto begin() const { return elementos_.cbegin(); }
    auto end() const { return elementos_.cend(); }

private:
    // The listing keeps a second entry whose name differs from an earlier one only in case
    // (a case-sensitive server can hold both): it is reached by position and in for-each,
    // while Item by name finds the earlier one.
    friend class clsFTP;
    cDirItem& agrega(int lAttrib, double dtCreationTime, double dtLastAccessTime, double dtLastWriteTime,
                     int lFileSize, const QString& sFilename, bool admiteRepetido);

    std::deque<cDirItem> elementos_;    // a deque keeps references to earlier entries valid
    QHash<QString, qsizetype> porNombre_;  // case-folded name -> position from 0
};
