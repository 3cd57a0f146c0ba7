#include "platform/registry_hive.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/debug_output.h"
#include "platform/files.h"
#include "platform/module.h"
#include "platform/testing/temp_hives.h"
#include "platform/tests/fifo_guard.h"

namespace {

using namespace platform;

constexpr const char* kHeader = "Windows Registry Editor Version 5.00\n";

std::string ReadString(HKEY root, const char* path, const char* name, LONG* result = nullptr) {
    HKEY key = nullptr;
    LONG r = RegOpenKeyEx(root, path, 0, KEY_READ, &key);
    std::string text;
    if (r == ERROR_SUCCESS) {
        char buffer[512] = {};
        DWORD size = sizeof buffer;
        DWORD type = 0;
        r = RegQueryValueEx(key, name, nullptr, &type, buffer, &size);
        if (r == ERROR_SUCCESS)
            text.assign(buffer, size > 0 ? size - 1 : 0);
        RegCloseKey(key);
    }
    if (result != nullptr)
        *result = r;
    return text;
}

HKEY CreateKey(HKEY root, const char* path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                             nullptr, &key, nullptr),
              ERROR_SUCCESS);
    return key;
}

LONG SetString(HKEY key, const char* name, const std::string& text) {
    return RegSetValueEx(key, name, 0, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

RegHive ParseOrFail(const std::string& text, std::size_t* bad = nullptr) {
    RegHive hive;
    EXPECT_EQ(RegHive::Parse(text, "test.reg", "HKEY_CURRENT_USER", &hive, bad),
              RegHive::ParseStatus::kHive);
    return hive;
}

TEST(Registry, ResultCodes) {
    TempHives hives;
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Missing", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);

    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Corvantis\\Test", 0, nullptr, 0,
                             KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    HKEY again = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Corvantis\\Test", 0, nullptr, 0,
                             KEY_ALL_ACCESS, nullptr, &again, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_NE(again, key);
    EXPECT_EQ(RegCloseKey(again), ERROR_SUCCESS);

    // A missing value leaves type and size alone.
    DWORD type = 99, size = 7;
    char buffer[16];
    EXPECT_EQ(RegQueryValueEx(key, "Name", nullptr, &type, buffer, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(type, 99u);
    EXPECT_EQ(size, 7u);

    ASSERT_EQ(SetString(key, "Name", "hello"), ERROR_SUCCESS);
    // Size query: no buffer.
    size = 0;
    EXPECT_EQ(RegQueryValueEx(key, "Name", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 6u);
    // Too small: more data, with the size needed, buffer untouched.
    std::memset(buffer, 'x', sizeof buffer);
    size = 3;
    EXPECT_EQ(RegQueryValueEx(key, "Name", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(buffer[0], 'x');
    size = 6;
    EXPECT_EQ(RegQueryValueEx(key, "Name", nullptr, &type, buffer, &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "hello");

    // A DWORD must be four bytes.
    BYTE two[2] = {1, 2};
    EXPECT_EQ(RegSetValueEx(key, "Bad", 0, REG_DWORD, two, 2), ERROR_INVALID_PARAMETER);

    // Writes through a read-only handle, a null handle and a closed handle.
    HKEY readOnly = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Corvantis\\Test", 0, KEY_READ, &readOnly),
              ERROR_SUCCESS);
    EXPECT_EQ(SetString(readOnly, "Other", "x"), ERROR_CANTWRITE);
    EXPECT_EQ(RegDeleteValue(readOnly, "Name"), ERROR_CANTWRITE);
    EXPECT_EQ(SetString(nullptr, "Other", "x"), ERROR_CANTWRITE);
    EXPECT_EQ(RegCloseKey(readOnly), ERROR_SUCCESS);
    EXPECT_EQ(SetString(readOnly, "Other", "x"), ERROR_CANTWRITE);
    EXPECT_EQ(RegQueryValueEx(readOnly, "Name", nullptr, nullptr, nullptr, &size),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(readOnly), ERROR_INVALID_HANDLE);

    EXPECT_EQ(RegDeleteValue(key, "Name"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(key, "Name"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueEx(key, "Name", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);

    // A key with sub-keys stays; a leaf key goes.
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "Software\\Corvantis"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "Software\\Corvantis\\Test"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Corvantis\\Test", 0, KEY_READ, &again),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST(Registry, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
    TempHives hives;
    HKEY key = CreateKey(HKEY_CURRENT_USER, "Software\\ZYN Systems\\Corvantis");
    DWORD one = 1, two = 2;
    ASSERT_EQ(RegSetValueEx(key, "UseGrid", 0, REG_DWORD, &one, 4), ERROR_SUCCESS);
    RegCloseKey(key);

    key = CreateKey(HKEY_CURRENT_USER, "SOFTWARE\\zyn systems\\CORVANTIS");
    ASSERT_EQ(RegSetValueEx(key, "USEGRID", 0, REG_DWORD, &two, 4), ERROR_SUCCESS);
    RegCloseKey(key);

    HKEY read = nullptr;
    ASSERT_EQ(
        RegOpenKeyEx(HKEY_CURRENT_USER, "software\\Zyn Systems\\corvantis", 0, KEY_READ, &read),
        ERROR_SUCCESS);
    DWORD value = 0, size = 4;
    EXPECT_EQ(RegQueryValueEx(read, "usegrid", nullptr, nullptr, &value, &size), ERROR_SUCCESS);
    EXPECT_EQ(value, 2u);
    RegCloseKey(read);

    std::string text = hives.ReadUser();
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\ZYN Systems\\Corvantis]\n"
                        "\"UseGrid\"=dword:00000002\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("USEGRID"), std::string::npos);
    EXPECT_EQ(text.find("CORVANTIS"), std::string::npos);
}

TEST(Registry, FileTextAndChangesMadeByOthers) {
    TempHives hives;
    HKEY key = CreateKey(HKEY_CURRENT_USER, "Software\\Test");
    ASSERT_EQ(SetString(key, "Path", "C:\\dir \"quoted\""), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key, "Lines", "one\ntwo"), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key, nullptr, "default"), ERROR_SUCCESS);
    DWORD ten = 10;
    ASSERT_EQ(RegSetValueEx(key, "Count", 0, REG_DWORD, &ten, 4), ERROR_SUCCESS);
    BYTE blob[] = {0x01, 0x02, 0xFF};
    ASSERT_EQ(RegSetValueEx(key, "Blob", 0, REG_BINARY, blob, 3), ERROR_SUCCESS);

    std::string text = hives.ReadUser();
    EXPECT_EQ(text.rfind(kHeader, 0), 0u) << text;
    for (const char* line :
         {"\n[HKEY_CURRENT_USER\\Software\\Test]\n", "\n\"Path\"=\"C:\\\\dir \\\"quoted\\\"\"\n",
          "\n\"Lines\"=hex(1):6f,6e,65,0a,74,77,6f,00\n", "\n@=\"default\"\n",
          "\n\"Count\"=dword:0000000a\n", "\n\"Blob\"=hex:01,02,ff\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    }
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, "Software\\Test", "Lines"), "one\ntwo");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, "Software\\Test", ""), "default");

    // Another program changes the file: the next read sees it, and the next
    // write keeps its change.
    std::string changed = text + "\n[HKEY_CURRENT_USER\\Software\\Other]\n\"External\"=\"yes\"\n";
    hives.WriteUser(changed);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, "Software\\Other", "External"), "yes");
    hives.WriteUser(changed + "\"Second\"=\"also\"\n");
    ASSERT_EQ(SetString(key, "Mine", "mine"), ERROR_SUCCESS);
    RegHive onDisk = ParseOrFail(hives.ReadUser());
    ASSERT_NE(onDisk.FindValue("Software\\Other", "Second"), nullptr);
    ASSERT_NE(onDisk.FindValue("Software\\Test", "Mine"), nullptr);
    ASSERT_NE(onDisk.FindValue("Software\\Test", "Blob"), nullptr);
    RegCloseKey(key);
}

TEST(Registry, EightProcessesWritingAtOnceLoseNothing) {
    TempHives hives;
    RegCloseKey(CreateKey(HKEY_CURRENT_USER, "Software\\Stress"));
#ifdef __SANITIZE_ADDRESS__
    // Every write re-reads and rewrites the whole hive, which the sanitizers
    // make many times slower; fewer values still go through the same lock
    // and merge paths.
    constexpr int kProcesses = 8, kValues = 150;
#else
    constexpr int kProcesses = 8, kValues = 1000;
#endif
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            HKEY key = nullptr;
            if (RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Stress", 0, nullptr, 0, KEY_ALL_ACCESS,
                               nullptr, &key, nullptr) != ERROR_SUCCESS) {
                ::_exit(2);
            }
            for (int i = 0; i < kValues; ++i) {
                std::string name = "P" + std::to_string(p) + "_" + std::to_string(i);
                DWORD value = static_cast<DWORD>(p * kValues + i);
                if (RegSetValueEx(key, name.c_str(), 0, REG_DWORD, &value, 4) != ERROR_SUCCESS) {
                    ::_exit(3);
                }
            }
            ::_exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }

    std::size_t bad = 0;
    RegHive onDisk = ParseOrFail(hives.ReadUser(), &bad);
    EXPECT_EQ(bad, 0u);
    const RegHive::Key* key = onDisk.FindKey("Software\\Stress");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->values.size(), std::size_t(kProcesses * kValues));
    for (int p = 0; p < kProcesses; ++p) {
        for (int i = 0; i < kValues; ++i) {
            std::string name = "P" + std::to_string(p) + "_" + std::to_string(i);
            const RegHive::Value* v = onDisk.FindValue("Software\\Stress", name);
            ASSERT_NE(v, nullptr) << name;
            DWORD expected = static_cast<DWORD>(p * kValues + i);
            ASSERT_EQ(v->data, (std::vector<BYTE>{BYTE(expected), BYTE(expected >> 8),
                                                  BYTE(expected >> 16), BYTE(expected >> 24)}));
        }
    }
    // This process sees them through the API as well.
    HKEY read = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Stress", 0, KEY_READ, &read),
              ERROR_SUCCESS);
    DWORD value = 0, size = 4;
    std::string last = "P7_" + std::to_string(kValues - 1);
    EXPECT_EQ(RegQueryValueEx(read, last.c_str(), nullptr, nullptr, &value, &size), ERROR_SUCCESS);
    EXPECT_EQ(value, DWORD(8 * kValues - 1));
    RegCloseKey(read);
}

