// The virtual MIDI bus behind the winmm MIDI functions. Written with the C++ standard library
// only, so that the same code also builds as the replacement winmm.dll of the Windows tests.
//
// It keeps the rules a careful caller of the real API must follow, and counts every breach
// as misuse: a handle used after close or never opened, a header unprepared or a port closed
// while the platform still holds a buffer (MIDIERR_STILLPLAYING), and any winmm call made from
// inside a MIDI callback other than the two the platform allows there (midiOutShortMsg and
// midiOutLongMsg): no opening, closing, resetting, preparing, counting, capability or
// error-text call.
#include "platform/standin/midi_bus.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

typedef void(CALLBACK* MidiInProc)(HMIDIIN, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);
typedef void(CALLBACK* MidiOutProc)(HMIDIOUT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);

constexpr WORD kManufacturerUnknown = 0xFFFF;
constexpr MMVERSION kDriverVersion = 0x0100;
constexpr WORD kAllChannels = 0xFFFF;

// True on a thread while it runs a callback of the module: the bus's own threads, or the
// caller's while the bus delivers on it.
thread_local bool inBusCallback = false;

// Marks the calling thread as running a callback for the life of the object.
class InCallback {
public:
    InCallback() : outer(inBusCallback) { inBusCallback = true; }
    ~InCallback() { inBusCallback = outer; }
    InCallback(const InCallback&) = delete;
    InCallback& operator=(const InCallback&) = delete;

private:
    const bool outer;
};

struct PortEntry {
    int id;
    int direction;
    std::string name;
};

// What an open port's handle holds in either direction.
template <typename IdType, typename ProcedureType>
struct PortHandle {
    using Id = IdType;
    using Procedure = ProcedureType;
    PortHandle(int portId, Procedure procedure, DWORD_PTR value)
        : port(portId), callback(procedure), instance(value) {}
    int port; // 0 once the port was removed
    Procedure callback;
    DWORD_PTR instance;
    int busy = 0;        // callbacks in progress
    bool closed = false; // freed once no callback is in progress
};

// What differs between the two directions of a port, so that one piece of code opens, finds
// and closes both: the device direction, the failures injected into its open and close, the
// notices its callback gets and the names of its calls.
struct Direction {
    int devices;
    StandinBusOperation openOperation;
    StandinBusOperation closeOperation;
    UINT opened;
    UINT closed;
    const char* openCall;
    const char* closeCall;
};

struct InHandle : PortHandle<HMIDIIN, MidiInProc> {
    static constexpr Direction kDirection = {
        STANDIN_BUS_INPUT, STANDIN_BUS_OPEN_INPUT, STANDIN_BUS_CLOSE_INPUT, MIM_OPEN, MIM_CLOSE,
        "midiInOpen",      "midiInClose"};
    using PortHandle::PortHandle;
    bool started = false;
    DWORD startTime = 0;
};

struct OutHandle : PortHandle<HMIDIOUT, MidiOutProc> {
    static constexpr Direction kDirection = {
        STANDIN_BUS_OUTPUT, STANDIN_BUS_OPEN_OUTPUT, STANDIN_BUS_CLOSE_OUTPUT, MOM_OPEN, MOM_CLOSE,
        "midiOutOpen",      "midiOutClose"};
    using PortHandle::PortHandle;
    // Headers prepared now. A vector keeps its room, so that a steady stream of long messages
    // costs the bus no heap memory of its own.
    std::vector<MIDIHDR*> prepared;
};

struct Completion {
    OutHandle* handle;
    MIDIHDR* header;
    Clock::time_point due;
    bool held;
};

struct ErrorText {
    MMRESULT code;
    const char* text;
};

