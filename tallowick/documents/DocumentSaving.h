#pragma once

#include "tallowick/documents/Document.h"

#include <QString>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tallowick {

// Documents could not be saved, or the folder for them is unusable; the
// message names the folder or every document that was not saved, with the
// file and the reason.
class SaveError : public std::runtime_error {
public:
    explicit SaveError(const std::string& message, std::vector<int> unsavedDocuments = {})
        : std::runtime_error(message), unsavedDocuments_(std::move(unsavedDocuments)) {}

    // The indices of the documents that were not saved, in order; empty
    // when the failure concerns the folder itself.
    const std::vector<int>& unsavedDocuments() const { return unsavedDocuments_; }

private:
    std::vector<int> unsavedDocuments_;
};

// The file frame `frame` of document `document` is saved as:
// DIR/docN/frameNNNN.png, N from 0, NNNN the frame index with four digits
// (more when needed).
QString savedFramePath(const QString& dir, int document, int frame);

// Creates `dir` (with its parents) and makes sure a file can be written in
// it, so that a folder that cannot take the documents is found before any
// work is done. Throws SaveError naming the folder and the reason.
void prepareSaveFolder(const QString& dir);

// Writes every frame of every document as an RGBA PNG under `dir`, creating
// the folders and replacing files of the same names. `progress`, when given,
// hears the percentage done after each frame. A document that cannot be
// written does not stop the others: once all were tried, SaveError names
// each document not saved and why.
void saveDocuments(const std::vector<Document>& documents, const QString& dir,
                   const std::function<void(double percent)>& progress = {});

} // namespace tallowick
