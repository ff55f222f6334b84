#pragma once
#include <QString>
#include <QVariant>

// A client-side recordset: every selected row is fetched when it opens, so it can be
// walked, counted and disconnected from its connection. It can also take new rows:
// AddNew, assign fields by name, Update (an INSERT into the source table).
// Fields are found by name without regard to case; an unknown name raises ErrorServicio.
class Recordset {
public:
    virtual ~Recordset() = default;
    virtual bool EOF_() const = 0;
    virtual void MoveNext() = 0;
    virtual int RecordCount() const = 0;
    // The current row's value; a NULL column gives an invalid (null) QVariant.
    virtual QVariant Campo(const QString& nombre) const = 0;
    // The current row's value as text (NULL gives empty text).
    QString Texto(const QString& nombre) const { return Campo(nombre).toString(); }
    virtual void AddNew() = 0;
    virtual void Asigna(const QString& nombre, const QVariant& valor) = 0;
    virtual void Update() = 0;
    // The recordset stops using its connection; its rows stay readable.
    virtual void Desconecta() = 0;
};
