#pragma once

#include <QByteArray>
#include <QStringList>

namespace store {

// List files (names.qdx, secure.qdx): one key per line, CR LF after every line, Windows-1252.
QByteArray EncodeListFile(const QStringList& keys);
// Reads lines ended by CR LF, LF or CR; a last line without line end counts too.
QStringList DecodeListFile(QByteArrayView bytes);

}  // namespace store
