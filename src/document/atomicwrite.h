#pragma once
// Replacing a file safely: the bytes go to a temporary file beside the target, which
// takes the target's place only once every byte is on disk. A full disk, a killed
// process or a crash leaves the old file or the new one, never a truncated one.
#include <QByteArray>
#include <QString>

// Writes bytes to path; on failure the old file is untouched and *error says why (in Japanese).
bool replaceFileSafely(const QString &path, const QByteArray &bytes, QString *error = nullptr);
