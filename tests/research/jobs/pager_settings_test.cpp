// The connection settings a job reads from the configuration record and its user agent.
#include "research/jobs/pager_settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>

#include "data/data_fixture.h"

namespace zem::test {
namespace {

using data::TableId;

struct Configuration {
    std::int32_t userAgent = 2;
    std::int32_t manual = 1;
    std::string proxy = "127.0.0.1:3128";
    std::string user = "zem";
    std::string password = "secret";
    std::uint8_t useAccount = 1;
    std::uint8_t usePassword = 1;
};

class PagerSettingsTest : public DataTest {
  protected:
    static void Store(const Configuration& c) {
        ASSERT_EQ(Add(TableId::Sysinfo,
                      [&] {
                          data::SysinfoRecord& sys = D().SYS;
                          sys.USERAGENT = c.userAgent;
                          sys.MANUAL = c.manual;
                          data::SetCString(sys.PROXY, c.proxy);
                          data::SetCString(sys.USER, c.user);
                          data::SetCString(sys.PASSWORD, c.password);
                          sys.USEACCOUNT = c.useAccount;
                          sys.USEPASSWORD = c.usePassword;
                      }),
                  ui::Benign);
    }

    // Settings that must be overwritten whatever they held.
    static HTTP::INFO Stale() {
        HTTP::INFO info;
        std::memset(&info, 'x', sizeof info);
        return info;
    }
};

TEST_F(PagerSettingsTest, FillsEveryFieldFromTheRecordAndItsUserAgent) {
    Store({});
    HTTP::INFO info = Stale();
    EXPECT_EQ(research::LoadPagerSettings(info), 0);
    EXPECT_EQ(data::CStringOf(info.USERAGENT),
              "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
              "Chrome/138.0.0.0 Safari/537.36");
    EXPECT_EQ(data::CStringOf(info.PROXY), "127.0.0.1:3128");
    EXPECT_EQ(data::CStringOf(info.USER), "zem");
    EXPECT_EQ(data::CStringOf(info.PASSWORD), "secret");
    EXPECT_EQ(data::CStringOf(info.BYPASS), "");
    EXPECT_EQ(info.USEPROXY, 1);
    EXPECT_EQ(info.USEACCOUNT, 1);
    EXPECT_EQ(info.USEPASSWORD, 1);
    // Each text is cleared behind its end.
    for (const char* field : {info.USERAGENT, info.PROXY, info.USER, info.PASSWORD, info.BYPASS})
        for (std::size_t i = std::strlen(field); i < 256; ++i) ASSERT_EQ(field[i], '\0');
    // The record and the user agent stay in the thread's buffers.
    EXPECT_EQ(D().SYS.USERAGENT, 2);
    EXPECT_EQ(D().BRO.ID, 2);
    EXPECT_FALSE(sink->Last());
}

struct ProxyCase {
    const char* name;
    std::int32_t manual;
    std::string proxy;
    std::uint8_t useProxy;
    friend void PrintTo(const ProxyCase& c, std::ostream* out) { *out << c.name; }
};

class PagerProxyTest : public PagerSettingsTest, public ::testing::WithParamInterface<ProxyCase> {};

TEST_P(PagerProxyTest, TheProxyIsUsedOnlyWhenSetByHandAndNamed) {
    const ProxyCase& c = GetParam();
    Store({.manual = c.manual, .proxy = c.proxy, .useAccount = 0, .usePassword = 0});
    HTTP::INFO info = Stale();
    EXPECT_EQ(research::LoadPagerSettings(info), 0);
    EXPECT_EQ(info.USEPROXY, c.useProxy);
    // The proxy text goes as stored; the loader decides from the switches what it uses.
    EXPECT_EQ(data::CStringOf(info.PROXY), c.proxy);
    EXPECT_EQ(info.USEACCOUNT, 0);
    EXPECT_EQ(info.USEPASSWORD, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, PagerProxyTest,
                         ::testing::Values(ProxyCase{"ManualWithProxy", 1, "proxy:8080", 1},
                                           ProxyCase{"AnyNonZeroManual", 7, "proxy:8080", 1},
                                           ProxyCase{"NotManual", 0, "proxy:8080", 0},
                                           ProxyCase{"ManualWithoutProxy", 1, "", 0},
                                           ProxyCase{"ManualWithBlanksOnly", 1, "   ", 0},
                                           ProxyCase{"LeadingBlanksStillName", 1, "  proxy:8080",
                                                     1}),
                         [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(PagerSettingsTest, TheUserAgentLosesTheBlanksOfItsField) {
    ASSERT_EQ(Add(TableId::Browsers,
                  [] {
                      D().BRO.ID = 9;
                      data::SetString(D().BRO.NAME, "Short");
                      data::SetString(D().BRO.USERAGENT, "  Agent/1.0  ");
                  }),
              ui::Benign);
    Store({.userAgent = 9});
    HTTP::INFO info = Stale();
    EXPECT_EQ(research::LoadPagerSettings(info), 0);
    EXPECT_EQ(data::CStringOf(info.USERAGENT), "  Agent/1.0");
}

TEST_F(PagerSettingsTest, AMissingRecordIsReportedAndFails) {
    HTTP::INFO info{};
    EXPECT_EQ(research::LoadPagerSettings(info), 3);
    const auto last = sink->Last();
    ASSERT_TRUE(last);
    EXPECT_EQ(last->caption, "Error");
    EXPECT_EQ(last->text, "Error: Record Not Available. While fetching system parameters");
    EXPECT_EQ(sink->Count(), 1u);
}

TEST_F(PagerSettingsTest, AMissingUserAgentIsReportedByItsTableAndFails) {
    Store({.userAgent = 99});
    HTTP::INFO info{};
    EXPECT_EQ(research::LoadPagerSettings(info), 3);
    ASSERT_EQ(sink->Count(), 1u);
    EXPECT_NE(sink->Last()->text.find("Browsers"), std::string::npos) << sink->Last()->text;
}

}  // namespace
}  // namespace zem::test
