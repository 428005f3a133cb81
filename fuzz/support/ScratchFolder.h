#pragma once

#include <QByteArray>
#include <QString>

// A folder of this process's own in memory (/dev/shm), for a target that
// hands its input to code that reads files; removed when the process ends.
namespace fuzz {

// Made on the first call; ends the process with a message when it cannot be.
const QString& scratchFolder();

// Writes `bytes` as the file `name` in the scratch folder (its subfolders
// made as needed); its full path.
QString writeScratchFile(const QString& name, const QByteArray& bytes);

} // namespace fuzz
