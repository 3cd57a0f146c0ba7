// The process's clipboard store and the format registry.
#include "platform/clipboard.h"

#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/ascii.h"

namespace platform {

namespace {

// Two locks, and neither is held while a backend runs: a backend may look up
// format names or even read and write the clipboard from its own calls.
struct State {
    std::mutex formatsMutex;                          // guards the two tables below
    std::unordered_map<std::string, UINT> idsByName;  // lower-case name -> id
    std::vector<std::string> names;                   // index = id - CF_FIRST_REGISTERED
    std::mutex mutex;                                 // guards the fields below
    DataSource content;
    unsigned long sequence = 0;
    ClipboardBackend* backend = nullptr;
};

State& GetState() {
    static State* state = new State;  // never destroyed: usable from static destructors
    return *state;
}

ClipboardBackend* CurrentBackend(State& state) {
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.backend;
}

// A copy of the content to answer from: the backend's when it has newer
// data. The backend is asked without the lock held.
DataSource Current(State& state) {
    std::optional<DataSource> outside;
    if (ClipboardBackend* backend = CurrentBackend(state))
        outside = backend->Get();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (outside)
        state.content = std::move(*outside);
    return state.content;
}

}  // namespace

UINT RegisterClipboardFormat(std::string_view name) {
    if (name.empty())
        return 0;
    State& state = GetState();
    std::lock_guard<std::mutex> lock(state.formatsMutex);
    const std::string key = ascii::Lower(name);
    auto found = state.idsByName.find(key);
    if (found != state.idsByName.end())
        return found->second;
    if (state.names.size() >= 0x3FFF)
        return 0;  // the registered range is full
    const UINT id = CF_FIRST_REGISTERED + static_cast<UINT>(state.names.size());
    state.names.emplace_back(name);
    state.idsByName.emplace(key, id);
    return id;
}

std::string GetClipboardFormatName(UINT format) {
    State& state = GetState();
    std::lock_guard<std::mutex> lock(state.formatsMutex);
    if (format < CF_FIRST_REGISTERED)
        return {};
    const std::size_t index = format - CF_FIRST_REGISTERED;
    return index < state.names.size() ? state.names[index] : std::string();
}

// ---- DataSource -------------------------------------------------------------

bool DataSource::SetData(UINT format, const void* data, std::size_t size) {
    if (format == 0 || (data == nullptr && size != 0))
        return false;
    data_[format] = size == 0 ? std::string() : std::string(static_cast<const char*>(data), size);
    return true;
}

bool DataSource::SetGlobalData(UINT format, HGLOBAL block) {
    const std::size_t size = GlobalSize(block);
    if (size == 0)
        return false;
    const void* bytes = GlobalLock(block);
    if (bytes == nullptr)
        return false;
    const bool ok = SetData(format, bytes, size);
    GlobalUnlock(block);
    return ok;
}

bool DataSource::SetText(UINT format, std::string_view text) {
    std::string bytes(text);
    bytes.push_back('\0');
    return SetData(format, bytes.data(), bytes.size());
}

// ---- Clipboard --------------------------------------------------------------

bool Clipboard::SetDataSource(const DataSource& source) {
    State& state = GetState();
    ClipboardBackend* backend = nullptr;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        state.content = source;
        ++state.sequence;
        backend = state.backend;
    }
    if (backend != nullptr)
        backend->Set(source);
    return true;
}

void Clipboard::Empty() {
    SetDataSource(DataSource());
}

bool Clipboard::IsFormatAvailable(UINT format) {
    return Current(GetState()).Formats().count(format) != 0;
}

std::optional<std::string> Clipboard::GetData(UINT format) {
    const DataSource content = Current(GetState());
    const auto& formats = content.Formats();
    auto found = formats.find(format);
    if (found == formats.end())
        return std::nullopt;
    return found->second;
}

HGLOBAL Clipboard::GetGlobalData(UINT format) {
    std::optional<std::string> bytes = GetData(format);
    if (!bytes)
        return nullptr;
    const std::size_t size = bytes->empty() ? 1 : bytes->size();
    HGLOBAL block = GlobalAlloc(GHND, size);
    if (block == nullptr)
        return nullptr;
    void* target = GlobalLock(block);
    if (target == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    if (!bytes->empty())
        std::memcpy(target, bytes->data(), bytes->size());
    GlobalUnlock(block);
    return block;
}

std::optional<std::string> Clipboard::GetText(UINT format) {
    std::optional<std::string> bytes = GetData(format);
    if (!bytes)
        return std::nullopt;
    const std::size_t end = bytes->find('\0');
    if (end != std::string::npos)
        bytes->resize(end);
    return bytes;
}

unsigned long Clipboard::SequenceNumber() {
    State& state = GetState();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.sequence;
}

ClipboardBackend* Clipboard::SetBackend(ClipboardBackend* backend) {
    State& state = GetState();
    std::lock_guard<std::mutex> lock(state.mutex);
    ClipboardBackend* previous = state.backend;
    state.backend = backend;
    return previous;
}

}  // namespace platform
