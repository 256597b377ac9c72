#include "web/service_error_code.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "item_search_reply.h"

namespace zem::test {
namespace {

std::string CodeOf(const std::string& reply) {
    std::vector<char> text(reply.begin(), reply.end());
    text.push_back('\0');
    return web::ServiceErrorCode(text);
}

TEST(ServiceErrorCode, IsTheFirstCodeOfAnError) {
    struct Case {
        const char* what;
        std::string reply;
        std::string code;
        bool throttled;
    };
    const Case cases[] = {
        {"a client asking too fast",
         "<?xml version=\"1.0\"?>\n<BrowseNodeLookupErrorResponse xmlns=\"http://ecs.amazonaws."
         "com/doc/2007-06-13/\"><Error><Code>RequestThrottled</Code><Message>AWS Access Key "
         "ID: 0Q7ZK3T1W9M5B2X8C4NV. You are submitting requests too quickly. Please retry your "
         "requests at a slower rate.</Message></Error><RequestID>2c4b</RequestID>"
         "</BrowseNodeLookupErrorResponse>",
         "RequestThrottled", true},
        {"with the service's prefix and blanks",
         "<ItemSearchResponse><Items><Request><Errors><Error><Code>\n  "
         "AWS.ECommerceService.RequestThrottled </Code></Error></Errors></Request></Items>",
         "AWS.ECommerceService.RequestThrottled", true},
        {"a request the service could not serve",
         ReplyHead() +
             "<Errors><Error><Code>AWS.ECommerceService.NoExactMatches</Code><Message>We did "
             "not find any matches for your request.</Message></Error><Error><Code>"
             "RequestThrottled</Code></Error></Errors></Items></ItemSearchResponse>",
         "AWS.ECommerceService.NoExactMatches", false},
        {"a code outside an error", ReplyHead() + "<Code>RequestThrottled</Code></Items>", "",
         false},
        {"a reply without errors", Reply("1", "1", {ReplyItem{}}), "", false},
        {"a name that only ends alike", "<Error><Code>NotRequestThrottled</Code></Error>",
         "NotRequestThrottled", false},
        {"a server's error page",
         "<html><head><title>503 Service Unavailable</title></head><body><h1>503 Service "
         "Unavailable</h1></body></html>",
         "", false},
        {"empty", "", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string code = CodeOf(c.reply);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(web::IsThrottled(code), c.throttled);
    }
}

}  // namespace
}  // namespace zem::test
