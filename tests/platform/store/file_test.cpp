// Opening the data file: creation, refusals that leave the file untouched, and standard tools.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "store_fixture.h"

namespace zem::test {
namespace {

std::string Bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class BadFileTest : public ::testing::Test {
  protected:
    // A real data file with a few rows, closed again.
    std::filesystem::path MakeFile() {
        auto path = dir / "data.cfg";
        EXPECT_FALSE(std::filesystem::exists(path));
        AddPeople(path, 300);
        return path;
    }
    TempDir dir;
};

TEST_F(BadFileTest, RefusedFilesAreLeftByteForByte) {
    struct Case {
        const char* what;
        std::function<void(const std::filesystem::path&)> spoil;
        const char* password;
    };
    const Case cases[] = {
        {"wrong password", [](const std::filesystem::path&) {}, "not the password"},
        {"not a data file", [](const std::filesystem::path& p) { Write(p, "just some text\n"); },
         kPassword},
        {"damaged page",
         [](const std::filesystem::path& p) {
             std::string bytes = Bytes(p);
             for (std::size_t i = bytes.size() / 2; i < bytes.size() / 2 + 64; ++i)
                 bytes[i] ^= 0x5A;
             Write(p, bytes);
         },
         kPassword},
        {"truncated", [](const std::filesystem::path& p) { Write(p, Bytes(p).substr(0, 700)); },
         kPassword},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto path = MakeFile();
        c.spoil(path);
        const std::string before = Bytes(path);
        store::OpenStatus status;
        auto file = store::DataFile::Open(path, c.password, status);
        EXPECT_FALSE(file);
        EXPECT_EQ(status.code, store::InvalidDataFile);
        EXPECT_FALSE(status.text.empty());
        EXPECT_EQ(Bytes(path), before);
        std::filesystem::remove(path);
        std::filesystem::remove(path.string() + "-wal");
        std::filesystem::remove(path.string() + "-shm");
    }
}

TEST_F(BadFileTest, ADirectoryIsNoDataFile) {
    std::filesystem::create_directory(dir / "folder.cfg");
    store::OpenStatus status;
    EXPECT_FALSE(store::DataFile::Open(dir / "folder.cfg", kPassword, status));
    EXPECT_EQ(status.code, store::InvalidDataFile);
}

TEST_F(BadFileTest, ReopeningKeepsEveryRow) {
    EXPECT_EQ(PeopleIn(MakeFile()), 300);
}

TEST_F(BadFileTest, ADamagedFileIsToldInALineAndItsProblemsAreKeptForTheLog) {
    const auto path = dir / "big.cfg";
    ASSERT_NO_FATAL_FAILURE(AddPeople(path, 20000));
    // A few bytes spoilt in the middle: the check finds many pages it can't read.
    std::string bytes = Bytes(path);
    for (std::size_t i = bytes.size() / 2; i < bytes.size() / 2 + 64; ++i) bytes[i] ^= 0x5A;
    Write(path, bytes);
    store::OpenStatus status;
    EXPECT_FALSE(store::DataFile::Open(path, kPassword, status));
    EXPECT_EQ(status.code, store::InvalidDataFile);
    EXPECT_EQ(status.text.find('\n'), std::string::npos) << status.text;
    EXPECT_LT(status.text.size(), 160u) << status.text;
    EXPECT_NE(status.text.find("is damaged"), std::string::npos) << status.text;
    EXPECT_NE(status.detail.find("Page "), std::string::npos) << status.detail;
    EXPECT_GT(std::count(status.detail.begin(), status.detail.end(), '\n'), 3);
}

// The files in a folder, by name.
std::set<std::string> Listing(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Runs open in a child process that is killed inside the set-up of the new file.
void KilledWhileSettingUp(const std::filesystem::path& path) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        store::OpenStatus status;
        store::DataFile::Open(path, kPassword, status, [](store::DataFile& file) {
            Person p{};
            store::Table t(file, kPeople, &p);
            if (t.Open() == store::NoError) {
                Fill(p, 0, "half", "X");
                (void)t.Add();  // killed next whether or not the row went in
            }
            ::raise(SIGKILL);
            return 0;
        });
        ::_exit(0);
    }
    int wstatus = 0;
    ::waitpid(child, &wstatus, 0);
    ASSERT_TRUE(WIFSIGNALED(wstatus));
}

TEST_F(BadFileTest, ANewFileTakesItsNameOnlyWhenSetUp) {
    const auto path = dir / "data.cfg";
    ASSERT_NO_FATAL_FAILURE(KilledWhileSettingUp(path));
    EXPECT_FALSE(std::filesystem::exists(path));

    // The next start discards what the killed one left and sets up a file of its own.
    store::OpenStatus status;
    auto file = store::DataFile::Open(path, kPassword, status, [](store::DataFile& f) {
        Person p{};
        store::Table t(f, kPeople, &p);
        Fill(p, 0, "seeded", "X");
        return t.Open() == store::NoError ? t.Add() : store::ErrorCode();
    });
    ASSERT_TRUE(file) << status.text;
    EXPECT_TRUE(status.created);
    file.reset();
    EXPECT_EQ(Listing(dir.Path()), (std::set<std::string>{"data.cfg", "data.cfg-lock"}));
    // Whole on its own: the set-up is in the file, not in a log beside it.
    std::filesystem::copy_file(path, dir / "copy.cfg");
    EXPECT_EQ(PeopleIn(dir / "copy.cfg"), 1);
}

TEST_F(BadFileTest, AFailedSetUpLeavesNothing) {
    const auto path = dir / "data.cfg";
    store::OpenStatus status;
    EXPECT_FALSE(store::DataFile::Open(path, kPassword, status, [](store::DataFile&) {
        return store::SetError(store::FileSystemError, 0, "no room");
    }));
    EXPECT_EQ(status.code, store::FileSystemError);
    EXPECT_NE(status.text.find("can't be created: no room"), std::string::npos) << status.text;
    EXPECT_EQ(Listing(dir.Path()), (std::set<std::string>{"data.cfg-lock"}));
}

TEST_F(BadFileTest, AFileThatAppearsWhileANewOneIsSetUpIsNeverReplaced) {
    const auto path = dir / "data.cfg";
    const std::string theirs = "written by someone else meanwhile\n";
    store::OpenStatus status;
    auto file = store::DataFile::Open(path, kPassword, status, [&](store::DataFile&) {
        Write(path, theirs);
        return store::NoError;
    });
    EXPECT_FALSE(file);
    EXPECT_FALSE(status.created);
    EXPECT_EQ(Bytes(path), theirs);
    EXPECT_FALSE(std::filesystem::exists(dir / "data.cfg-new"));
}

// Checks made as a user without the right to write others' files: root writes anything, so as
// root the process takes the identity of "nobody" for the test, and back.
class AsUser {
  public:
    AsUser() {
        if (::geteuid() == 0) switched_ = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
    }
    ~AsUser() {
        if (switched_) (void)!(::seteuid(0) + ::setegid(0));
    }
    bool Ok() const { return ::geteuid() != 0; }

