#pragma once

// What the fuzz targets share.

#include "core/errors.hpp"

namespace tessaline::test {

/// Calls f; a conversion error (a field that does not convert, a value out of range) is an
/// expected outcome for hostile input, anything else goes on to crash the target.
template <class F>
void TryConverting(F f) {
    try {
        f();
    } catch (const ConversionError&) {
    }
}

}  // namespace tessaline::test
