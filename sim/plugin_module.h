// The plug-in as the Host sees it: a library loaded by path and known only by its five exports.
#pragma once

#include <memory>
#include <string>

#include "host/host_interface.h"

namespace sim {

// Why a library could not be loaded, naming its path once: the loader's own text (which
// often starts with the path) after "cannot load the plug-in PATH: ".
std::string DescribeLoadFailure(const std::string& path, const char* reason);

class PluginModule {
public:
    using QueryFn = decltype(&QueryController);
    using OpenFn = decltype(&OpenController);
    using ConfigureFn = decltype(&ConfigureController);
    using UpdateFn = decltype(&UpdateController);
    using CloseFn = decltype(&CloseController);

    // Loads the library at `path` and resolves the five exports; null with `error` set when the
    // library cannot be loaded or lacks one of them.
    static std::unique_ptr<PluginModule> Load(const std::string& path, std::string& error);
    // libkorvane.so in the folder of the running program.
    static std::string DefaultPath();

    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    QueryFn query = nullptr;
    OpenFn open = nullptr;
    ConfigureFn configure = nullptr;
    UpdateFn update = nullptr;
    CloseFn close = nullptr;

private:
    explicit PluginModule(void* library) : handle(library) {}
    void* handle;
};

} // namespace sim
