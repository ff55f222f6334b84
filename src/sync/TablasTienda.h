#pragma once
#include "servicelib/Conexion.h"

#include <QString>
#include <QStringList>

// The shop's WordPress tables under the table prefix the settings name ("wp_" unless the shop
// was installed with another), and what is checked of them before a send writes anything.
namespace TablasTienda {

// True for a prefix WordPress accepts: letters, digits and "_" (it stands unquoted in SQL).
bool PrefijoValido(const QString& prefijo);

// `sql`, a statement template naming the tables with "wp_" (wp_posts, wp_postmeta, ...), for
// the shop's prefix. Only a "wp_" that starts a word is replaced ("_wp_attached_file" stays):
// apply it to the template before any data goes in.
QString ConPrefijo(const QString& sql, const QString& prefijo);

// Before anything is written or planned: the prefix's posts and postmeta tables are there (or
// an ErrorServicio names the prefixes whose WordPress tables the database does hold), and, when
// `escribe`, they and WooCommerce's tables are transactional (a MyISAM table cannot undo a
// chunk: an ErrorServicio names them and says how to convert them). Returns what the user
// should know although the send goes on: other prefixes that also hold WordPress's tables.
// `paquete`, when given, gets the server's max_allowed_packet (read in the same round trip).
QStringList Comprueba(Conexion& cn, const QString& prefijo, bool escribe, int* paquete = nullptr);

// The largest statement the shop's server accepts (max_allowed_packet), read once per connection.
int LimitePaquete(Conexion& cn);

}
