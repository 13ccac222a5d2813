// Strict checks of the 32-bit cdecl calling convention between the Host and the plug-in
// (i686 only; the code is in strict_cdecl_i686.S).
//
// cdecl on i686: the caller pushes the arguments right to left and removes them after the call;
// the callee returns its result in EAX, keeps EBX, ESI, EDI, EBP and ESP, returns with the
// direction flag clear, and may change EAX, ECX, EDX and its own argument slots. A caller and
// a callee that disagree (one of them stdcall, say) leave the stack pointer off by the size of
// the arguments at every call, which a frame pointer can hide until the damage reaches a
// return address.
#pragma once

#include <cstdint>

extern "C" {

// One call made by StrictCdeclCall.
struct StrictCall {
    uint32_t registersIn[4];  // EBX, ESI, EDI, EBP as the callee receives them
    uint32_t registersOut[4]; // the same registers when it returned
    uint32_t value;           // EAX
    int32_t stackChange;      // ESP after the return minus ESP at the call: 0 for a cdecl callee
    uint32_t flags;           // EFLAGS after the return
};

// Calls `function` as the Host calls the plug-in: the `count` 32-bit arguments pushed right to
// left, with ESP at the call `alignment` bytes (0, 4, 8 or 12) below a 16-byte boundary, and
// EBX, ESI, EDI, EBP loaded from call->registersIn. Fills the rest of *call. Keeps its state in
// static storage while the callee runs (the callee may lose EBP): one thread at a time.
void StrictCdeclCall(const void* function, const uint32_t* arguments, uint32_t count,
                     uint32_t alignment, StrictCall* call);

// The Host's callbacks as plain cdecl functions in assembly, for the callback table. Each hands
// its entry number and its frame (ESP at entry: the return address, then the arguments) to
// StrictHostDispatch and returns its result; then it changes everything cdecl lets a callee
// change (ECX, EDX and its argument slots), so that a caller relying on anything more fails.
int32_t StrictHostSetParameter(int32_t id, int32_t value, int32_t track, int32_t reserved);
int32_t StrictHostGetParameter(int32_t id, int32_t track, void* result, int32_t reserved);
int32_t StrictHostEnumCommand(int32_t index, char* name, int32_t size, int32_t* unused,
                              int32_t* valid);
int32_t StrictHostReserved(void);
int32_t StrictHostSendCommand(int32_t command, int32_t event);

// The entry numbers the callbacks above pass, in the order of the Host's table.
enum StrictHostEntry : int32_t {
    kStrictSetParameter = 0,
    kStrictGetParameter = 1,
    kStrictEnumCommand = 2,
    kStrictReserved = 3,
    kStrictSendCommand = 4,
};

// Defined by the test: answers a callback. frame[0] is the return address into the caller,
// frame[1...] the arguments.
int32_t StrictHostDispatch(int32_t entry, const uint32_t* frame);
}
