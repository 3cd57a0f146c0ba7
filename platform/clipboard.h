// The clipboard: data offered under one or more formats at once, formats
// registered by name, and the plain-text format.
//
// The store below lives in this library (one per process). A backend can be
// installed to mirror the content to a system clipboard (the Designer maps
// registered formats to MIME types), so that copy and paste also work
// between processes; without one the clipboard is private to the process.
//
// Data always crosses the interface as a copy: SetData copies the bytes it is
// given and GetData hands back a fresh copy, so no caller ever holds memory
// the clipboard may free.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/global_memory.h"
#include "platform/types.h"

namespace platform {

// The plain-text format: zero-terminated 8-bit text (UTF-8 here).
inline constexpr UINT CF_TEXT = 1;
// Registered formats are numbered from here upwards.
inline constexpr UINT CF_FIRST_REGISTERED = 0xC000;

// The identifier of the format with this name, registering it on first use.
// Names compare without regard to ASCII case, so every caller that registers
// "CBTemplateFormat" gets the same identifier. 0 for an empty name.
__attribute__((visibility("default"))) UINT RegisterClipboardFormat(std::string_view name);
// The name of a registered format; empty for CF_TEXT and for unknown ids.
__attribute__((visibility("default"))) std::string GetClipboardFormatName(UINT format);

// What one copy offers: bytes per format.
class __attribute__((visibility("default"))) DataSource {
  public:
    // Offers `size` bytes under `format` (replacing an earlier offer of that
    // format). Refused for format 0 or a null pointer with a non-zero size.
    bool SetData(UINT format, const void* data, std::size_t size);
    // Offers the whole content of a global memory block (the block stays
    // the caller's). Refused for a bad handle.
    bool SetGlobalData(UINT format, HGLOBAL block);
    // Convenience for text: the bytes and a terminating zero.
    bool SetText(UINT format, std::string_view text);

    bool Empty() const { return data_.empty(); }
    const std::map<UINT, std::string>& Formats() const { return data_; }

  private:
    std::map<UINT, std::string> data_;
};

// A mirror of the clipboard in another place (the desktop's clipboard).
// Set is called with every new content; Get may answer with newer content
// from elsewhere (nullopt: keep the process's own content).
class __attribute__((visibility("default"))) ClipboardBackend {
  public:
    virtual ~ClipboardBackend() = default;
    virtual void Set(const DataSource& source) = 0;
    virtual std::optional<DataSource> Get() = 0;
};

class __attribute__((visibility("default"))) Clipboard {
  public:
    // Replaces the whole content with what `source` offers (an empty source
    // empties the clipboard). Returns true.
    static bool SetDataSource(const DataSource& source);
    // Removes every format.
    static void Empty();
    // Whether data in `format` is offered now.
    static bool IsFormatAvailable(UINT format);
    // A copy of the data offered in `format`, or nullopt.
    static std::optional<std::string> GetData(UINT format);
    // The data in a new movable global memory block that the caller frees
    // with GlobalFree; NULL when the format is not offered or memory runs
    // out. An empty offer gives a block of one zero byte.
    static HGLOBAL GetGlobalData(UINT format);
    // The text of `format` up to its first zero byte, or nullopt.
    static std::optional<std::string> GetText(UINT format = CF_TEXT);
    // Counts every change of content (tests and change detection).
    static unsigned long SequenceNumber();

    // Installs a backend (null removes it); returns the previous one. The
    // backend is not owned. It is called without the clipboard's locks held,
    // so it may call back into the clipboard and the format registry; it
    // must outlive any call that may still be running on another thread.
    static ClipboardBackend* SetBackend(ClipboardBackend* backend);
};

}  // namespace platform