TEST(Registry, DamagedLinesAreSkippedAndReported) {
    const std::string before = std::string(kHeader) +
                               "\n"
                               "[HKEY_CURRENT_USER\\Software\\A]\n"
                               "\"Before\"=\"1\"\n";  // the damaged line is line 5
    const std::string after =
        "\"After\"=\"2\"\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\B]\n"
        "\"Later\"=dword:00000003\n";
    struct Case {
        const char* what;
        std::string line;
        bool afterKept;  // the value right after the damaged line survives
    } cases[] = {
        {"bad dword digits", "\"Bad\"=dword:xyz", true},
        {"dword too long", "\"Bad\"=dword:123456789", true},
        {"bad hex byte", "\"Bad\"=hex:01,zz,03", true},
        {"hex byte too long", "\"Bad\"=hex:01,123", true},
        {"empty hex byte", "\"Bad\"=hex:01,,03", true},
        {"bad hex type", "\"Bad\"=hex(zz):01", true},
        {"hex continuation breaks off", "\"Bad\"=hex:01,02,\\", true},
        {"unterminated string", "\"Bad\"=\"no end", true},
        {"unterminated name", "\"Bad=1", true},
        {"missing =", "\"Bad\" \"1\"", true},
        {"binary bytes", std::string("\x01\x02\x00\xff\xfe", 5), true},
        {"stray text", "garbage without quotes", true},
        {"deletion", "\"Bad\"=-", true},
        {"unclosed key line", "[HKEY_CURRENT_USER\\Software\\Bad", false},
        {"key of another hive", "[HKEY_LOCAL_MACHINE\\Software\\Bad]", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempHives hives;
        hives.WriteUser(before + c.line + "\n" + after);
        ScopedDebugCapture debug;
        EXPECT_EQ(ReadString(HKEY_CURRENT_USER, "Software\\A", "Before"), "1");
        DWORD later = 0, size = 4;
        HKEY b = nullptr;
        ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\B", 0, KEY_READ, &b), ERROR_SUCCESS);
        EXPECT_EQ(RegQueryValueEx(b, "Later", nullptr, nullptr, &later, &size), ERROR_SUCCESS);
        EXPECT_EQ(later, 3u);
        RegCloseKey(b);
        LONG r = 0;
        EXPECT_EQ(ReadString(HKEY_CURRENT_USER, "Software\\A", "After", &r),
                  c.afterKept ? "2" : "");
        if (!c.afterKept) {
            EXPECT_EQ(r, ERROR_FILE_NOT_FOUND);
        }
        ReadString(HKEY_CURRENT_USER, "Software\\A", "Bad", &r);
        EXPECT_EQ(r, ERROR_FILE_NOT_FOUND);
        EXPECT_TRUE(debug.Contains(hives.UserPath() + ":5:")) << debug.text();
        EXPECT_TRUE(FileExists(hives.UserPath()));  // kept, not moved aside
    }

    // A file cut off in the middle of its last line keeps everything before.
    TempHives hives;
    std::string full = before + after + "\"Cut\"=\"abcdef\"\n";
    hives.WriteUser(full.substr(0, full.size() - 5));
    ScopedDebugCapture debug;
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, "Software\\A", "After"), "2");
    LONG r = 0;
    ReadString(HKEY_CURRENT_USER, "Software\\B", "Cut", &r);
    EXPECT_EQ(r, ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(debug.Contains(hives.UserPath() + ":9:")) << debug.text();
}

