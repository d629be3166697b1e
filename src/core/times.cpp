#include "core/times.hpp"

namespace tessaline {}  // namespace tessaline
