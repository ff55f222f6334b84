#pragma once
#include <QString>

// One entry of a remote folder listing: a plain record. The flags are the bits of the file's
// attributes (see cDirList::Add); the times are days since 30 December 1899 00:00 in local time,
// the fraction being the time of day.
struct cDirItem {
    bool ReadOnly = false;     // 0x1
    bool Hidden = false;       // 0x2
    bool System = false;       // 0x4
    bool Directory = false;    // 0x10
    bool Archive = false;      // 0x20
    bool Normal = false;       // 0x80
    bool Temporary = false;    // 0x100
    bool Compressed = false;   // 0x800
    bool Offline = false;      // 0x1000
    double CreationTime = 0;
    double LastAccessTime = 0;
    double LastWriteTime = 0;
    int FileSize = 0;
    QString filename;
};