TEST(Registry, DamagedHiveKeepsItsOldTextAsideWhenRewritten) {
    TempHives hives;
    std::string damaged = std::string(kHeader) +
                          "[HKEY_CURRENT_USER\\Software\\A]\n"
                          "\"Good\"=\"1\"\n"
                          "\"Broken\"=hex:0g\n";
    hives.WriteUser(damaged);
    HKEY key = CreateKey(HKEY_CURRENT_USER, "Software\\A");
    ASSERT_EQ(SetString(key, "New", "2"), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(hives.ReadFile("user.reg.corrupt"), damaged);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, "Software\\A", "Good"), "1");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, "Software\\A", "New"), "2");
}

TEST(Registry, HiveThatIsASymbolicLinkStaysALink) {
    TempHives hives;
    ASSERT_EQ(::mkdir((hives.Dir() + "/dotfiles").c_str(), 0755), 0);
    hives.WriteFile("dotfiles/user.reg",
                    std::string(kHeader) + "[HKEY_CURRENT_USER\\Software\\A]\n\"Old\"=\"1\"\n");
    ASSERT_EQ(::symlink("dotfiles/user.reg", hives.UserPath().c_str()), 0);
    HKEY key = CreateKey(HKEY_CURRENT_USER, "Software\\A");
    ASSERT_EQ(SetString(key, "New", "2"), ERROR_SUCCESS);
    RegCloseKey(key);
    struct stat st;
    ASSERT_EQ(::lstat(hives.UserPath().c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    RegHive onDisk = ParseOrFail(hives.ReadFile("dotfiles/user.reg"));
    EXPECT_NE(onDisk.FindValue("Software\\A", "Old"), nullptr);
    EXPECT_NE(onDisk.FindValue("Software\\A", "New"), nullptr);
}

TEST(Registry, FileThatIsNotAHiveIsMovedAsideAndReadAsEmpty) {
    const std::string cases[] = {"this is not a registry file\n[HKEY_CURRENT_USER\\Software]\n",
                                 std::string("\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR", 16),
                                 "Windows Registry Ed"};
    for (const std::string& garbage : cases) {
        SCOPED_TRACE(garbage);
        TempHives hives;
        hives.WriteUser(garbage);
        ScopedDebugCapture debug;
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key),
                  ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(hives.ReadFile("user.reg.corrupt"), garbage);
        EXPECT_FALSE(FileExists(hives.UserPath()));
        EXPECT_TRUE(debug.Contains("moved to " + hives.UserPath() + ".corrupt")) << debug.text();

        // A new hive starts; the kept copy is left alone.
        key = CreateKey(HKEY_CURRENT_USER, "Software\\New");
        EXPECT_EQ(SetString(key, "V", "1"), ERROR_SUCCESS);
        RegCloseKey(key);
        EXPECT_EQ(ReadString(HKEY_CURRENT_USER, "Software\\New", "V"), "1");
        EXPECT_EQ(hives.ReadFile("user.reg.corrupt"), garbage);
    }

    // An empty file is an empty hive, not damage.
    TempHives hives;
    hives.WriteUser("");
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(FileExists(hives.UserPath()));
    EXPECT_FALSE(FileExists(hives.UserPath() + ".corrupt"));
}

TEST(Registry, HiveOrLockThatIsAFifoIsRefusedWithoutWaiting) {
    struct Case {
        const char* fifo;
        LONG read;  // opening an existing key for reading
    } cases[] = {
        {"user.reg", ERROR_FILE_NOT_FOUND},  // the hive reads as empty
        {"user.reg.lock", ERROR_SUCCESS},    // reading takes no lock
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fifo);
        TempHives hives;
        const std::string hive = std::string(kHeader) + "[HKEY_CURRENT_USER\\Software\\A]\n";
        if (std::string(c.fifo) != "user.reg")
            hives.WriteUser(hive);
        const std::string fifo = hives.Dir() + "/" + c.fifo;
        ASSERT_TRUE(MakeFifo(fifo));
        ScopedDebugCapture debug;

        LONG read = ReadWithoutHanging(fifo, [] {
            HKEY key = nullptr;
            LONG r = RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\A", 0, KEY_READ, &key);
            RegCloseKey(key);
            return r;
        });
        EXPECT_EQ(read, c.read);
        // Writing is refused, and the FIFO is neither replaced nor moved aside.
        LONG write = ReadWithoutHanging(fifo, [] {
            HKEY key = nullptr;
            LONG r = RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\B", 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, &key, nullptr);
            RegCloseKey(key);
            return r;
        });
        EXPECT_EQ(write, ERROR_ACCESS_DENIED);
        struct stat st;
        ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
        EXPECT_TRUE(S_ISFIFO(st.st_mode));
        EXPECT_FALSE(FileExists(hives.UserPath() + ".corrupt"));
        EXPECT_TRUE(debug.Contains(fifo + ": not a regular file")) << debug.text();
        if (std::string(c.fifo) != "user.reg") {
            EXPECT_EQ(hives.ReadUser(), hive);
        }
    }
}