// The platform's texts for its result codes.
constexpr ErrorText kErrorTexts[] = {
    {MMSYSERR_NOERROR, "The specified command was carried out."},
    {MMSYSERR_ERROR, "Undefined external error."},
    {MMSYSERR_BADDEVICEID, "A device ID has been used that is out of range for your system."},
    {MMSYSERR_NOTENABLED, "The driver was not enabled."},
    {MMSYSERR_ALLOCATED,
     "The specified device is already in use. Wait until it is free, and then try again."},
    {MMSYSERR_INVALHANDLE, "The specified device handle is invalid."},
    {MMSYSERR_NODRIVER, "There is no driver installed on your system."},
    {MMSYSERR_NOMEM, "There is not enough memory available for this task. Quit one or more "
                     "applications to increase available memory, and then try again."},
    {MMSYSERR_NOTSUPPORTED, "This function is not supported. Use the Capabilities function to "
                            "determine which functions and messages the driver supports."},
    {MMSYSERR_BADERRNUM, "An error number was specified that is not defined in the system."},
    {MMSYSERR_INVALFLAG, "An invalid flag was passed to a system function."},
    {MMSYSERR_INVALPARAM, "An invalid parameter was passed to a system function."},
    {MIDIERR_UNPREPARED, "The MIDI header was not prepared. Use the Prepare function to "
                         "prepare the header, and then try again."},
    {MIDIERR_STILLPLAYING, "Cannot perform this operation while media data is still playing. "
                           "Reset the device, or wait until the data is finished playing."},
    {MIDIERR_NOMAP, "A MIDI map was not found. There may be a problem with the driver, or the "
                    "MIDIMAP.CFG file may be corrupt or missing."},
    {MIDIERR_NOTREADY, "The port is transmitting data to the device. Wait until the data has "
                       "been transmitted, and then try again."},
    {MIDIERR_NODEVICE, "The current MIDI Mapper setup refers to a MIDI device that is not "
                       "installed on the system. Use MIDI Mapper to edit the setup."},
    {MIDIERR_INVALIDSETUP, "The current MIDI setup is damaged. Copy the original MIDIMAP.CFG "
                           "file to the Windows SYSTEM directory, and then try again."},
};

class Bus {
public:
    Bus() : delivery([this] { DeliveryLoop(); }), completion([this] { CompletionLoop(); }) {}

    ~Bus() {
        {
            std::lock_guard<std::mutex> guard(lock);
            stopping = true;
        }
        changed.notify_all();
        work.notify_all();
        delivery.join();
        completion.join();
    }

    Bus(const Bus&) = delete;
    Bus& operator=(const Bus&) = delete;

    // ---- far side ---------------------------------------------------------------------

    int AddPort(int direction, const char* name) {
        if (name == nullptr || std::strlen(name) >= MAXPNAMELEN ||
            (direction != STANDIN_BUS_INPUT && direction != STANDIN_BUS_OUTPUT))
            return 0;
        std::lock_guard<std::mutex> guard(lock);
        ports.push_back({nextPortId, direction, name});
        return nextPortId++;
    }

    void RemovePort(int port) {
        std::lock_guard<std::mutex> guard(lock);
        ports.erase(std::remove_if(ports.begin(), ports.end(),
                                   [port](const PortEntry& entry) { return entry.id == port; }),
                    ports.end());
        ForgetPort(Opened<InHandle>(), port);
        ForgetPort(Opened<OutHandle>(), port);
    }

    void Reset() {
        std::unique_lock<std::mutex> guard(lock);
        // Handles a test left open are closed here, once their callbacks have returned, with
        // the close notice the platform sends when it closes a port.
        changed.wait(guard, [this] { return callbacksInProgress == 0 && !AnyBusy(); });
        std::set<InHandle*> openInputs;
        std::set<OutHandle*> openOutputs;
        openInputs.swap(Opened<InHandle>());
        openOutputs.swap(Opened<OutHandle>());
        completions.clear();
        guard.unlock();
        CloseAll(openInputs);
        CloseAll(openOutputs);
        guard.lock();
        ports.clear();
        injected.clear();
        hold = false;
        delay = 0;
        std::fill(std::begin(failNext), std::end(failNext), MMSYSERR_NOERROR);
        std::fill(std::begin(failAlways), std::end(failAlways), MMSYSERR_NOERROR);
        onCaller = false;
        textOverrides.clear();
        sink = nullptr;
        sinkContext = nullptr;
        counters = {};
        lastMisuse.clear();
        Changed();
    }

    void Inject(int port, DWORD word) {
        std::unique_lock<std::mutex> guard(lock);
        injected.emplace_back(port, word);
        if (onCaller)
            DeliverInjected(guard);
        Changed();
    }

    bool WaitIdle(DWORD milliseconds) {
        std::unique_lock<std::mutex> guard(lock);
        return changed.wait_for(guard, std::chrono::milliseconds(milliseconds),
                                [this] { return IsIdle(); });
    }

    void SetSink(StandinBusOutputSink newSink, void* context) {
        std::lock_guard<std::mutex> guard(lock);
        sink = newSink;
        sinkContext = context;
    }

    void SetDelay(DWORD milliseconds) {
        std::lock_guard<std::mutex> guard(lock);
        delay = milliseconds;
    }

    void Hold(bool on) {
        std::lock_guard<std::mutex> guard(lock);
        hold = on;
    }

    void Release(int count) {
        std::unique_lock<std::mutex> guard(lock);
        for (Completion& pending : completions) {
            if (count == 0)
                break;
            if (pending.held) {
                pending.held = false;
                if (count > 0)
                    --count;
            }
        }
        if (onCaller)
            CompleteDue(guard);
        Changed();
    }

