// What the fuzz targets share: the offscreen application that pictures, fonts and controls
// need, a check that stops the run with a message when an oracle fails, and a reader of
// structured values from the fuzzer's bytes.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/Streams.h"

namespace carrelon::fuzz {

// Starts the offscreen application once per process; later calls do nothing.
void StartOffscreenApplication();

// Reports a broken oracle with the detail given and aborts, so that libFuzzer records the input.
[[noreturn]] void OracleFailed(const char* Condition, const char* File, int Line,
                               const std::string& Detail);

// A memory stream holding the bytes, positioned at the start.
void FillStream(TMemoryStream& Stream, const std::uint8_t* Data, std::size_t Size);
// Everything a memory stream holds.
std::vector<Byte> StreamBytes(TMemoryStream& Stream);

// Shows bytes as C-escaped text for oracle messages.
std::string Escaped(const std::string& Text);

}  // namespace carrelon::fuzz

// Checks an oracle; Detail is only evaluated when the check fails.
#define FUZZ_CHECK(Condition, Detail)                                                 \
    do {                                                                              \
        if (!(Condition))                                                             \
            ::carrelon::fuzz::OracleFailed(#Condition, __FILE__, __LINE__, (Detail)); \
    } while (false)
