#include "files/host.hpp"

#include <string>

namespace tessaline {

void Host::ShowLineMessage(std::size_t line, std::string_view text) {
    ShowMessage("Line " + std::to_string(line) + ": " + std::string(text));
}

std::string_view StatusCaption(StatusState state) {
    switch (state) {
        case StatusState::Running:
            return "normal";
        case StatusState::Error:
            return "error";
        case StatusState::Idle:
            break;
    }
    return "status";
}

}  // namespace tessaline