    void FailNext(StandinBusOperation operation, MMRESULT result, bool always) {
        if (operation < 0 || operation >= STANDIN_BUS_OPERATION_COUNT)
            return;
        std::lock_guard<std::mutex> guard(lock);
        (always ? failAlways : failNext)[operation] = result;
    }

    void DeliverOnCaller(bool on) {
        std::unique_lock<std::mutex> guard(lock);
        onCaller = on;
        if (on) {
            // What the bus's threads had not handed over yet is handed over now, here.
            DeliverInjected(guard);
            CompleteDue(guard);
        }
        Changed();
    }

    void SetErrorText(MMRESULT result, const char* text) {
        std::lock_guard<std::mutex> guard(lock);
        if (text == nullptr)
            textOverrides.erase(result);
        else
            textOverrides[result] = text;
    }

    StandinBusCounters Counters() {
        std::lock_guard<std::mutex> guard(lock);
        StandinBusCounters result = counters;
        result.longPending = static_cast<DWORD>(completions.size());
        result.openInputs = static_cast<DWORD>(Opened<InHandle>().size());
        result.openOutputs = static_cast<DWORD>(Opened<OutHandle>().size());
        result.preparedHeaders = 0;
        for (OutHandle* handle : Opened<OutHandle>())
            result.preparedHeaders += static_cast<DWORD>(handle->prepared.size());
        return result;
    }

    std::string LastMisuse() {
        std::lock_guard<std::mutex> guard(lock);
        return lastMisuse;
    }

    // ---- the platform's side ------------------------------------------------------------

    UINT CountPorts(int direction) {
        std::lock_guard<std::mutex> guard(lock);
        ForbiddenInCallback(direction == STANDIN_BUS_INPUT ? "midiInGetNumDevs"
                                                           : "midiOutGetNumDevs");
        return static_cast<UINT>(
            std::count_if(ports.begin(), ports.end(), [direction](const PortEntry& entry) {
                return entry.direction == direction;
            }));
    }

    // Fills the capability record's name; 0 or the failure to return.
    MMRESULT PortName(int direction, UINT_PTR index, char (&name)[MAXPNAMELEN],
                      StandinBusOperation operation) {
        std::lock_guard<std::mutex> guard(lock);
        ForbiddenInCallback(direction == STANDIN_BUS_INPUT ? "midiInGetDevCapsA"
                                                           : "midiOutGetDevCapsA");
        if (MMRESULT failure = TakeFailure(operation))
            return failure;
        const PortEntry* entry = PortAt(direction, index);
        if (entry == nullptr)
            return MMSYSERR_BADDEVICEID;
        std::memset(name, 0, sizeof name);
        std::memcpy(name, entry->name.c_str(), entry->name.size());
        return MMSYSERR_NOERROR;
    }

    template <typename Handle>
    MMRESULT Open(typename Handle::Id* result, UINT index, DWORD_PTR callback, DWORD_PTR instance,
                  DWORD flags) {
        Handle* handle = nullptr;
        {
            std::lock_guard<std::mutex> guard(lock);
            ForbiddenInCallback(Handle::kDirection.openCall);
            if (MMRESULT failure = CheckOpen(result, flags, Handle::kDirection.openOperation))
                return failure;
            const PortEntry* entry = PortAt(Handle::kDirection.devices, index);
            if (entry == nullptr)
                return MMSYSERR_BADDEVICEID;
            std::set<Handle*>& opened = Opened<Handle>();
            if (std::any_of(opened.begin(), opened.end(),
                            [entry](const Handle* open) { return open->port == entry->id; }))
                return MMSYSERR_ALLOCATED;
            handle = new Handle(entry->id, CallbackOf<typename Handle::Procedure>(callback, flags),
                                instance);
            opened.insert(handle);
            *result = reinterpret_cast<typename Handle::Id>(handle);
        }
        Notify(handle, Handle::kDirection.opened);
        return MMSYSERR_NOERROR;
    }

    MMRESULT StartInput(HMIDIIN id, bool start, const char* call) {
        std::lock_guard<std::mutex> guard(lock);
        ForbiddenInCallback(call);
        InHandle* handle = Find<InHandle>(id, call);
        if (handle == nullptr)
            return MMSYSERR_INVALHANDLE;
        if (start) {
            if (MMRESULT failure = TakeFailure(STANDIN_BUS_START_INPUT))
                return failure;
            if (!handle->started)
                handle->startTime = GetTickCount();
        }
        handle->started = start;
        return MMSYSERR_NOERROR;
    }

