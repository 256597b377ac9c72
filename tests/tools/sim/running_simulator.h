#pragma once
// A simulator started on a free loopback port for one test and stopped with it, and the request
// URLs the program sends.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "service_simulator.h"
#include "tools/sim/markup_tree.h"
#include "tools/sim/sim_client.h"

namespace zem::test {

struct RunningSimulator {
    explicit RunningSimulator(sim::ContentSettings content = {}, sim::Modes modes = {})
        : simulator(content, std::move(modes)), port(simulator.Start(0)) {}

    // The body of a 200 reply for the URL; a failure of the test otherwise.
    std::string Body(std::string_view url) const {
        const httplib::Result result = FetchThrough(port, url);
        if (!result) {
            ADD_FAILURE() << url << ": " << httplib::to_string(result.error());
            return {};
        }
        EXPECT_EQ(result->status, 200) << url;
        return result->body;
    }

    // The reply parsed; a failure of the test when its tags don't balance.
    MarkupDocument Document(std::string_view url) const {
        MarkupDocument document = ParseMarkup(Body(url), {"br"});
        EXPECT_EQ(document.error, "") << url;
        return document;
    }

    sim::ServiceSimulator simulator;
    int port;
};

inline std::string ServiceUrl(std::string_view host, std::string_view operation,
                              std::string_view rest) {
    return "http://" + std::string(host) +
           "/onca/xml?Service=AWSECommerceService&AWSAccessKeyId=0Q7ZK3T1W9M5B2X8C4NV"
           "&Version=2007-06-13&Operation=" +
           std::string(operation) + std::string(rest);
}

inline std::string ItemSearchUrl(std::string_view host, std::string_view rest) {
    return ServiceUrl(host, "ItemSearch", "&ResponseGroup=Large" + std::string(rest));
}

inline std::string BrowseNodeUrl(std::string_view host, long long node) {
    return ServiceUrl(host, "BrowseNodeLookup",
                      "&ResponseGroup=BrowseNodeInfo&BrowseNodeId=" + std::to_string(node));
}

inline std::string SearchUrl(std::string_view host, std::string_view encodedPhrase,
                             std::string_view country) {
    return "http://" + std::string(host) + "/search?hl=en&safe=off&q=%22" +
           std::string(encodedPhrase) + "%22&btnG=Search&gl=" + std::string(country);
}

}  // namespace zem::test
