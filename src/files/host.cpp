#include "files/host.hpp"

namespace tessaline {

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