    // A callback in progress is not waited for, as the platform does not promise to: a caller
    // that must know when its callbacks have ended counts them itself.
    template <typename Handle>
    MMRESULT Close(typename Handle::Id id) {
        Handle* handle = nullptr;
        {
            std::lock_guard<std::mutex> guard(lock);
            handle = Find<Handle>(id, Handle::kDirection.closeCall);
            if (handle == nullptr)
                return MMSYSERR_INVALHANDLE;
            if (HoldsBuffers(handle)) {
                Misuse(std::string(Handle::kDirection.closeCall) +
                       " with buffers the platform still holds");
                return MIDIERR_STILLPLAYING;
            }
            if (MMRESULT failure = TakeFailure(Handle::kDirection.closeOperation))
                return failure;
            ForbiddenInCallback(Handle::kDirection.closeCall);
            Opened<Handle>().erase(handle);
            handle->closed = true;
            ++handle->busy; // the close notice below
        }
        Notify(handle, Handle::kDirection.closed);
        std::lock_guard<std::mutex> guard(lock);
        EndCallback(handle);
        return MMSYSERR_NOERROR;
    }

    MMRESULT UnprepareInput(HMIDIIN id, LPMIDIHDR header) {
        std::lock_guard<std::mutex> guard(lock);
        if (Find<InHandle>(id, "midiInUnprepareHeader") == nullptr)
            return MMSYSERR_INVALHANDLE;
        ForbiddenInCallback("midiInUnprepareHeader");
        if (header == nullptr)
            return MMSYSERR_INVALPARAM;
        header->dwFlags &= ~static_cast<DWORD>(MHDR_PREPARED);
        return MMSYSERR_NOERROR;
    }

    MMRESULT SendShort(HMIDIOUT id, DWORD word) {
        StandinBusOutputSink observer = nullptr;
        void* context = nullptr;
        int port = 0;
        {
            std::lock_guard<std::mutex> guard(lock);
            OutHandle* handle = Find<OutHandle>(id, "midiOutShortMsg");
            if (handle == nullptr)
                return MMSYSERR_INVALHANDLE;
            if (MMRESULT failure = TakeFailure(STANDIN_BUS_SEND_SHORT))
                return failure;
            if (handle->port == 0)
                return MMSYSERR_NODRIVER;
            ++counters.shortSent;
            observer = sink;
            context = sinkContext;
            port = handle->port;
        }
        if (observer != nullptr)
            observer(port, word, nullptr, 0, context);
        return MMSYSERR_NOERROR;
    }

    MMRESULT Prepare(HMIDIOUT id, LPMIDIHDR header, UINT size, bool prepare) {
        std::lock_guard<std::mutex> guard(lock);
        OutHandle* handle =
            Find<OutHandle>(id, prepare ? "midiOutPrepareHeader" : "midiOutUnprepareHeader");
        if (handle == nullptr)
            return MMSYSERR_INVALHANDLE;
        ForbiddenInCallback(prepare ? "midiOutPrepareHeader" : "midiOutUnprepareHeader");
        if (header == nullptr || size < sizeof(MIDIHDR))
            return MMSYSERR_INVALPARAM;
        if (prepare) {
            if (MMRESULT failure = TakeFailure(STANDIN_BUS_PREPARE_OUTPUT))
                return failure;
            if (header->lpData == nullptr || header->dwBufferLength == 0)
                return MMSYSERR_INVALPARAM;
            header->dwFlags |= MHDR_PREPARED;
            if (std::find(handle->prepared.begin(), handle->prepared.end(), header) ==
                handle->prepared.end())
                handle->prepared.push_back(header);
            return MMSYSERR_NOERROR;
        }
        if ((header->dwFlags & MHDR_INQUEUE) != 0) {
            Misuse("midiOutUnprepareHeader of a buffer the platform still holds");
            return MIDIERR_STILLPLAYING;
        }
        header->dwFlags &= ~static_cast<DWORD>(MHDR_PREPARED);
        handle->prepared.erase(
            std::remove(handle->prepared.begin(), handle->prepared.end(), header),
            handle->prepared.end());
        return MMSYSERR_NOERROR;
    }

