// The five functions the Host knows the module by, the identity record, the module-wide
// controller pointer and the refresh timer that keeps the surface in step with the Host.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/host_bridge.h"
#include "platform/platform.h"

// The identity record. The Host owns the storage; QueryController writes the listed fields
// and leaves every other byte (the field at 8, and the name's bytes after its NUL) alone.
struct ControllerInfo {
    uint32_t id;         // 'kvne', first character in the most significant byte
    uint32_t version;    // 0x200
    uint32_t unused;     // never written
    char name[20];       // "Korvane", NUL-terminated
    uint32_t trackCount; // the tracks the module works with
};
static_assert(offsetof(ControllerInfo, id) == 0, "identity record layout");
static_assert(offsetof(ControllerInfo, version) == 4, "identity record layout");
static_assert(offsetof(ControllerInfo, name) == 12, "identity record layout");
static_assert(offsetof(ControllerInfo, trackCount) == 32, "identity record layout");
static_assert(sizeof(ControllerInfo) == 36, "identity record layout");

constexpr uint32_t kControllerId = 0x6B766E65; // 'kvne'
constexpr uint32_t kControllerVersion = 0x200;
constexpr char kControllerName[] = "Korvane";
// The refresh timer's period.
constexpr UINT kRefreshPeriodMs = 120;

class Korvane;
// The one open controller; null while none is open.
extern Korvane* theController;

extern "C" {
KORVANE_EXPORT int32_t QueryController(void* info);
KORVANE_EXPORT int32_t OpenController(HostCallbackTable* table);
KORVANE_EXPORT void ConfigureController(void* reserved1, void* reserved2, int32_t commandCount,
                                        EnumCommandFn enumCommand);
KORVANE_EXPORT int32_t UpdateController(int32_t code, int32_t first, int32_t second, int32_t third);
KORVANE_EXPORT void CloseController(void);
}
