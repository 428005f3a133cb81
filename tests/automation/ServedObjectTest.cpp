#include "automation/ServedObject.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace {

using host::Variant;
using Args = std::vector<Variant>;

// A target with two operations: one that reads an argument, one that takes
// a byte array.
struct Counter {
    int32_t total = 0;
    std::size_t bytesTaken = 0;
};

const host::ServedObject<Counter>::Table& counterOperations() {
    static const host::ServedObject<Counter>::Table table{
        {"AddTo", 1,
         [](Counter& counter, const QString& method, const Args& args) -> Variant {
             counter.total += host::arguments::wholeNumber(method, args, 0, "amount");
             return counter.total;
         }},
        {"Take", 1,
         [](Counter& counter, const QString& method, const Args& args) -> Variant {
             counter.bytesTaken += host::arguments::byteArray(method, args, 0, "bytes").size();
             return host::Empty{};
         },
         true},
    };
    return table;
}

template <typename Call> std::string errorOf(Call call) {
    try {
        call();
    } catch (const host::HostCallError& error) {
        return error.what();
    }
    return "no error";
}

TEST(ServedObject, MatchesNamesWithoutRegardToCaseAndServesItsTarget) {
    Counter counter;
    host::ServedObject<Counter> served(counter, counterOperations());
    EXPECT_EQ(served.Invoke("addto", {int16_t{2}}), Variant(int32_t{2}));
    EXPECT_EQ(served.Invoke("ADDTO", {2.5}), Variant(int32_t{4})); // 2.5 rounds to 2
    EXPECT_EQ(counter.total, 4);
    EXPECT_EQ(&served.target(), &counter);
}

TEST(ServedObject, UnknownNamesAndWrongCountsGiveTheTableErrorsNamingTheCall) {
    Counter counter;
    host::ServedObject<Counter> served(counter, counterOperations());
    EXPECT_THROW(served.Invoke("Subtract", {int16_t{1}}), host::UnknownOperationError);
    EXPECT_EQ(errorOf([&] { served.Invoke("Subtract"); }), "Subtract: unknown method");
    EXPECT_EQ(errorOf([&] { served.Invoke("addTo"); }), "addTo: expected 1 argument, got 0");
    EXPECT_EQ(errorOf([&] { served.Invoke("AddTo", {QStringLiteral("1")}); }),
              "AddTo: argument 1 (amount): expected a number, got String");
    EXPECT_EQ(counter.total, 0);
}

TEST(ServedObject, AdmissionRefusesBeforeReadingAndTakesBytesOnlyWhereAsked) {
    Counter counter;
    host::ServedObject<Counter> served(counter, counterOperations());
    EXPECT_EQ(served.admit("caller", "ADDTO", 1).maxByteArrayBytes, 0u);
    EXPECT_EQ(served.admit("caller", "take", 1).maxByteArrayBytes, SIZE_MAX);
    EXPECT_THROW(served.admit("caller", "AddTo", 4), host::HostCallError);
    EXPECT_THROW(served.admit("caller", "Paint", 0), host::UnknownOperationError);
}

TEST(OperationTable, TwoNamesDifferingOnlyInCaseAreATableFault) {
    using Table = host::OperationTable<int>;
    EXPECT_THROW((Table{{"Paint", 0, 1}, {"PAINT", 1, 2}}), std::logic_error);
}

} // namespace
