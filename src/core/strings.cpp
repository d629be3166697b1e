#include "core/strings.hpp"

#include "core/chars.hpp"

namespace tessaline {

std::string_view TrimChar(std::string_view text, char c) {
    const std::size_t first = text.find_first_not_of(c);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(c) - first + 1);
}

std::string_view TrimCharSet(std::string_view text, std::string_view set) {
    const std::size_t first = text.find_first_not_of(set);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(set) - first + 1);
}

}  // namespace tessaline
