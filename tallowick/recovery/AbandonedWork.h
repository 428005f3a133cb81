#pragma once

#include "tallowick/documents/PictureLoading.h"
#include "tallowick/recovery/RecoveryFolders.h"

#include <QString>
#include <vector>

namespace tallowick {

class MemoryBudget;
class OpenDocuments;

// What a host started after others that did not end cleanly does with the
// recovery folders they left (claimAbandonedFolders).

// The one line a headless host prints for a folder it leaves alone: where
// it is, what it holds, and how to get the work back.
QString keptWorkLine(const AbandonedFolder& folder);

// The question a host with a window asks: every document with its frame
// count and size and the time of its copy, the damaged copies by file, and
// what each answer does.
QString recoveryQuestion(const std::vector<AbandonedFolder>& folders);

// The name a reopened document is listed under.
QString recoveredName(const QString& name);

// Reopens every undamaged copy, exact, as a new document (recoveredName),
// and moves the copy into `own` folder as the new document's, so that the
// work stays recoverable without being written again. A folder is removed
// once every copy in it has been reopened and moved; one that still holds
// something (a damaged copy, one that did not fit the memory budget) stays.
// Returns what could not be reopened or moved, each naming the file and why.
// Copies beyond what `budget` has left are refused before they are read.
// `progress` hears how far the reopening has come.
std::vector<QString> reopenAbandonedWork(std::vector<AbandonedFolder>& folders,
                                         OpenDocuments& documents, const MemoryBudget& budget,
                                         OwnRecoveryFolder& own, const LoadProgress& progress = {});

// Removes the folders with everything in them: the user let the work go.
// Returns what could not be removed.
std::vector<QString> discardAbandonedWork(std::vector<AbandonedFolder>& folders);

} // namespace tallowick
