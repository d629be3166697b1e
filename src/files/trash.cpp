#include "files/trash.hpp"

#include <dlfcn.h>
#include <gio/gio.h>

namespace tessaline {
namespace {

// GIO is loaded the first time a file goes to the trash, not with the program: the command line
// runs every other command without the memory that GLib's libraries take.
struct Gio {
    decltype(&g_file_new_for_path) newForPath = nullptr;
    decltype(&g_file_trash) trash = nullptr;
    decltype(&g_object_unref) unref = nullptr;
    decltype(&g_error_free) freeError = nullptr;

    Gio() {
        void* library = ::dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) return;
        // dlsym hands out untyped addresses; each is the function its declaration names.
        newForPath =
            reinterpret_cast<decltype(newForPath)>(::dlsym(library, "g_file_new_for_path"));
        trash = reinterpret_cast<decltype(trash)>(::dlsym(library, "g_file_trash"));
        unref = reinterpret_cast<decltype(unref)>(::dlsym(library, "g_object_unref"));
        freeError = reinterpret_cast<decltype(freeError)>(::dlsym(library, "g_error_free"));
    }
    [[nodiscard]] bool loaded() const {
        return newForPath != nullptr && trash != nullptr && unref != nullptr &&
               freeError != nullptr;
    }
};

}  // namespace

std::optional<std::string> MoveToTrash(const std::string& path) {
    static const Gio gio;
    if (!gio.loaded()) return "GLib's GIO library (libgio-2.0.so.0) is not installed";
    GFile* file = gio.newForPath(path.c_str());
    GError* error = nullptr;
    std::optional<std::string> reason;
    if (!gio.trash(file, nullptr, &error)) {
        reason = error != nullptr ? error->message : "the trash refused the file";
        if (error != nullptr) gio.freeError(error);
    }
    gio.unref(file);
    return reason;
}

}  // namespace tessaline
