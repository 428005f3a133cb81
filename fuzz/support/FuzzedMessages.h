#pragma once

#include <QList>
#include <QVariant>
#include <fuzzer/FuzzedDataProvider.h>

// The arguments of messages a hostile peer could send, chosen by the
// fuzzer's bytes. Mostly the link's own shape (a method name and a list of
// tagged values), with any tag and any content in each value's variant: the
// types the link reads, near misses of its two structures, other D-Bus
// types, nested variants; byte arrays of any bounds over memory files of any
// size and seals, or over descriptors of other kinds. Now and then another
// shape altogether. Every value is one QtDBus can put on the wire, since
// only those can reach the receiver.
namespace fuzz {

// Makes the near-miss structures known to QtDBus (and the link's own types).
void registerFuzzedTypes();

// A call's arguments: usually (s, a(yv)).
QList<QVariant> callArguments(FuzzedDataProvider& bytes);
// A reply's arguments: usually one a(yv) of no value, one, or a few.
QList<QVariant> replyArguments(FuzzedDataProvider& bytes);

} // namespace fuzz
