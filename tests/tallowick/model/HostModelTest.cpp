#include "tallowick/model/HostModel.h"

#include "tallowick/documents/MemoryBudget.h"
#include "tests/tallowick/ErrorText.h"
#include "tests/tallowick/TinyDocument.h"

#include <gtest/gtest.h>

namespace {

using tallowick::MemoryBudget;

// The tiny document's two 3 x 2 frames hold 4 planes of 4 x 3 bytes each.
constexpr uint64_t kTinyDocument = 2 * 48;

std::string budgetError(const std::function<void()>& request) {
    return tests::errorText<tallowick::MemoryBudgetError>(request);
}

TEST(HostModelBudget, TheFirstDocumentIsChargedAndOneBeyondTheBudgetIsRefused) {
    const tallowick::HostModel model(tests::tinyDocument(), std::nullopt, {}, {},
                                     MemoryBudget(kTinyDocument));
    EXPECT_EQ(model.memoryBudget().inUse(), kTinyDocument);
    EXPECT_EQ(budgetError([] {
                  tallowick::HostModel(tests::tinyDocument(), std::nullopt, {}, {},
                                       MemoryBudget(kTinyDocument - 1));
              }),
              "2 frames of 3 x 2 pixels would take 96 bytes, more than the memory budget of 95 "
              "bytes allows");
}

} // namespace
