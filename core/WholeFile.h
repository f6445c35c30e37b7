#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include <optional>

// Writes all of bytes into file, a QSaveFile opened with QIODevice::Unbuffered, checking every
// write: a write may take only part of the bytes without an error, and the next one then says
// why (a full disk). Unbuffered, so that no byte is left for the flush in commit(), whose
// failure Qt 6.4 does not check: the file would take its name cut short and count as saved.
// Returns the reason on failure, after cancelling the writing; nothing when all was written.
[[nodiscard]] std::optional<QString> writeWhole(QSaveFile &file, const QByteArray &bytes);
