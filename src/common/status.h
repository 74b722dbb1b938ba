// Status values of operations that can fail: 0 is success, any negative value a failure.
#pragma once

#include <cstdint>

namespace tsuzuri {

using Status = std::int32_t;

constexpr Status S_OK = 0;
// The generic failure; callers test for "negative", never for this exact value.
constexpr Status E_FAIL = static_cast<Status>(0x80004005u);

constexpr bool failed(Status status) {
    return status < 0;
}

}  // namespace tsuzuri
