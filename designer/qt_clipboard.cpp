#include "designer/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>
#include <map>

#include "platform/ascii.h"

using namespace platform;

namespace {
constexpr qsizetype kMaxOffer = 64 * 1024 * 1024;
constexpr const char* kPrefix = "application/x-corvantis-";
// Marks data this process put on the desktop's clipboard.
constexpr const char* kOwnerMarker = "application/x-corvantis-owner";
// Registered names are kept to a safe MIME token: letters, digits, . - _ +
bool IsTokenChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_' || c == '+';
}
std::map<UINT, std::string>& Formats() {
    static std::map<UINT, std::string> formats;  // id -> MIME type
    return formats;
}
}  // namespace

void QtClipboardBackend::AddFormat(const std::string& name) {
    if (name.empty() || name.size() > 255 || !std::all_of(name.begin(), name.end(), IsTokenChar)) {
        return;
    }
    Formats()[RegisterClipboardFormat(name)] = kPrefix + ascii::Lower(name);
}

std::string QtClipboardBackend::MimeTypeOf(UINT format) {
    if (format == CF_TEXT)
        return "text/plain";
    auto it = Formats().find(format);
    return it == Formats().end() ? std::string() : it->second;
}

UINT QtClipboardBackend::FormatOfMimeType(const std::string& mimeType) {
    if (mimeType == "text/plain")
        return CF_TEXT;
    std::string prefix = kPrefix;
    if (mimeType.size() <= prefix.size() || mimeType.compare(0, prefix.size(), prefix) != 0) {
        return 0;
    }
    for (const auto& [format, type] : Formats()) {
        if (type == mimeType)
            return format;
    }
    return 0;
}

QMimeData* QtClipboardBackend::ToMimeData(const DataSource& source) {
    auto* mime = new QMimeData;
    for (const auto& [format, bytes] : source.Formats()) {
        std::string type = MimeTypeOf(format);
        if (type.empty())
            continue;
        QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
        if (format == CF_TEXT) {
            // Plain text leaves its terminating zero behind.
            int zero = data.indexOf('\0');
            if (zero >= 0)
                data.truncate(zero);
            mime->setText(QString::fromUtf8(data));
        } else {
            mime->setData(QString::fromStdString(type), data);
        }
    }
    return mime;
}

DataSource QtClipboardBackend::FromMimeData(const QMimeData* mime) {
    DataSource source;
    if (!mime)
        return source;
    for (const QString& type : mime->formats()) {
        UINT format = FormatOfMimeType(type.toStdString());
        if (format == 0)
            continue;
        if (format == CF_TEXT) {
            source.SetText(CF_TEXT, mime->text().toStdString());
        } else {
            QByteArray data = mime->data(type);
            // Template data is small; a giant offer from elsewhere is not
            // copied into the process a second time.
            if (data.size() > kMaxOffer)
                continue;
            source.SetData(format, data.constData(), static_cast<std::size_t>(data.size()));
        }
    }
    return source;
}

void QtClipboardBackend::Set(const DataSource& source) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    changed_ = true;
    if (source.Empty()) {
        clipboard->clear();
        return;
    }
    QMimeData* mime = ToMimeData(source);
    mime->setData(kOwnerMarker, QByteArray::number(QCoreApplication::applicationPid()));
    clipboard->setMimeData(mime);
}

std::optional<DataSource> QtClipboardBackend::Get() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return std::nullopt;
    // The commands ask several times a second whether template data is
    // there; the desktop's content is read again only after it changed.
    if (cached_ && !changed_)
        return cached_->own ? std::nullopt : std::optional<DataSource>(cached_->data);
    const QMimeData* mime = clipboard->mimeData();
    Cached fresh;
    fresh.own =
        mime && mime->data(kOwnerMarker) == QByteArray::number(QCoreApplication::applicationPid());
    if (!fresh.own)
        fresh.data = FromMimeData(mime);
    cached_ = std::move(fresh);
    changed_ = false;
    return cached_->own ? std::nullopt : std::optional<DataSource>(cached_->data);
}

void QtClipboardBackend::Install() {
    static QtClipboardBackend backend;
    static bool connected = false;
    AddFormat("CBTemplateFormat");
    if (!connected && QGuiApplication::clipboard()) {
        QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged,
                         [] { backend.changed_ = true; });
        connected = true;
    }
    backend.changed_ = true;
    Clipboard::SetBackend(&backend);
}