    MMRESULT SendLong(HMIDIOUT id, LPMIDIHDR header, UINT size) {
        StandinBusOutputSink observer = nullptr;
        void* context = nullptr;
        OutHandle* handle = nullptr;
        int port = 0;
        {
            std::lock_guard<std::mutex> guard(lock);
            handle = Find<OutHandle>(id, "midiOutLongMsg");
            if (handle == nullptr)
                return MMSYSERR_INVALHANDLE;
            if (header == nullptr || size < sizeof(MIDIHDR))
                return MMSYSERR_INVALPARAM;
            if (MMRESULT failure = TakeFailure(STANDIN_BUS_SEND_LONG))
                return failure;
            if (handle->port == 0)
                return MMSYSERR_NODRIVER;
            if ((header->dwFlags & MHDR_PREPARED) == 0)
                return MIDIERR_UNPREPARED;
            if ((header->dwFlags & MHDR_INQUEUE) != 0) {
                Misuse("midiOutLongMsg of a buffer the platform already holds");
                return MIDIERR_STILLPLAYING;
            }
            header->dwFlags = (header->dwFlags & ~static_cast<DWORD>(MHDR_DONE)) | MHDR_INQUEUE;
            ++counters.longSent;
            observer = sink;
            context = sinkContext;
            port = handle->port;
        }
        // The bytes are observed before the completion is queued, while the sender still
        // holds them for certain.
        if (observer != nullptr)
            observer(port, 0, reinterpret_cast<const BYTE*>(header->lpData), header->dwBufferLength,
                     context);
        std::unique_lock<std::mutex> guard(lock);
        Clock::time_point due = Clock::now() + std::chrono::milliseconds(delay);
        if (!completions.empty())
            due = std::max(due, completions.back().due); // buffers finish in order
        completions.push_back({handle, header, due, hold});
        if (onCaller)
            CompleteDue(guard);
        Changed();
        return MMSYSERR_NOERROR;
    }

    MMRESULT ResetOutput(HMIDIOUT id) {
        std::unique_lock<std::mutex> guard(lock);
        OutHandle* handle = Find<OutHandle>(id, "midiOutReset");
        if (handle == nullptr)
            return MMSYSERR_INVALHANDLE;
        if (MMRESULT failure = TakeFailure(STANDIN_BUS_RESET_OUTPUT))
            return failure;
        ++counters.outputResets;
        // Every buffer the port holds completes now, held or not.
        for (Completion& pending : completions) {
            if (pending.handle == handle) {
                pending.held = false;
                pending.due = Clock::now();
            }
        }
        if (onCaller)
            CompleteDue(guard);
        Changed();
        if (inBusCallback) {
            ForbiddenInCallback("midiOutReset");
            return MMSYSERR_NOERROR;
        }
        changed.wait(guard, [this, handle] { return !HasPending(handle); });
        return MMSYSERR_NOERROR;
    }

    MMRESULT ErrorTextOf(MMRESULT code, LPSTR text, UINT size, const char* call) {
        std::string message;
        {
            std::lock_guard<std::mutex> guard(lock);
            ForbiddenInCallback(call);
            if (text == nullptr || size == 0)
                return MMSYSERR_INVALPARAM;
            auto overridden = textOverrides.find(code);
            if (overridden != textOverrides.end())
                message = overridden->second;
        }
        if (message.empty()) {
            const auto* known =
                std::find_if(std::begin(kErrorTexts), std::end(kErrorTexts),
                             [code](const ErrorText& entry) { return entry.code == code; });
            if (known == std::end(kErrorTexts))
                return MMSYSERR_BADERRNUM;
            message = known->text;
        }
        const size_t length = std::min<size_t>(message.size(), size - 1);
        std::memcpy(text, message.data(), length);
        text[length] = '\0';
        return MMSYSERR_NOERROR;
    }

private:
    template <typename Proc>
    static Proc CallbackOf(DWORD_PTR callback, DWORD flags) {
        if ((flags & CALLBACK_TYPEMASK) != CALLBACK_FUNCTION)
            return nullptr;
        return reinterpret_cast<Proc>(callback);
    }

    template <typename Handle>
    MMRESULT CheckOpen(Handle* result, DWORD flags, StandinBusOperation operation) {
        if (result == nullptr)
            return MMSYSERR_INVALPARAM;
        const DWORD kind = flags & CALLBACK_TYPEMASK;
        if (kind != CALLBACK_NULL && kind != CALLBACK_FUNCTION)
            return MMSYSERR_INVALFLAG;
        return TakeFailure(operation);
    }

    MMRESULT TakeFailure(StandinBusOperation operation) {
        const MMRESULT failure = failNext[operation];
        failNext[operation] = MMSYSERR_NOERROR;
        return failure != MMSYSERR_NOERROR ? failure : failAlways[operation];
    }

    // A winmm call that the platform does not allow inside a MIDI callback.
    void ForbiddenInCallback(const char* call) {
        if (inBusCallback)
            Misuse(std::string(call) + " inside a MIDI callback");
    }

    const PortEntry* PortAt(int direction, UINT_PTR index) const {
        UINT_PTR seen = 0;
        for (const PortEntry& entry : ports) {
            if (entry.direction != direction)
                continue;
            if (seen++ == index)
                return &entry;
        }
        return nullptr;
    }

    template <typename Handle>
    Handle* Find(typename Handle::Id id, const char* call) {
        auto* handle = reinterpret_cast<Handle*>(id);
        if (Opened<Handle>().count(handle) == 0) {
            Misuse(std::string(call) + " with a handle that is not open");
            return nullptr;
        }
        return handle;
    }

