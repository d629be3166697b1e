#include "files/trash.hpp"

#include <gio/gio.h>

namespace tessaline {

std::optional<std::string> MoveToTrash(const std::string& path) {
    GFile* file = g_file_new_for_path(path.c_str());
    GError* error = nullptr;
    std::optional<std::string> reason;
    if (!g_file_trash(file, nullptr, &error)) {
        reason = error != nullptr ? error->message : "the trash refused the file";
        g_clear_error(&error);
    }
    g_object_unref(file);
    return reason;
}

}  // namespace tessaline
