#include "ftp/cDirList.h"

#include <stdexcept>
#include <string>
#include <utility>

cDirItem& cDirList::Add(int lAttrib, double dtCreationTime, double dtLastAccessTime, double dtLastWriteTime,
                        int lFileSize, const QString& sFilename) {
    return agrega(lAttrib, dtCreationTime, dtLastAccessTime, dtLastWriteTime, lFileSize, sFilename, false);
}

cDirItem& cDirList::agrega(int lAttrib, double dtCreationTime, double dtLastAccessTime, double dtLastWriteTime,
                           int lFileSize, const QString& sFilename, bool admiteRepetido) {
    const QString clave = sFilename.toCaseFolded();
    const bool repetido = porNombre_.contains(clave);
    if (repetido && !admiteRepetido)
        throw std::invalid_argument("cDirList: an entry named '" + sFilename.toStdString() + "' is already present");
    cDirItem e;
    e.ReadOnly = lAttrib & AtributoSoloLectura;
    e.Hidden = lAttrib & AtributoOculto;
    e.System = lAttrib & AtributoSistema;
    e.Directory = lAttrib & AtributoCarpeta;
    e.Archive = lAttrib & AtributoArchivo;
    e.Normal = lAttrib & AtributoNormal;
    e.Temporary = lAttrib & AtributoTemporal;
    e.Compressed = lAttrib & AtributoComprimido;
    e.Offline = lAttrib & AtributoFueraDeLinea;
    e.CreationTime = dtCreationTime;
    e.LastAccessTime = dtLastAccessTime;
    e.LastWriteTime = dtLastWriteTime;
    e.FileSize = lFileSize;
    e.filename = sFilename;
    elementos_.push_back(std::move(e));
    if (!repetido) porNombre_.insert(clave, static_cast<qsizetype>(elementos_.size()) - 1);
    return elementos_.back();
}

void cDirList::Clear() {
    elementos_.clear();
    porNombre_.clear();
}

const cDirItem& cDirList::Item(int Index) const {
    if (Index < 1 || static_cast<size_t>(Index) > elementos_.size())
        throw std::out_of_range("cDirList: no entry at position " + std::to_string(Index));
    return elementos_[static_cast<size_t>(Index) - 1];
}

const cDirItem& cDirList::Item(const QString& Index) const {
    const auto i = porNombre_.constFind(Index.toCaseFolded());
    if (i == porNombre_.constEnd())
        throw std::out_of_range("cDirList: no entry named '" + Index.toStdString() + "'");
    return elementos_[static_cast<size_t>(*i)];
}

cDirItem& cDirList::Item(int Index) { return const_cast<cDirItem&>(std::as_const(*this).Item(Index)); }

cDirItem& cDirList::Item(const QString& Index) { return const_cast<cDirItem&>(std::as_const(*this).Item(Index)); }

int cDirList::Count() const { return static_cast<int>(elementos_.size()); }