    template <typename Handle>
    std::set<Handle*>& Opened() {
        return std::get<std::set<Handle*>>(openHandles);
    }

    bool HasPending(const OutHandle* handle) const {
        return std::any_of(
            completions.begin(), completions.end(),
            [handle](const Completion& pending) { return pending.handle == handle; });
    }

    // Whether the platform holds buffers of the handle, which must not be closed then. Input
    // ports never get buffers here.
    static bool HoldsBuffers(const InHandle*) { return false; }
    bool HoldsBuffers(const OutHandle* handle) const { return HasPending(handle); }

    void Misuse(const std::string& what) {
        ++counters.misuse;
        lastMisuse = what;
    }

    // Wakes whoever waits for the bus, and the bus's own threads when there is something for
    // them to do (not when the caller's thread does their work).
    void Changed() {
        changed.notify_all();
        if (!onCaller && (!injected.empty() || !completions.empty()))
            work.notify_all();
    }

    // A callback of a handle has returned; a closed handle goes with its last one.
    template <typename Handle>
    void EndCallback(Handle* handle) {
        if (--handle->busy == 0 && handle->closed)
            delete handle;
        Changed();
    }

    bool AnyBusy() { return AnyBusyIn(Opened<InHandle>()) || AnyBusyIn(Opened<OutHandle>()); }

    template <typename Handle>
    static bool AnyBusyIn(const std::set<Handle*>& handles) {
        return std::any_of(handles.begin(), handles.end(),
                           [](const Handle* handle) { return handle->busy > 0; });
    }

    template <typename Handle>
    static void ForgetPort(const std::set<Handle*>& handles, int port) {
        for (Handle* handle : handles)
            if (handle->port == port)
                handle->port = 0;
    }

    // Closes handles that are no longer open, with the platform's close notice.
    template <typename Handle>
    static void CloseAll(const std::set<Handle*>& handles) {
        for (Handle* handle : handles) {
            Notify(handle, Handle::kDirection.closed);
            delete handle;
        }
    }

    bool IsIdle() const {
        if (!injected.empty() || callbacksInProgress > 0)
            return false;
        return completions.empty() || completions.front().held;
    }

    // Open and close notices come on the caller's thread, as the platform sends them.
    template <typename Handle>
    static void Notify(Handle* handle, UINT message) {
        if (handle->callback != nullptr)
            handle->callback(reinterpret_cast<typename Handle::Id>(handle), message,
                             handle->instance, 0, 0);
    }

    // Hands the oldest injected message to its port's callback, without the lock held while
    // the callback runs; a message that finds no started port is dropped.
    void DeliverFront(std::unique_lock<std::mutex>& guard) {
        const auto message = injected.front();
        injected.pop_front();
        InHandle* target = nullptr;
        for (InHandle* handle : Opened<InHandle>())
            if (handle->port == message.first && handle->port != 0 && handle->started)
                target = handle;
        if (target == nullptr || target->callback == nullptr) {
            ++counters.dropped;
            Changed();
            return;
        }
        ++target->busy;
        ++callbacksInProgress;
        const DWORD timeStamp = GetTickCount() - target->startTime;
        guard.unlock();
        {
            InCallback inCallback;
            target->callback(reinterpret_cast<HMIDIIN>(target), MIM_DATA, target->instance,
                             message.second, timeStamp);
        }
        guard.lock();
        EndCallback(target);
        --callbacksInProgress;
        ++counters.delivered;
        Changed();
    }

    // Delivery on the caller's thread: everything queued, in order. A message injected from
    // inside a callback waits for the delivery in progress to hand it over.
    void DeliverInjected(std::unique_lock<std::mutex>& guard) {
        if (deliveringOnCaller || inBusCallback)
            return;
        deliveringOnCaller = true;
        while (!injected.empty())
            DeliverFront(guard);
        deliveringOnCaller = false;
    }

    bool CompletionDue() const {
        return !completions.empty() && !completions.front().held &&
               (onCaller || completions.front().due <= Clock::now());
    }

    // Reports every buffer that is due and released as done, back to back, without the lock
    // held while the callbacks run. On the caller's thread delays do not apply.
    void CompleteDue(std::unique_lock<std::mutex>& guard) {
        std::vector<Completion> batch;
        while (CompletionDue()) {
            Completion done = completions.front();
            completions.pop_front();
            done.header->dwFlags =
                (done.header->dwFlags & ~static_cast<DWORD>(MHDR_INQUEUE)) | MHDR_DONE;
            // Counted as the platform marks it done, so that a sender who hears of it and then
            // reads the counters finds it there.
            ++counters.longCompleted;
            ++done.handle->busy;
            batch.push_back(done);
        }
        if (batch.empty())
            return;
        ++callbacksInProgress;
        guard.unlock();
        {
            InCallback inCallback;
            for (const Completion& done : batch) {
                if (done.handle->callback != nullptr)
                    done.handle->callback(reinterpret_cast<HMIDIOUT>(done.handle), MOM_DONE,
                                          done.handle->instance,
                                          reinterpret_cast<DWORD_PTR>(done.header), 0);
            }
        }
        guard.lock();
        for (const Completion& done : batch)
            EndCallback(done.handle);
        --callbacksInProgress;
        Changed();
    }

