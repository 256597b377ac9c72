// Reading request targets: the host a proxy client meant, the path, and the query decoded as
// the service decodes it.
#include <gtest/gtest.h>

#include "proxy_request.h"

namespace zem::test {
namespace {

TEST(ProxyRequest, ReadsEveryTargetForm) {
    struct Case {
        const char* name;
        const char* target;
        const char* hostHeader;
        const char* host;
        const char* path;
    };
    const Case cases[] = {
        {"AbsoluteAsCurlSendsIt", "http://ecs.amazonaws.com/onca/xml?Operation=ItemSearch", "",
         "ecs.amazonaws.com", "/onca/xml"},
        {"AbsoluteWithPortAndCase", "HTTP://WWW.Google.CO.UK:80/search?q=x", "", "www.google.co.uk",
         "/search"},
        {"AbsoluteWithoutPath", "http://www.google.com", "", "www.google.com", "/"},
        {"AbsoluteWithUserAndDot", "http://u:p@www.google.de./search", "", "www.google.de",
         "/search"},
        {"OriginFormTakesTheHostHeader", "/onca/xml?Service=x", "ecs.amazonaws.jp:8080",
         "ecs.amazonaws.jp", "/onca/xml"},
        {"AuthorityForm", "www.google.com:443", "", "www.google.com", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<sim::ProxyRequest> request =
            sim::ParseProxyTarget(c.target, c.hostHeader);
        ASSERT_TRUE(request);
        EXPECT_EQ(request->host, c.host);
        EXPECT_EQ(request->path, c.path);
    }
    EXPECT_FALSE(sim::ParseProxyTarget("/search?q=x", ""));
}

TEST(ProxyRequest, DecodesTheQueryAsTheServiceDoes) {
    const std::optional<sim::ProxyRequest> request = sim::ParseProxyTarget(
        "http://ecs.amazonaws.com/onca/xml?Keywords=red+wine+%26+cheese&q=%22a%20b%22"
        "&Name=caf%E9&Bad=100%&Odd=%G1&Empty=&Flag&&Keywords=second#fragment",
        "");
    ASSERT_TRUE(request);
    const sim::QueryParams expected{{"Keywords", "red wine & cheese"},
                                    {"q", "\"a b\""},
                                    {"Name", "caf\xE9"},
                                    {"Bad", "100%"},
                                    {"Odd", "%G1"},
                                    {"Empty", ""},
                                    {"Flag", ""},
                                    {"Keywords", "second"}};
    EXPECT_EQ(request->params, expected);
    ASSERT_NE(sim::FindParam(request->params, "Keywords"), nullptr);
    EXPECT_EQ(*sim::FindParam(request->params, "Keywords"), "red wine & cheese");
    EXPECT_EQ(sim::FindParam(request->params, "keywords"), nullptr) << "names are exact";
}

}  // namespace
}  // namespace zem::test
