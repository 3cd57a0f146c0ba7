#include "platform/clipboard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <memory>
#include <thread>

namespace platform {
namespace {

TEST(ClipboardFormats, RegisteredByNameWithoutRegardToCase) {
    const UINT a = RegisterClipboardFormat("CBTemplateFormat");
    EXPECT_GE(a, CF_FIRST_REGISTERED);
    EXPECT_EQ(RegisterClipboardFormat("cbtemplateformat"), a);
    EXPECT_EQ(GetClipboardFormatName(a), "CBTemplateFormat");
    const UINT b = RegisterClipboardFormat("Another Format");
    EXPECT_NE(a, b);
    EXPECT_EQ(RegisterClipboardFormat(""), 0u);
    EXPECT_EQ(GetClipboardFormatName(CF_TEXT), "");
    EXPECT_EQ(GetClipboardFormatName(0xFFFF), "");
}

TEST(Clipboard, OffersEveryFormatOfOneSourceAndReplacesTheWholeContent) {
    const UINT mine = RegisterClipboardFormat("Clipboard Test Format");
    DataSource source;
    ASSERT_TRUE(source.SetText(mine, "<ClipboardXML/>"));
    ASSERT_TRUE(source.SetText(CF_TEXT, "<ClipboardXML/>"));
    const unsigned long before = Clipboard::SequenceNumber();
    Clipboard::SetDataSource(source);
    EXPECT_GT(Clipboard::SequenceNumber(), before);
    EXPECT_TRUE(Clipboard::IsFormatAvailable(mine));
    EXPECT_TRUE(Clipboard::IsFormatAvailable(CF_TEXT));
    EXPECT_EQ(Clipboard::GetText(mine), "<ClipboardXML/>");
    EXPECT_EQ(Clipboard::GetData(CF_TEXT)->size(), std::strlen("<ClipboardXML/>") + 1);

    // A new copy with only text drops the registered format.
    DataSource text;
    text.SetText(CF_TEXT, "plain");
    Clipboard::SetDataSource(text);
    EXPECT_FALSE(Clipboard::IsFormatAvailable(mine));
    EXPECT_EQ(Clipboard::GetText(), "plain");
    EXPECT_EQ(Clipboard::GetText(mine), std::nullopt);

    Clipboard::Empty();
    EXPECT_FALSE(Clipboard::IsFormatAvailable(CF_TEXT));
    EXPECT_EQ(Clipboard::GetGlobalData(CF_TEXT), nullptr);
}

TEST(Clipboard, GlobalBlocksAreCopiesOwnedByTheirHolder) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 6);
    std::memcpy(GlobalLock(block), "hello", 6);
    GlobalUnlock(block);
    DataSource source;
    ASSERT_TRUE(source.SetGlobalData(CF_TEXT, block));
    EXPECT_FALSE(source.SetGlobalData(CF_TEXT, nullptr));
    EXPECT_FALSE(source.SetData(0, "x", 1));
    EXPECT_FALSE(source.SetData(CF_TEXT, nullptr, 4));
    Clipboard::SetDataSource(source);
    EXPECT_EQ(GlobalFree(block), nullptr);  // the clipboard kept its own copy

    HGLOBAL copy = Clipboard::GetGlobalData(CF_TEXT);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(GlobalSize(copy), 6u);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(copy)), "hello");
    GlobalUnlock(copy);
    EXPECT_EQ(GlobalFree(copy), nullptr);
    EXPECT_EQ(Clipboard::GetText(), "hello");
}

TEST(Clipboard, BackendMirrorsCopiesAndMayAnswerWithOutsideContent) {
    struct FakeBackend : ClipboardBackend {
        int sets = 0;
        std::optional<DataSource> outside;
        void Set(const DataSource&) override { ++sets; }
        std::optional<DataSource> Get() override { return outside; }
    } backend;
    ClipboardBackend* previous = Clipboard::SetBackend(&backend);
    DataSource mine;
    mine.SetText(CF_TEXT, "ours");
    Clipboard::SetDataSource(mine);
    EXPECT_EQ(backend.sets, 1);
    EXPECT_EQ(Clipboard::GetText(), "ours");

    DataSource other;
    other.SetText(CF_TEXT, "from another program");
    backend.outside = other;
    EXPECT_EQ(Clipboard::GetText(), "from another program");
    Clipboard::SetBackend(previous);
    Clipboard::Empty();
}

// A backend maps formats to names of its own and may call back into the
// clipboard while it runs; none of that may wait on the clipboard's lock.
TEST(Clipboard, BackendMayCallBackIntoTheClipboard) {
    struct CallingBackend : ClipboardBackend {
        std::string seenName;
        unsigned long seenSequence = 0;
        void Set(const DataSource& source) override {
            for (const auto& [format, bytes] : source.Formats())
                seenName = GetClipboardFormatName(format);
            seenSequence = Clipboard::SequenceNumber();
        }
        std::optional<DataSource> Get() override {
            RegisterClipboardFormat("Backend Lookup Format");
            return std::nullopt;
        }
    };
    // Run in a thread of its own so that a deadlock fails the test instead
    // of hanging it; the thread is left behind only when it never finishes.
    auto done = std::make_shared<std::promise<std::string>>();
    std::future<std::string> result = done->get_future();
    std::thread([done] {
        static CallingBackend backend;
        ClipboardBackend* previous = Clipboard::SetBackend(&backend);
        const UINT mine = RegisterClipboardFormat("Reentrant Test Format");
        DataSource source;
        source.SetText(mine, "data");
        Clipboard::SetDataSource(source);
        const bool available = Clipboard::IsFormatAvailable(mine);
        const std::optional<std::string> text = Clipboard::GetText(mine);
        Clipboard::SetBackend(previous);
        Clipboard::Empty();
        done->set_value(backend.seenName + "|" + (available ? "available" : "missing") + "|" +
                        text.value_or("none") + "|" +
                        (backend.seenSequence != 0 ? "counted" : "uncounted"));
    }).detach();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready)
        << "a backend calling into the clipboard deadlocked";
    EXPECT_EQ(result.get(), "Reentrant Test Format|available|data|counted");
}

}  // namespace
}  // namespace platform
