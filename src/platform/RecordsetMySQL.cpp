#include "platform/RecordsetMySQL.h"

#include "servicelib/ValorEntero.h"

#include "servicelib/ErrorServicio.h"

#include <QLocale>
#include <cmath>

namespace {
QString identificador(const QString& nombre) {
    QString n = nombre;
    n.replace(QLatin1Char('`'), QStringLiteral("``"));
    return QLatin1Char('`') + n + QLatin1Char('`');
}
}

RecordsetMySQL::RecordsetMySQL(std::shared_ptr<Conexion> conexion, QString tabla, TablaLeida datos)
    : conexion_(std::move(conexion)), tabla_(std::move(tabla)), datos_(std::move(datos)) {
    for (int i = 0; i < datos_.nombres.size(); ++i) {
        const QString clave = datos_.nombres[i].toLower();
        if (!porNombre_.contains(clave)) porNombre_.insert(clave, i);  // the first of equal names wins
    }
}

bool RecordsetMySQL::EOF_() const { return !agregando_ && actual_ >= datos_.filas.size(); }

void RecordsetMySQL::MoveNext() {
    if (agregando_) throw ErrorServicio(3219, QStringLiteral("Hay una fila nueva sin guardar"));
    if (actual_ >= datos_.filas.size())
        throw ErrorServicio(3021, QStringLiteral("No hay fila actual: el recordset está al final"));
    ++actual_;
}

int RecordsetMySQL::RecordCount() const { return static_cast<int>(datos_.filas.size()); }

int RecordsetMySQL::indice(const QString& nombre) const {
    const auto it = porNombre_.constFind(nombre.toLower());
    if (it == porNombre_.constEnd())
        throw ErrorServicio(3265, QStringLiteral("No se encontró el campo \"%1\" en el recordset").arg(nombre));
    return *it;
}

QVariant RecordsetMySQL::Campo(const QString& nombre) const {
    const int i = indice(nombre);
    if (agregando_) return nueva_[i];
    if (actual_ >= datos_.filas.size())
        throw ErrorServicio(3021, QStringLiteral("No hay fila actual: el recordset está al final"));
    return datos_.filas[actual_][i];
}

void RecordsetMySQL::AddNew() {
    nueva_ = QList<QVariant>(datos_.nombres.size());
    asignada_.assign(static_cast<size_t>(datos_.nombres.size()), false);
    agregando_ = true;
}

void RecordsetMySQL::Asigna(const QString& nombre, const QVariant& valor) {
    if (!agregando_) throw ErrorServicio(3251, QStringLiteral("Asignación sin fila nueva (falta AddNew)"));
    const int i = indice(nombre);
    nueva_[i] = valor;
    asignada_[static_cast<size_t>(i)] = true;
}

QString RecordsetMySQL::literal(const QVariant& valor) const {
    if (valor.isNull()) return QStringLiteral("NULL");
    if (EsEntero(valor)) return valor.toString();
    switch (valor.typeId()) {
    case QMetaType::Bool:
        return valor.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = valor.toDouble();
        if (!std::isfinite(d)) throw ErrorServicio(3421, QStringLiteral("Valor numérico no finito"));
        return QString::number(d, 'g', QLocale::FloatingPointShortest);
    }
    case QMetaType::QByteArray:
        return QLatin1Char('\'') + conexion_->Escapa(QString::fromUtf8(valor.toByteArray())) + QLatin1Char('\'');
    default:
        return QLatin1Char('\'') + conexion_->Escapa(valor.toString()) + QLatin1Char('\'');
    }
}

void RecordsetMySQL::Update() {
    if (!agregando_) throw ErrorServicio(3251, QStringLiteral("No hay fila nueva que guardar (falta AddNew)"));
    if (!conexion_) throw ErrorServicio(3704, QStringLiteral("El recordset no tiene conexión"));
    QStringList columnas, valores;
    for (int i = 0; i < datos_.nombres.size(); ++i) {
        if (!asignada_[static_cast<size_t>(i)]) continue;
        columnas << identificador(datos_.nombres[i]);
        valores << literal(nueva_[i]);
    }
    conexion_->Execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                           .arg(tabla_, columnas.join(QLatin1Char(',')), valores.join(QLatin1Char(','))));
    const std::int64_t id = conexion_->UltimoId();
    for (size_t i = 0; i < datos_.autoincremento.size(); ++i)
        if (datos_.autoincremento[i] && !asignada_[i] && id != 0) nueva_[static_cast<int>(i)] = QVariant(qlonglong(id));
    datos_.filas.push_back(nueva_);
    actual_ = datos_.filas.size() - 1;
    agregando_ = false;
}

void RecordsetMySQL::Desconecta() { conexion_.reset(); }
