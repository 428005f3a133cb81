#pragma once

#include "automation/ByteArray.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench {

// Counts `plane`'s bytes once per iteration, so results read as bytes/s.
inline void countPlaneBytes(benchmark::State& state, const host::ByteArray& plane) {
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(plane.size()));
}

// The baseline the transfers are measured against: memcpy of the same bytes.
inline void copyPlaneWithMemcpy(benchmark::State& state, const host::ByteArray& plane) {
    std::vector<uint8_t> target(plane.size());
    for (auto _ : state) {
        std::memcpy(target.data(), plane.data(), target.size());
        benchmark::ClobberMemory();
    }
    countPlaneBytes(state, plane);
}

// The least any transfer between two processes costs on this machine: the
// plane copied into shared memory here and out of it in another process,
// handed over through a pipe each way, without D-Bus. Unlike memcpy in one
// loop, the bytes must travel between the two processes' caches.
inline void copyPlaneBetweenProcesses(benchmark::State& state, const host::ByteArray& plane) {
    const std::size_t size = plane.size();
    const int memory = ::memfd_create("bench-handover", MFD_CLOEXEC);
    int toReader[2];
    int toWriter[2];
    if (memory < 0 || ::ftruncate(memory, static_cast<off_t>(size)) != 0 ||
        ::pipe2(toReader, O_CLOEXEC) != 0 || ::pipe2(toWriter, O_CLOEXEC) != 0) {
        state.SkipWithError("cannot set up the shared memory and pipes");
        return;
    }
    auto* shared = static_cast<uint8_t*>(
        ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, memory, 0));
    // Allocated before the fork: the reader must not call malloc.
    std::vector<uint8_t> target(size, 0);
    const pid_t reader = ::fork();
    if (reader == 0) {
        // Without the other ends, the reader sees the end of its pipe once
        // the writer closes it.
        ::close(toReader[1]);
        ::close(toWriter[0]);
        char token = 0;
        while (::read(toReader[0], &token, 1) == 1) {
            std::memcpy(target.data(), shared, size);
            if (::write(toWriter[1], &token, 1) != 1)
                break;
        }
        ::_exit(0);
    }
    ::close(toReader[0]);
    ::close(toWriter[1]);
    for (auto _ : state) {
        std::memcpy(shared, plane.data(), size);
        char token = 0;
        if (::write(toReader[1], &token, 1) != 1 || ::read(toWriter[0], &token, 1) != 1) {
            state.SkipWithError("the reading process is gone");
            break;
        }
    }
    ::close(toReader[1]);
    ::close(toWriter[0]);
    ::waitpid(reader, nullptr, 0);
    ::munmap(shared, size);
    ::close(memory);
    countPlaneBytes(state, plane);
}

} // namespace bench