TEST(Registry, TemporariesOfKilledWritersAreRecognisedAndRemovedOnceStale) {
    TempHives hives;
    RegCloseKey(CreateKey(HKEY_CURRENT_USER, "Software\\Kill"));
    // Writers killed at random moments, most of them in the middle of a write.
    const std::string big(200000, 'x');
    std::mt19937 random(7);
    for (int round = 0; round < 12; ++round) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            HKEY key = nullptr;
            if (RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Kill", 0, KEY_ALL_ACCESS, &key) !=
                ERROR_SUCCESS) {
                ::_exit(2);
            }
            for (int i = 0;; ++i)
                SetString(key, "V", big + std::to_string(i));
        }
        ::usleep(static_cast<useconds_t>(20000 + random() % 30000));
        ::kill(pid, SIGKILL);
        ASSERT_EQ(::waitpid(pid, nullptr, 0), pid);
    }
    auto leftovers = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(hives.Dir())) {
            const std::string name = entry.path().filename().string();
            if (name != "user.reg" && name != "user.reg.lock")
                names.push_back(name);
        }
        return names;
    };
    for (const std::string& name : leftovers())
        EXPECT_TRUE(IsAtomicSaveTemporary(name)) << name;

    // A minute later the next reading of the hive clears them away.
    const timespec old[2] = {{std::time(nullptr) - 120, 0}, {std::time(nullptr) - 120, 0}};
    for (const std::string& name : leftovers())
        ::utimensat(AT_FDCWD, (hives.Dir() + "/" + name).c_str(), old, 0);
    hives.WriteUser(std::string(kHeader) + "[HKEY_CURRENT_USER\\Software\\Kill]\n\"V\"=\"1\"\n");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, "Software\\Kill", "V"), "1");
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

