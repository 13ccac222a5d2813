#include "support/recording_host.h"

#include "support/host_commands.h"

#include <algorithm>
#include <cstring>
#include <sstream>

std::string HostCall::ToString() const {
    std::ostringstream text;
    switch (kind) {
    case Set:
        text << "Set(" << id << ", " << value << ", track " << track << ")";
        break;
    case Get:
        text << "Get(" << id << ", track " << track << ")";
        break;
    case Command:
        text << "Command(" << id << ", 0x" << std::hex << value << ")";
        break;
    case Enum:
        text << "Enum(" << id << ")";
        break;
    }
    return text.str();
}

HostCall SetCall(int32_t id, int32_t value, int32_t track) {
    return {HostCall::Set, id, value, track};
}
HostCall GetCall(int32_t id, int32_t track) {
    return {HostCall::Get, id, 0, track};
}
HostCall CommandCall(int32_t command, int32_t event) {
    return {HostCall::Command, command, event, 0};
}

void OfferHostCommands(RecordingHost& host) {
    for (const std::string& name : StandardCommandNames())
        host.AddCommand(name, name != kInvalidHostCommand);
}

void RecordingHost::SetInt(int32_t id, int32_t track, int32_t value) {
    std::lock_guard<std::mutex> guard(lock);
    ints[{id, track}] = value;
}

void RecordingHost::SetDouble(int32_t id, int32_t track, double value) {
    std::lock_guard<std::mutex> guard(lock);
    doubles[{id, track}] = value;
}

void RecordingHost::SetName(int32_t track, const std::string& name) {
    std::lock_guard<std::mutex> guard(lock);
    names[track] = {name, false};
}

void RecordingHost::SetRawName(int32_t track, const std::string& bytes) {
    std::lock_guard<std::mutex> guard(lock);
    names[track] = {bytes, true};
}

void RecordingHost::AddCommand(const std::string& name, bool valid) {
    std::lock_guard<std::mutex> guard(lock);
    commands.push_back({name, valid, false});
}

void RecordingHost::AddRawCommand(const std::string& bytes) {
    std::lock_guard<std::mutex> guard(lock);
    commands.push_back({bytes, true, true});
}

int32_t RecordingHost::CommandCount() const {
    std::lock_guard<std::mutex> guard(lock);
    return static_cast<int32_t>(commands.size());
}

void RecordingHost::OnSet(std::function<void(int32_t, int32_t, int32_t)> hook) {
    std::lock_guard<std::mutex> guard(lock);
    setHook = std::move(hook);
}

void RecordingHost::RecordReads(bool on) {
    std::lock_guard<std::mutex> guard(lock);
    recordReads = on;
}

std::vector<HostCall> RecordingHost::Calls() const {
    std::lock_guard<std::mutex> guard(lock);
    return calls;
}

std::vector<HostCall> RecordingHost::CallsOf(HostCall::Kind kind) const {
    std::lock_guard<std::mutex> guard(lock);
    std::vector<HostCall> result;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(result),
                 [kind](const HostCall& call) { return call.kind == kind; });
    return result;
}

void RecordingHost::ClearCalls() {
    std::lock_guard<std::mutex> guard(lock);
    calls.clear();
}

void RecordingHost::Record(const HostCall& call) {
    calls.push_back(call);
}

int32_t RecordingHost::DoSetParameter(int32_t id, int32_t value, int32_t track) {
    std::function<void(int32_t, int32_t, int32_t)> hook;
    {
        std::lock_guard<std::mutex> guard(lock);
        Record(SetCall(id, value, track));
        hook = setHook;
    }
    if (hook)
        hook(id, value, track);
    return 1;
}

int32_t RecordingHost::DoGetParameter(int32_t id, int32_t track, void* result) {
    if (result == nullptr)
        return 0;
    std::lock_guard<std::mutex> guard(lock);
    if (recordReads)
        Record(GetCall(id, track));
    switch (AnswerFormOf(id)) {
    case AnswerForm::Name:
        WriteName(track, static_cast<char*>(result));
        break;
    case AnswerForm::Int: {
        const auto found = ints.find({id, track});
        *static_cast<int32_t*>(result) = found == ints.end() ? 0 : found->second;
        break;
    }
    case AnswerForm::Double: {
        const auto found = doubles.find({id, track});
        *static_cast<double*>(result) = found == doubles.end() ? 0.0 : found->second;
        break;
    }
    }
    return 1;
}

void RecordingHost::WriteName(int32_t track, char* buffer) const {
    const auto found = names.find(track);
    if (found == names.end()) {
        buffer[0] = '\0';
        return;
    }
    const auto& [text, raw] = found->second;
    if (raw) {
        std::memcpy(buffer, text.data(), std::min<size_t>(text.size(), kHostNameSize));
        return;
    }
    const size_t length = std::min<size_t>(text.size(), kHostNameSize - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

int32_t RecordingHost::DoEnumCommand(int32_t index, char* name, int32_t size, int32_t* valid) {
    std::lock_guard<std::mutex> guard(lock);
    if (recordReads)
        Record({HostCall::Enum, index, 0, 0});
    const bool known = index >= 0 && static_cast<size_t>(index) < commands.size();
    if (valid != nullptr)
        *valid = known && commands[static_cast<size_t>(index)].valid ? 1 : 0;
    if (!known || name == nullptr || size <= 0)
        return 0;
    const CommandEntry& entry = commands[static_cast<size_t>(index)];
    const size_t room = static_cast<size_t>(size);
    if (entry.raw) {
        std::string bytes = entry.name;
        bytes.resize(room, bytes.empty() ? 'x' : bytes.back());
        std::memcpy(name, bytes.data(), room);
    } else {
        const size_t length = std::min(entry.name.size(), room - 1);
        std::memcpy(name, entry.name.data(), length);
        name[length] = '\0';
    }
    return 1;
}

int32_t RecordingHost::DoSendCommand(int32_t command, int32_t event) {
    std::lock_guard<std::mutex> guard(lock);
    Record(CommandCall(command, event));
    return 1;
}
