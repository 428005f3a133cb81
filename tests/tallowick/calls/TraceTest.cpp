#include "tallowick/calls/HostObject.h"
#include "tallowick/calls/TracingObject.h"
#include "tallowick/documents/Crc32.h"
#include "tallowick/model/HostModel.h"
#include "tests/tallowick/CallRecording.h"
#include "tests/tallowick/TinyDocument.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using host::ByteArray;
using host::Variant;

ByteArray bytesOf(const char* text, std::vector<host::Dimension> dimensions) {
    ByteArray array(std::move(dimensions));
    std::copy(text, text + array.size(), array.data());
    return array;
}

TEST(Trace, Crc32IsTheIeeeChecksum) {
    const ByteArray digits = bytesOf("123456789", {{0, 9}});
    EXPECT_EQ(tallowick::crc32(digits.data(), digits.size()), 0xCBF43926u);
    EXPECT_EQ(tallowick::crc32(nullptr, 0), 0u);
}

TEST(Trace, EveryVariantKindAppearsAsNaturalJson) {
    const std::vector<Variant> args{
        int16_t{-3},
        int32_t{70000},
        2.5,
        QStringLiteral("say \"hi\"\\\n"),
        true,
        host::Empty{},
        host::ObjectRef{QStringLiteral(":1.7"), QStringLiteral("/Form1")},
        // 3421780262 is 0xCBF43926, the checksum of "123456789".
        bytesOf("123456789", {{0, 3}, {1, 3}}),
    };
    EXPECT_EQ(
        tallowick::traceLine(QStringLiteral("Tal_Mixed"), args, std::nullopt),
        "{\"method\": \"Tal_Mixed\", \"args\": [-3, 70000, 2.5, \"say \\\"hi\\\"\\\\\\u000a\", "
        "true, null, {\"service\": \":1.7\", \"path\": \"/Form1\"}, "
        "{\"bounds\": [[0, 3], [1, 3]], \"crc32\": 3421780262}]}\n");
}

TEST(Trace, TracingObjectWritesOneLinePerCallInOrderWithTheErrors) {
    tests::RecordingCaller caller;
    tallowick::HostModel model(tests::tinyDocument(), std::nullopt, {}, {});
    tallowick::HostObject host(model, caller);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("trace.jsonl"));
    {
        auto tracing = tallowick::TracingObject::toFile(host, path);
        EXPECT_EQ(tracing->Invoke("tal_BufferWidth"), Variant(int32_t{3}));
        EXPECT_THROW(tracing->Invoke("Tal_GotoFrame", {int16_t{5}}), host::HostCallError);
        EXPECT_THROW(tracing->Invoke("Tal_Nothing"), host::HostCallError);
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(),
              "{\"method\": \"tal_BufferWidth\", \"args\": []}\n"
              "{\"method\": \"Tal_GotoFrame\", \"args\": [5], \"error\": \"Tal_GotoFrame: frame 5 "
              "is out of range; the current document has frames 0 to 1\"}\n"
              "{\"method\": \"Tal_Nothing\", \"args\": [], \"error\": \"Tal_Nothing: unknown "
              "method\"}\n");
}

TEST(Trace, AnUnwritableTraceFileIsNamed) {
    tests::RecordingCaller caller;
    tallowick::HostModel model(tests::tinyDocument(), std::nullopt, {}, {});
    tallowick::HostObject host(model, caller);
    try {
        tallowick::TracingObject::toFile(host, QStringLiteral("/nonexistent-folder/trace.jsonl"));
        FAIL() << "no error";
    } catch (const tallowick::TraceError& error) {
        EXPECT_NE(std::string(error.what()).find("/nonexistent-folder/trace.jsonl"),
                  std::string::npos);
    }
}

} // namespace