TEST(Registry, ReadOnlyMachineHiveRefusesKeyCreation) {
    const std::string text = std::string(kHeader) +
                             "\n[HKEY_LOCAL_MACHINE\\Software\\Corvantis]\n"
                             "\"PageDir\"=\"/opt/corvantis/pagestyles\"\n";
    struct Case {
        const char* what;
        mode_t fileMode;  // 0: no file
        mode_t dirMode;
    } cases[] = {{"file without write permission", 0444, 0755},
                 {"folder without write permission", 0644, 0555},
                 {"no file in a folder without write permission", 0, 0555}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempHives hives;
        std::string dir = hives.Dir() + "/etc";
        ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
        std::string path = dir + "/machine.reg";
        ::setenv("CORVANTIS_MACHINE_REGISTRY", path.c_str(), 1);  // TempHives restores it
        if (c.fileMode != 0) {
            hives.WriteFile(path, text);
            ::chmod(path.c_str(), c.fileMode);
        }
        ::chmod(dir.c_str(), c.dirMode);

        EXPECT_FALSE(Registry::IsHiveWritable(HKEY_LOCAL_MACHINE));
        HKEY key = nullptr;
        EXPECT_EQ(
            RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\New", 0, nullptr, 0,
                           KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_ACCESS_DENIED);
        if (c.fileMode != 0) {
            EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Corvantis", 0, nullptr, 0,
                                     KEY_ALL_ACCESS, nullptr, &key, nullptr),
                      ERROR_ACCESS_DENIED);
            EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Corvantis", 0, KEY_WRITE, &key),
                      ERROR_ACCESS_DENIED);
            // Reading is fine.
            EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, "Software\\Corvantis", "PageDir"),
                      "/opt/corvantis/pagestyles");
            EXPECT_EQ(hives.ReadFile(path), text);
        }
        EXPECT_FALSE(FileExists(path + ".lock"));
        ::chmod(dir.c_str(), 0755);
    }
}

