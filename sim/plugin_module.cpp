#include "plugin_module.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

namespace sim {

namespace {

constexpr char kDefaultLibrary[] = "libkorvane.so";

// Resolves one export into `entry`; false (with `error` set) when the library lacks it.
template <typename Function>
bool Resolve(void* library, const char* name, Function& entry, std::string& error) {
    void* symbol = dlsym(library, name);
    if (symbol == nullptr) {
        error = std::string("the plug-in does not export ") + name;
        return false;
    }
    entry = reinterpret_cast<Function>(symbol);
    return true;
}

} // namespace

std::string DescribeLoadFailure(const std::string& path, const char* reason) {
    std::string why = reason != nullptr ? reason : "the loader gives no reason";
    const std::string pathFirst = path + ": ";
    if (why.compare(0, pathFirst.size(), pathFirst) == 0)
        why.erase(0, pathFirst.size());
    return "cannot load the plug-in " + path + ": " + why;
}

std::unique_ptr<PluginModule> PluginModule::Load(const std::string& path, std::string& error) {
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        error = DescribeLoadFailure(path, dlerror());
        return nullptr;
    }
    std::unique_ptr<PluginModule> module(new PluginModule(library));
    if (!Resolve(library, "QueryController", module->query, error) ||
        !Resolve(library, "OpenController", module->open, error) ||
        !Resolve(library, "ConfigureController", module->configure, error) ||
        !Resolve(library, "UpdateController", module->update, error) ||
        !Resolve(library, "CloseController", module->close, error))
        return nullptr;
    return module;
}

std::string PluginModule::DefaultPath() {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return std::string("./") + kDefaultLibrary;
    std::string folder(self, static_cast<size_t>(length));
    folder.erase(folder.find_last_of('/') + 1);
    return folder + kDefaultLibrary;
}

PluginModule::~PluginModule() {
    dlclose(handle);
}

} // namespace sim
