#pragma once
// Writing whole files safely, with the file layer's messages on failure:
// "Invalid filename", "File access denied", "Disk full", "I/O error %d".
#include <QByteArray>
#include <QString>

// Writes bytes to a temporary file in the same folder and renames it over
// path, so the old content survives any failure. Throws KelvoraError.
void WriteFileAtomically(const QString &path, const QByteArray &bytes);
// The message for an errno value.
QString FileErrorMessage(int errnoValue);