TEST(Registry, WritingAParsedHiveAndParsingItAgainGivesTheSameHive) {
    const std::string fixture =
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; a comment\r\n"
        "[HKEY_CURRENT_USER\\Software\\ZYN Systems\\Corvantis\\Template Designer]\r\n"
        "\"PageDir\"=\"C:\\\\Program Files\\\\Corvantis\\\\\"\r\n"
        "@=\"default\"\r\n"
        "\"Quote\"=\"say \\\"hi\\\"\"\r\n"
        "\"UseGrid\"=dword:00000001\r\n"
        "\"GridDim\"=hex:00,00,00,00,00,d8,93,40,\\\r\n"
        "  00,00,00,00,00,d8,93,40,01,00,00,00,00,00,00,00\r\n"
        "\"Expand\"=hex(2):25,00,54,00,00,00\r\n"
        "\"Lines\"=hex(1):61,0a,62,00\r\n"
        "\"Short\"=dword:a\r\n"
        "\"Empty\"=hex:\r\n"
        "\"Odd4\"=hex(4):01,02\r\n"
        "\"Caf\xc3\xa9\"=\"\xe2\x82\xac 5\"\r\n"
        "[hkcu\\software\\zyn systems\\Other]\r\n"
        "\"x\"=\"y\"\r\n"
        "[HKEY_CURRENT_USER\\Software\\ZYN Systems\\Corvantis\\Template Designer]\r\n"
        "\"usegrid\"=dword:2\r\n";
    std::size_t bad = 99;
    RegHive first = ParseOrFail(fixture, &bad);
    EXPECT_EQ(bad, 0u);
    const char* designer = "Software\\ZYN Systems\\Corvantis\\Template Designer";
    const RegHive::Value* useGrid = first.FindValue(designer, "USEGRID");
    ASSERT_NE(useGrid, nullptr);
    EXPECT_EQ(useGrid->name, "UseGrid");
    EXPECT_EQ(useGrid->data, (std::vector<BYTE>{2, 0, 0, 0}));
    const RegHive::Value* lines = first.FindValue(designer, "Lines");
    ASSERT_NE(lines, nullptr);
    EXPECT_EQ(lines->type, REG_SZ);
    EXPECT_EQ(std::string(lines->data.begin(), lines->data.end()), "a\nb");
    ASSERT_NE(first.FindValue(designer, "GridDim"), nullptr);
    EXPECT_EQ(first.FindValue(designer, "GridDim")->data.size(), 24u);
    EXPECT_EQ(first.FindKey("software\\ZYN SYSTEMS")->path, "Software\\ZYN Systems");

    std::string written = first.Write("HKEY_CURRENT_USER");
    RegHive second = ParseOrFail(written, &bad);
    EXPECT_EQ(bad, 0u);
    EXPECT_TRUE(second == first) << written;
    EXPECT_EQ(second.Write("HKEY_CURRENT_USER"), written);

    // Random names and contents survive the same way.
    std::mt19937 rng(12345);
    auto randomText = [&](std::size_t maxLen, bool control) {
        static const char alphabet[] = "aZ09 \\\"[]=@;,:\xc3\xa9";
        std::string s;
        std::size_t n = rng() % maxLen;
        for (std::size_t i = 0; i < n; ++i) {
            s.push_back(control && rng() % 5 == 0 ? char(rng() % 32)
                                                  : alphabet[rng() % (sizeof alphabet - 1)]);
        }
        return s;
    };
    RegHive random;
    for (int k = 0; k < 20; ++k) {
        std::string suffix = randomText(8, false);
        suffix.erase(std::remove(suffix.begin(), suffix.end(), '\\'), suffix.end());
        std::string path = "Software\\K" + std::to_string(k) + suffix;
        random.CreateKey(path);
        for (int v = 0; v < 10; ++v) {
            DWORD type = std::vector<DWORD>{REG_SZ, REG_DWORD, REG_BINARY, REG_MULTI_SZ}[rng() % 4];
            std::vector<BYTE> data;
            if (type == REG_SZ) {
                std::string s = randomText(20, true);
                s.erase(std::remove(s.begin(), s.end(), '\0'), s.end());
                data.assign(s.begin(), s.end());
            } else {
                std::size_t n = type == REG_DWORD ? 4 : rng() % 40;
                for (std::size_t i = 0; i < n; ++i)
                    data.push_back(BYTE(rng()));
            }
            random.SetValue(path, "V" + std::to_string(v) + randomText(8, false), type, data);
        }
    }
    RegHive reparsed = ParseOrFail(random.Write("HKEY_CURRENT_USER"), &bad);
    EXPECT_EQ(bad, 0u);
    EXPECT_TRUE(reparsed == random) << random.Write("HKEY_CURRENT_USER");
}

