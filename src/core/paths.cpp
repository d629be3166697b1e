#include "core/paths.hpp"

namespace tessaline {}  // namespace tessaline
