#pragma once
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <optional>

// An INI file held line by line as its bytes, so that a change touches only the line of the
// key changed (or adds one) and every other byte stays: comments, spacing, duplicate keys,
// line endings and the text encoding.
//
// Each section name, key and value is decoded on its own: as UTF-8 when it is valid UTF-8,
// otherwise as Latin-1 in its Windows form (Windows-1252), so one stray byte in a line never
// hides the rest of the file. Lines added or changed are written in the file's own encoding:
// Windows-1252 for a file whose accented text is all in it, UTF-8 otherwise.
//
// As with the Windows profile functions, names are compared without regard to case, blanks
// around names and values are not part of them, the first of duplicate keys is the one read
// and written, and a value between double quotes is read without them (a value with blanks
// at either end is written quoted, so it reads back whole).
class DocumentoIni {
public:
    explicit DocumentoIni(const QByteArray& bytes = {});

    std::optional<QString> valor(const QString& seccion, const QString& clave) const;
    // The keys of a section and their values, in file order.
    QList<QPair<QString, QString>> claves(const QString& seccion) const;
    bool tieneSeccion(const QString& seccion) const;
    // Whether any section or key line is there (blank and comment lines are not content).
    bool tieneContenido() const;

    // Stores a value: its line changed in place, or a line added at the end of its section, or
    // the section added at the end of the file. False, with nothing changed, when the text
    // cannot be written in the file's encoding.
    bool pon(const QString& seccion, const QString& clave, const QString& valor);
    // Drops every line, keeping the encoding, the line ending and a byte-order mark.
    void vacia() { lineas_.clear(); }

    QByteArray bytes() const;

private:
    struct Linea {
        QByteArray texto;  // without its line ending
        QByteArray fin;    // "\r\n", "\n", or "" for a last line without one
    };
    enum class Tipo { Otra, Seccion, Clave };
    struct Analisis {
        Tipo tipo = Tipo::Otra;
        QString nombre;             // section or key
        QString valor;              // key lines
        qsizetype inicioValor = 0;  // key lines: where the value's bytes start
    };
    static Analisis analiza(const QByteArray& linea);
    std::optional<QByteArray> cifra(const QString& texto) const;
    // Index of the first line of the key in the section, or -1.
    qsizetype buscaClave(const QString& seccion, const QString& clave) const;

    QByteArray bom_;
    QList<Linea> lineas_;
    QByteArray finDeLinea_;
    bool windows1252_ = false;  // added text is written in Windows-1252 rather than UTF-8
};
