#pragma once
#include "platform/ConexionMySQL.h"
#include "servicelib/Recordset.h"

#include <QHash>
#include <memory>

// A client-side recordset over rows already fetched whole. New rows (AddNew, Asigna,
// Update) are INSERTed into `tabla` through the connection the recordset was opened on;
// once saved they join the rows, the current row being the new one, with the table's
// AUTO_INCREMENT column holding the id the server gave it.
class RecordsetMySQL : public Recordset {
public:
    RecordsetMySQL(std::shared_ptr<Conexion> conexion, QString tabla, TablaLeida datos);

    bool EOF_() const override;
    void MoveNext() override;
    int RecordCount() const override;
    QVariant Campo(const QString& nombre) const override;
    void AddNew() override;
    void Asigna(const QString& nombre, const QVariant& valor) override;
    void Update() override;
    void Desconecta() override;

private:
    int indice(const QString& nombre) const;  // throws for an unknown field
    QString literal(const QVariant& valor) const;

    std::shared_ptr<Conexion> conexion_;
    QString tabla_;
    TablaLeida datos_;
    QHash<QString, int> porNombre_;  // lower-case name -> column
    size_t actual_ = 0;
    bool agregando_ = false;
    QList<QVariant> nueva_;
    std::vector<bool> asignada_;
};
