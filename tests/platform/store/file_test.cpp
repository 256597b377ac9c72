// Opening the data file: creation, refusals that leave the file untouched, and standard tools.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
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
        store::OpenStatus status;
        auto file = store::DataFile::Open(path, kPassword, status);
        EXPECT_TRUE(status.created);
        Person p{};
        store::Table t(*file, kPeople, &p);
        EXPECT_EQ(t.Open(), store::NoError);
        for (int i = 0; i < 300; ++i) {
            Fill(p, 0, "row" + std::to_string(i), std::string(15, 'c'));
            EXPECT_EQ(t.Add(), store::NoError);
        }
        t.Close();
        file->ReleaseThreadConnection();
        file.reset();
        std::filesystem::remove(path.string() + "-wal");
        std::filesystem::remove(path.string() + "-shm");
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
    auto path = MakeFile();
    store::OpenStatus status;
    auto file = store::DataFile::Open(path, kPassword, status);
    ASSERT_TRUE(file) << status.text;
    EXPECT_FALSE(status.created);
    Person p{};
    store::Table t(*file, kPeople, &p);
    ASSERT_EQ(t.Open(), store::NoError);
    EXPECT_EQ(t.Records(), 300);
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
