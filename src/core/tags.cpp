#include "core/tags.hpp"

namespace tessaline {}  // namespace tessaline
