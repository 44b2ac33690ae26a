#pragma once
// QString <-> code page 1250 bytes (see dbf/Cp1250.h for the mapping rules).

#include <QByteArray>
#include <QString>

namespace ogx {

QString fromCp1250(QByteArrayView bytes);
// Throws ogx::Error naming `what` (a file, a column) and the character when the text
// holds one the code page lacks.
QByteArray toCp1250(const QString &text, const QString &what);
// As above without throwing: false when a character is not representable.
bool toCp1250(const QString &text, QByteArray &out);

} // namespace ogx