  private:
    bool switched_ = false;
};

TEST(ReadOnlyFileTest, IsRefusedWithNothingLeftBesideItAndOpensOnceWritable) {
    struct Case {
        const char* what;
        const char* readOnly;  // the file made read-only, or nullptr for the folder
        const char* named;     // in the text
    };
    const Case cases[] = {
        {"read-only data file", "data.cfg", "can't be written"},
        {"read-only log beside it", "data.cfg-wal", "data.cfg-wal beside it can't be written"},
        {"read-only folder", nullptr, "its folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AsUser user;
        ASSERT_TRUE(user.Ok());
        TempDir dir;
        const auto path = dir / "data.cfg";
        {
            store::OpenStatus status;
            auto file = store::DataFile::Open(path, kPassword, status);
            ASSERT_TRUE(file) << status.text;
        }
        std::filesystem::remove(dir / "data.cfg-lock");
        if (std::string_view(c.what).find("log") != std::string_view::npos)
            Write(dir / "data.cfg-wal", "");
        const auto before = Listing(dir.Path());
        const auto target = c.readOnly ? dir / c.readOnly : dir.Path();
        const auto mode = c.readOnly ? S_IRUSR | S_IRGRP | S_IROTH : S_IRUSR | S_IXUSR;
        ASSERT_EQ(::chmod(target.c_str(), mode), 0);

        store::OpenStatus status;
        EXPECT_FALSE(store::DataFile::Open(path, kPassword, status));
        EXPECT_EQ(status.code, store::AccessDenied);
        EXPECT_NE(status.text.find(c.named), std::string::npos) << status.text;
        ASSERT_EQ(::chmod(dir.Path().c_str(), S_IRWXU), 0);
        EXPECT_EQ(Listing(dir.Path()), before);

        ASSERT_EQ(::chmod(target.c_str(), c.readOnly ? S_IRUSR | S_IWUSR : S_IRWXU), 0);
        EXPECT_TRUE(store::DataFile::Open(path, kPassword, status)) << status.text;
    }
}

#ifdef SQLCIPHER_SHELL
// The file is a plain SQLCipher database: Debian's shell reads it with the password, and only so.
TEST_F(BadFileTest, StandardShellReadsTheFileOnlyWithThePassword) {
    auto path = MakeFile();
    auto shell = [&](const std::string& password, const std::string& sql) {
        std::string script = (dir / "script.sql").string();
        Write(script, "PRAGMA key='" + password + "';\n" + sql + "\n");
        std::string cmd =
            std::string(SQLCIPHER_SHELL) + " -batch " + path.string() + " < " + script + " 2>&1";
        std::string out;
        if (FILE* pipe = ::popen(cmd.c_str(), "r")) {
            char chunk[4096];
            while (std::size_t n = std::fread(chunk, 1, sizeof chunk, pipe)) out.append(chunk, n);
            ::pclose(pipe);
        }
        return out;
    };
    EXPECT_EQ(shell(kPassword, "SELECT count(*) FROM People;"), "300\n");
    EXPECT_EQ(shell(kPassword, "SELECT NAME FROM People ORDER BY _key_NAME DESC LIMIT 1;"),
              "row99\n");
    EXPECT_NE(shell("wrong", "SELECT count(*) FROM People;"), "300\n");
}
#endif

}  // namespace
}  // namespace zem::test
