#pragma once

#include "tallowick/Document.h"

#include <QString>
#include <functional>
#include <stdexcept>
#include <vector>

namespace tallowick {

// A document could not be saved; the message names the file or folder.
class SaveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file frame `frame` of document `document` is saved as:
// DIR/docN/frameNNNN.png, N from 0, NNNN the frame index with four digits
// (more when needed).
QString savedFramePath(const QString& dir, int document, int frame);

// Writes every frame of every document as an RGBA PNG under `dir`, creating
// the folders and replacing files of the same names. `progress`, when given,
// hears the percentage done after each frame. Throws SaveError at the first
// file that cannot be written.
void saveDocuments(const std::vector<Document>& documents, const QString& dir,
                   const std::function<void(double percent)>& progress = {});

} // namespace tallowick