    void DeliveryLoop() {
        std::unique_lock<std::mutex> guard(lock);
        while (!stopping) {
            if (injected.empty() || onCaller)
                work.wait(guard);
            else
                DeliverFront(guard);
        }
    }

    void CompletionLoop() {
        std::unique_lock<std::mutex> guard(lock);
        while (!stopping) {
            if (onCaller || completions.empty() || completions.front().held)
                work.wait(guard);
            else if (completions.front().due > Clock::now())
                work.wait_until(guard, completions.front().due);
            else
                CompleteDue(guard);
        }
    }

    std::mutex lock;
    std::condition_variable changed; // anything changed: for those waiting for the bus
    std::condition_variable work;    // something for the bus's own threads to do
    bool stopping = false;
    std::vector<PortEntry> ports;
    int nextPortId = 1;
    std::tuple<std::set<InHandle*>, std::set<OutHandle*>> openHandles;
    std::deque<std::pair<int, DWORD>> injected;
    int callbacksInProgress = 0;
    std::deque<Completion> completions;
    bool hold = false;
    DWORD delay = 0;
    MMRESULT failNext[STANDIN_BUS_OPERATION_COUNT] = {};
    MMRESULT failAlways[STANDIN_BUS_OPERATION_COUNT] = {};
    bool onCaller = false;           // deliver and complete on the caller's thread
    bool deliveringOnCaller = false; // a caller is handing the queued input over now
    std::map<MMRESULT, std::string> textOverrides;
    StandinBusOutputSink sink = nullptr;
    void* sinkContext = nullptr;
    StandinBusCounters counters = {};
    std::string lastMisuse;
    // Last, so that they start once everything above exists.
    std::thread delivery;
    std::thread completion;
};

// One bus per process. Built as winmm.dll it is never destroyed: when a Windows process exits,
// its other threads are ended before the DLL is unloaded, and joining the bus's threads there
// would wait forever.
Bus& TheBus() {
#ifdef _WIN32
    static Bus& bus = *new Bus;
#else
    static Bus bus;
#endif
    return bus;
}

template <typename Caps>
MMRESULT FillCaps(int direction, UINT_PTR index, Caps* caps, UINT size,
                  StandinBusOperation operation, Caps& record) {
    if (caps == nullptr)
        return MMSYSERR_INVALPARAM;
    record.wMid = kManufacturerUnknown;
    record.wPid = kManufacturerUnknown;
    record.vDriverVersion = kDriverVersion;
    if (MMRESULT failure = TheBus().PortName(direction, index, record.szPname, operation))
        return failure;
    std::memcpy(caps, &record, std::min<size_t>(size, sizeof record));
    return MMSYSERR_NOERROR;
}

} // namespace

