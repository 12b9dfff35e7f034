#pragma once

#include <cstdint>

namespace acf {

// Every entry point and interface operation answers with a signed 32-bit
// result: 0 is success, negative values are failures. A failing code that a
// host operation returned is passed on unchanged.
using Result = int32_t;

constexpr Result makeFailure(uint32_t code) { return static_cast<Result>(code); }

inline constexpr Result kOk = 0;
inline constexpr Result kNotImplemented = makeFailure(0x80000001u);
inline constexpr Result kOutOfMemory = makeFailure(0x80000002u);
inline constexpr Result kNullArgument = makeFailure(0x80000003u);  // factory, creation, query, unload check
inline constexpr Result kNoInterface = makeFailure(0x80000004u);
inline constexpr Result kNullPointer = makeFailure(0x80000005u);  // registration, update handler
inline constexpr Result kObjectsAlive = makeFailure(0x80000008u);
inline constexpr Result kBadIndex = makeFailure(0x8000000Cu);
inline constexpr Result kUnexpected = makeFailure(0x8000FFFFu);
inline constexpr Result kNoAggregation = makeFailure(0x80040110u);
inline constexpr Result kClassNotAvailable = makeFailure(0x80040111u);

constexpr bool failed(Result result) { return result < 0; }
constexpr bool succeeded(Result result) { return result >= 0; }

}  // namespace acf
