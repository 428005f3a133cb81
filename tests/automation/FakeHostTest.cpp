#include "tests/support/FakeHost.h"

#include <gtest/gtest.h>

namespace {

using host::ByteArray;
using host::HostCallError;
using host::Variant;
using tests::FakeHost;

TEST(FakeHostRecord, KeepsCallsInOrderAsSpelled) {
    FakeHost fake;
    fake.Invoke("Tal_SaveUndo");
    fake.Invoke("tal_GotoFrameAdv", {int32_t{4}, int16_t{3}});
    fake.Invoke("TAL_SAVEUNDO");
    EXPECT_EQ(fake.callNames(), QStringList({"Tal_SaveUndo", "tal_GotoFrameAdv", "TAL_SAVEUNDO"}));
    EXPECT_EQ(fake.calls()[1].args, (std::vector<Variant>{int32_t{4}, int16_t{3}}));
    EXPECT_EQ(fake.countOf("tal_saveundo"), 2);
    EXPECT_EQ(fake.callsOf("TAL_gotoFRAMEadv").size(), 1u);
    fake.clearCalls();
    EXPECT_TRUE(fake.calls().empty());
}

TEST(FakeHostRecord, ArgumentsAreCopiedAtCallTime) {
    FakeHost fake;
    ByteArray plane = ByteArray::plane(2, 2);
    plane.at(1, 1) = 10;
    fake.Invoke("Tal_SetRBuffer", {plane});
    plane.at(1, 1) = 99;
    const auto& recorded = std::get<ByteArray>(fake.calls().at(0).args.at(0));
    EXPECT_EQ(recorded.at(1, 1), 10);
}

TEST(SentCallsInProcess, AreServedWhenSentAndFailOnlyWhenAnswered) {
    FakeHost fake;
    fake.setResult("tal_BufferWidth", int32_t{640});
    fake.failNthCall("tal_GetRBuffer", 1, "no image");
    const auto width = fake.Send("tal_BufferWidth", {});
    const auto plane = fake.Send("tal_GetRBuffer", {}, host::ResultUse::CopiedOnce);
    EXPECT_EQ(fake.callNames(), QStringList({"tal_BufferWidth", "tal_GetRBuffer"}));
    try {
        plane->answer();
        FAIL() << "the failed call answered";
    } catch (const HostCallError& error) {
        EXPECT_EQ(error.method(), "tal_GetRBuffer");
        EXPECT_EQ(error.reason(), "no image");
    }
    EXPECT_EQ(width->answer(), Variant(int32_t{640}));
}

TEST(FakeHostScript, UnscriptedMethodsAnswerEmpty) {
    FakeHost fake;
    EXPECT_EQ(fake.Invoke("tal_Refresh"), Variant(host::Empty{}));
}

TEST(FakeHostScript, ResultsMatchAnySpelling) {
    FakeHost fake;
    fake.setResult("Tal_BufferWidth", int32_t{640});
    EXPECT_EQ(fake.Invoke("tal_BufferWidth"), Variant(int32_t{640}));
    EXPECT_EQ(fake.Invoke("TAL_BUFFERWIDTH"), Variant(int32_t{640}));
    EXPECT_EQ(fake.Invoke("Tal_BufferHeight"), Variant(host::Empty{}));
}

TEST(FakeHostScript, HandlerSeesTheArgumentsAndAnswers) {
    FakeHost fake;
    fake.setHandler("tal_Add", [](const std::vector<Variant>& args) -> Variant {
        return std::get<int32_t>(args.at(0)) + std::get<int32_t>(args.at(1));
    });
    EXPECT_EQ(fake.Invoke("TAL_ADD", {int32_t{2}, int32_t{3}}), Variant(int32_t{5}));
    fake.setResult("tal_add", int32_t{0});
    EXPECT_EQ(fake.Invoke("tal_Add", {int32_t{2}, int32_t{3}}), Variant(int32_t{0}));
    EXPECT_THROW(fake.setHandler("tal_Add", {}), std::invalid_argument);
}

TEST(FakeHostScript, HandlerMayRescriptItsOwnMethod) {
    FakeHost fake;
    int runs = 0;
    fake.setHandler("tal_Once", [&](const std::vector<Variant>&) -> Variant {
        ++runs;
        fake.setResult("tal_Once", QStringLiteral("later"));
        return QStringLiteral("first");
    });
    EXPECT_EQ(fake.Invoke("tal_Once"), Variant(QStringLiteral("first")));
    EXPECT_EQ(fake.Invoke("tal_Once"), Variant(QStringLiteral("later")));
    EXPECT_EQ(runs, 1);
}

TEST(FakeHostFailure, EveryCallFailsWithMethodAndReason) {
    FakeHost fake;
    fake.setResult("tal_GetRBuffer", ByteArray::plane(1, 1));
    fake.failCalls("TAL_GETRBUFFER", "the host has gone");
    for (int i = 0; i < 2; ++i) {
        try {
            fake.Invoke("tal_GetRbuffer");
            ADD_FAILURE() << "call " << i << " did not fail";
        } catch (const HostCallError& error) {
            EXPECT_EQ(error.method(), "tal_GetRbuffer");
            EXPECT_STREQ(error.what(), "tal_GetRbuffer: the host has gone");
        }
    }
    EXPECT_EQ(fake.countOf("tal_GetRBuffer"), 2);
}

TEST(FakeHostFailure, OnlyTheNthCallFromNowFails) {
    FakeHost fake;
    fake.Invoke("Tal_SetRBuffer");
    fake.failNthCall("Tal_SetRBuffer", 2, "refused");
    EXPECT_NO_THROW(fake.Invoke("tal_SetRbuffer"));
    EXPECT_NO_THROW(fake.Invoke("Tal_SetGBuffer"));
    EXPECT_THROW(fake.Invoke("TAL_SETRBUFFER"), HostCallError);
    EXPECT_NO_THROW(fake.Invoke("Tal_SetRBuffer"));
    EXPECT_EQ(fake.countOf("Tal_SetRBuffer"), 4);
    EXPECT_THROW(fake.failNthCall("Tal_SetRBuffer", 0, "refused"), std::invalid_argument);
}

} // namespace
