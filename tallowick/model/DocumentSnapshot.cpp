#include "tallowick/model/DocumentSnapshot.h"

#include <utility>

namespace tallowick {

DocumentSnapshot::DocumentSnapshot(DocumentSnapshot&& other) noexcept
    : budget_(other.budget_), charged_(std::exchange(other.charged_, 0)),
      copies_(std::move(other.copies_)) {}

DocumentSnapshot::~DocumentSnapshot() {
    budget_->release(charged_);
}

void DocumentSnapshot::take(int index, uint64_t revision, const Document& document) {
    const uint64_t bytes =
        MemoryBudget::framesBytes(document.frameCount(), document.width(), document.height());
    budget_->charge(
        bytes, QStringLiteral("a recovery copy of %1")
                   .arg(framesText(document.frameCount(), document.width(), document.height())));
    try {
        copies_.push_back(Copy{index, revision, document.sharedCopy()});
    } catch (...) {
        budget_->release(bytes);
        throw;
    }
    charged_ += bytes;
}

} // namespace tallowick
