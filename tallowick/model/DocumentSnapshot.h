#pragma once

#include "tallowick/documents/Document.h"
#include "tallowick/documents/MemoryBudget.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace tallowick {

// Shared copies of open documents (Document::sharedCopy), taken at once on
// the thread that owns the documents, for another thread to read while the
// documents go on changing. A document written to while the snapshot lives
// takes planes of its own, so what the snapshot may come to hold apart from
// the documents, every plane of its copies at worst, is charged to the
// memory budget until the snapshot is destroyed, which happens on the owning
// thread as the budget is not shared between threads.
class DocumentSnapshot {
public:
    struct Copy {
        // Where the document is among the open documents, and its revision
        // (OpenDocuments::revisionOf) when it was copied.
        int index = 0;
        uint64_t revision = 0;
        Document document;
    };

    // An empty snapshot whose copies are charged to `budget`, which must
    // outlive it.
    explicit DocumentSnapshot(MemoryBudget& budget) : budget_(&budget) {}
    DocumentSnapshot(DocumentSnapshot&& other) noexcept;
    DocumentSnapshot& operator=(DocumentSnapshot&&) = delete;
    DocumentSnapshot(const DocumentSnapshot&) = delete;
    DocumentSnapshot& operator=(const DocumentSnapshot&) = delete;
    ~DocumentSnapshot();

    // Charges what a copy of `document` may come to hold, then keeps one.
    // MemoryBudgetError, with nothing kept or charged, when that does not fit
    // beside what is in use.
    void take(int index, uint64_t revision, const Document& document);

    const std::vector<Copy>& copies() const { return copies_; }
    bool empty() const { return copies_.empty(); }
    uint64_t bytesCharged() const { return charged_; }

private:
    MemoryBudget* budget_;
    uint64_t charged_ = 0;
    std::vector<Copy> copies_;
};

// A snapshot of the documents that changed, and for each changed document
// that the budget could not take, why ("Document 2 (\"name\"): ...").
struct ChangedDocuments {
    DocumentSnapshot snapshot;
    std::vector<QString> leftOut;
};

} // namespace tallowick
