// The platform clipboard mirrored on the desktop's clipboard: each registered
// format travels as the MIME type "application/x-corvantis-<name>" (the name
// in lower case), the text format as text/plain, so template data copied in
// one Designer can be pasted in another.
#pragma once

#include <string>

#include "platform/clipboard.h"

class QMimeData;

class QtClipboardBackend : public platform::ClipboardBackend {
  public:
    void Set(const platform::DataSource& source) override;
    std::optional<platform::DataSource> Get() override;

    // The MIME type of a format ("" for an unknown one) and back (0 when the
    // type is not one of ours).
    static std::string MimeTypeOf(UINT format);
    static UINT FormatOfMimeType(const std::string& mimeType);
    static QMimeData* ToMimeData(const platform::DataSource& source);
    static platform::DataSource FromMimeData(const QMimeData* data);

    // Installs one backend for the process (idempotent), knowing the
    // template format "CBTemplateFormat".
    static void Install();
    // Makes a registered format travel through the desktop's clipboard. The
    // clipboard calls the backend while it holds its own lock, so the
    // backend never asks it for format names; it keeps its own table.
    static void AddFormat(const std::string& name);

  private:
    struct Cached {
        bool own = false;  // the content is this process's own
        platform::DataSource data;
    };
    std::optional<Cached> cached_;
    bool changed_ = true;  // the desktop's clipboard changed since it was read
};