extern "C" {

// ---- far side ---------------------------------------------------------------------------

int StandinBusAddPort(int direction, const char* name) {
    return TheBus().AddPort(direction, name);
}
void StandinBusRemovePort(int port) {
    TheBus().RemovePort(port);
}
void StandinBusReset(void) {
    TheBus().Reset();
}
void StandinBusInject(int port, DWORD word) {
    TheBus().Inject(port, word);
}
int StandinBusWaitIdle(DWORD milliseconds) {
    return TheBus().WaitIdle(milliseconds) ? 1 : 0;
}
void StandinBusSetOutputSink(StandinBusOutputSink sink, void* context) {
    TheBus().SetSink(sink, context);
}
void StandinBusSetCompletionDelay(DWORD milliseconds) {
    TheBus().SetDelay(milliseconds);
}
void StandinBusHoldCompletions(int hold) {
    TheBus().Hold(hold != 0);
}
void StandinBusReleaseCompletions(int count) {
    TheBus().Release(count);
}
void StandinBusFailNext(StandinBusOperation operation, MMRESULT result) {
    TheBus().FailNext(operation, result, false);
}
void StandinBusFailAlways(StandinBusOperation operation, MMRESULT result) {
    TheBus().FailNext(operation, result, true);
}
void StandinBusDeliverOnCaller(int on) {
    TheBus().DeliverOnCaller(on != 0);
}
void StandinBusSetErrorText(MMRESULT result, const char* text) {
    TheBus().SetErrorText(result, text);
}
void StandinBusGetCounters(StandinBusCounters* counters) {
    if (counters != nullptr)
        *counters = TheBus().Counters();
}
void StandinBusLastMisuse(char* text, DWORD size) {
    if (text == nullptr || size == 0)
        return;
    const std::string misuse = TheBus().LastMisuse();
    const size_t length = std::min<size_t>(misuse.size(), size - 1);
    std::memcpy(text, misuse.data(), length);
    text[length] = '\0';
}

// ---- winmm: input -------------------------------------------------------------------------

UINT WINAPI midiInGetNumDevs(void) {
    return TheBus().CountPorts(STANDIN_BUS_INPUT);
}

MMRESULT WINAPI midiInGetDevCapsA(UINT_PTR deviceId, LPMIDIINCAPSA caps, UINT size) {
    MIDIINCAPSA record = {};
    return FillCaps(STANDIN_BUS_INPUT, deviceId, caps, size, STANDIN_BUS_CAPS_INPUT, record);
}

MMRESULT WINAPI midiInOpen(LPHMIDIIN handle, UINT deviceId, DWORD_PTR callback, DWORD_PTR instance,
                           DWORD flags) {
    return TheBus().Open<InHandle>(handle, deviceId, callback, instance, flags);
}

MMRESULT WINAPI midiInStart(HMIDIIN handle) {
    return TheBus().StartInput(handle, true, "midiInStart");
}
MMRESULT WINAPI midiInStop(HMIDIIN handle) {
    return TheBus().StartInput(handle, false, "midiInStop");
}
// No input buffers are ever added, so a reset only stops input.
MMRESULT WINAPI midiInReset(HMIDIIN handle) {
    return TheBus().StartInput(handle, false, "midiInReset");
}
MMRESULT WINAPI midiInClose(HMIDIIN handle) {
    return TheBus().Close<InHandle>(handle);
}

MMRESULT WINAPI midiInPrepareHeader(HMIDIIN, LPMIDIHDR, UINT) {
    return MMSYSERR_NOTSUPPORTED;
}
MMRESULT WINAPI midiInUnprepareHeader(HMIDIIN handle, LPMIDIHDR header, UINT) {
    return TheBus().UnprepareInput(handle, header);
}
MMRESULT WINAPI midiInAddBuffer(HMIDIIN, LPMIDIHDR, UINT) {
    return MMSYSERR_NOTSUPPORTED;
}

MMRESULT WINAPI midiInGetErrorTextA(MMRESULT error, LPSTR text, UINT size) {
    return TheBus().ErrorTextOf(error, text, size, "midiInGetErrorTextA");
}

// ---- winmm: output ------------------------------------------------------------------------

UINT WINAPI midiOutGetNumDevs(void) {
    return TheBus().CountPorts(STANDIN_BUS_OUTPUT);
}

MMRESULT WINAPI midiOutGetDevCapsA(UINT_PTR deviceId, LPMIDIOUTCAPSA caps, UINT size) {
    MIDIOUTCAPSA record = {};
    record.wTechnology = MOD_MIDIPORT;
    record.wChannelMask = kAllChannels;
    return FillCaps(STANDIN_BUS_OUTPUT, deviceId, caps, size, STANDIN_BUS_CAPS_OUTPUT, record);
}

MMRESULT WINAPI midiOutOpen(LPHMIDIOUT handle, UINT deviceId, DWORD_PTR callback,
                            DWORD_PTR instance, DWORD flags) {
    return TheBus().Open<OutHandle>(handle, deviceId, callback, instance, flags);
}

MMRESULT WINAPI midiOutClose(HMIDIOUT handle) {
    return TheBus().Close<OutHandle>(handle);
}

MMRESULT WINAPI midiOutShortMsg(HMIDIOUT handle, DWORD message) {
    return TheBus().SendShort(handle, message);
}

MMRESULT WINAPI midiOutPrepareHeader(HMIDIOUT handle, LPMIDIHDR header, UINT size) {
    return TheBus().Prepare(handle, header, size, true);
}

MMRESULT WINAPI midiOutUnprepareHeader(HMIDIOUT handle, LPMIDIHDR header, UINT size) {
    return TheBus().Prepare(handle, header, size, false);
}

MMRESULT WINAPI midiOutLongMsg(HMIDIOUT handle, LPMIDIHDR header, UINT size) {
    return TheBus().SendLong(handle, header, size);
}

MMRESULT WINAPI midiOutReset(HMIDIOUT handle) {
    return TheBus().ResetOutput(handle);
}

MMRESULT WINAPI midiOutGetErrorTextA(MMRESULT error, LPSTR text, UINT size) {
    return TheBus().ErrorTextOf(error, text, size, "midiOutGetErrorTextA");
}

} // extern "C"