TEST(Registry, HiveLocations) {
    TempHives hives;
    EXPECT_EQ(Registry::HivePath(HKEY_CURRENT_USER), hives.UserPath());
    EXPECT_EQ(Registry::HivePath(HKEY_LOCAL_MACHINE), hives.MachinePath());

    ::unsetenv("CORVANTIS_USER_REGISTRY");
    ::unsetenv("CORVANTIS_MACHINE_REGISTRY");
    std::string savedXdg = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    ::setenv("XDG_CONFIG_HOME", (hives.Dir() + "/config").c_str(), 1);
    EXPECT_EQ(Registry::HivePath(HKEY_CURRENT_USER), hives.Dir() + "/config/corvantis/user.reg");
    // The user's folder is made on the first write.
    HKEY key = CreateKey(HKEY_CURRENT_USER, "Software\\Corvantis");
    RegCloseKey(key);
    EXPECT_TRUE(FileExists(hives.Dir() + "/config/corvantis/user.reg"));
    if (savedXdg.empty()) {
        ::unsetenv("XDG_CONFIG_HOME");
    } else {
        ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    }

    // The machine hive lies under the prefix of the folder holding the
    // platform library: <prefix>/lib/libcvplatform.so.
    std::string lib = Module::PathOfAddress(reinterpret_cast<const void*>(&platform::RegCloseKey));
    auto libFolder = SplitPath(lib).folder;  // <prefix>/lib/
    auto prefix = SplitPath(libFolder.substr(0, libFolder.size() - 1)).folder;
    EXPECT_EQ(Registry::HivePath(HKEY_LOCAL_MACHINE), prefix + "etc/corvantis/machine.reg");
}

}  // namespace
