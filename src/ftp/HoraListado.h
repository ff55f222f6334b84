#pragma once
// The times of a remote listing: the text a server puts in a LIST line, and the day count the
// listing's entries carry.
#include <QDateTime>
#include <QString>

namespace HoraListado {

// The moment named by a listing's time text, taken as UTC (as the servers we meet write it):
//  "Dec 08 05:31"        no year: the latest such date that is not more than a day after `ahora`
//  "Mar 04  2020"        an older entry, at midnight
//  "03-04-20  10:31AM"   the DOS form some Windows servers use
// Invalid when the text is none of these.
QDateTime interpreta(const QString& texto, const QDateTime& ahora);

// Days since 30 December 1899 00:00 in local time, the fraction being the time of day.
double diasDesde1899(const QDateTime& momento);

}
