#include "options.h"

#include <charconv>

#include "number_text.h"
#include "web/search_indexes.h"
#include "web/stores.h"

namespace zem::sim {
namespace {

// The program's fixed access key; replies echo it like any other argument.

bool ReadInt(std::string_view text, int low, int high, int& out) {
    const std::optional<std::int64_t> value = ParseCount(text);
    if (!value || *value < low || *value > high) return false;
    out = static_cast<int>(*value);
    return true;
}

const web::StoreInfo* StoreNamed(std::string_view name) {
    for (const web::StoreInfo& store : web::Stores())
        if (store.country == name || std::to_string(store.siteFlag) == name) return &store;
    return nullptr;
}

}  // namespace

// Dumps ask with the first key the service knows.
static std::string DumpAccessKey(const Options& options) {
    return options.content.accessKeys.empty() ? std::string() : options.content.accessKeys.front();
}

std::string ParseOptions(const std::vector<std::string_view>& args, Options& options) {
    bool accessKeyGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view option = args[i];
        const auto value = [&](std::string_view& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string_view text;
        const auto needs = [&](std::string_view what) {
            return std::string(option) + " takes " + std::string(what);
        };
        if (option == "--help" || option == "-h") {
            options.help = true;
        } else if (option == "--oversized-pages") {
            options.content.oversizedPages = true;
        } else if (option == "--plain-trees") {
            options.content.tree.crossLinks = false;
        } else if (option == "--stall") {
            options.modes.stall = true;
        } else if (!value(text)) {
            return option.starts_with("--") ? needs("a value")
                                            : "unknown argument " + std::string(option);
        } else if (option == "--port") {
            if (!ReadInt(text, 0, 65535, options.port)) return needs("a port from 0 to 65535");
        } else if (option == "--seed") {
            const auto [end, error] =
                std::from_chars(text.data(), text.data() + text.size(), options.content.seed);
            if (error != std::errc{} || end != text.data() + text.size())
                return needs("an unsigned 64-bit number");
        } else if (option == "--depth") {
            if (!ReadInt(text, 0, 64, options.content.tree.depth)) return needs("a depth");
        } else if (option == "--fanout") {
            if (!ReadInt(text, 0, 1'000'000, options.content.tree.fanout))
                return needs("a fan-out");
        } else if (option == "--require-proxy-auth") {
            if (text.find(':') == std::string_view::npos) return needs("user:password");
            options.modes.proxyAuth = text;
        } else if (option == "--delay-ms") {
            if (!ReadInt(text, 0, 86'400'000, options.modes.delayMs)) return needs("milliseconds");
        } else if (option == "--fail") {
            const std::optional<Failure> failure = ParseFailure(text);
            if (!failure || *failure == Failure::None) return needs("500, drop or throttle");
            options.modes.fail = *failure;
        } else if (option == "--fail-times") {
            const std::optional<std::int64_t> count = ParseCount(text);
            if (!count) return needs("a request count");
            options.modes.failTimes = static_cast<std::size_t>(*count);
        } else if (option == "--access-key") {
            // The first one replaces the program's key as the only known one.
            if (!accessKeyGiven) options.content.accessKeys.clear();
            accessKeyGiven = true;
            options.content.accessKeys.emplace_back(text);
        } else if (option == "--throttle-rate") {
            const std::optional<double> rate = ParseRate(text);
            if (!rate) return needs("a rate from 0 to 1");
            options.modes.throttleRate = *rate;
        } else if (option == "--cut") {
            const std::optional<std::int64_t> bytes = ParseCount(text);
            if (!bytes) return needs("a byte count");
            options.modes.cut = static_cast<std::size_t>(*bytes);
        } else if (option == "--dump") {
            options.dump = text;
        } else if (option == "--store") {
            options.store = text;
        } else if (option == "--index") {
            options.searchIndex = text;
        } else if (option == "--keywords") {
            options.keywords = text;
        } else if (option == "--node") {
            options.node = text;
        } else if (option == "--min") {
            options.minimumPrice = text;
        } else if (option == "--max") {
            options.maximumPrice = text;
        } else if (option == "--page") {
            options.page = text;
        } else {
            return "unknown option " + std::string(option);
        }
    }
    if (options.help) return {};
    if (const std::string error = BrowseTree::CheckShape(options.content.tree); !error.empty())
        return error;
    if (options.dump.empty() && options.port < 0) return "--port is required";
    return {};
}

std::string DumpRequest(const Options& options, ProxyRequest& request) {
    if (options.dump.starts_with("http://")) {
        std::optional<ProxyRequest> parsed = ParseProxyTarget(options.dump, "");
        if (!parsed) return "the URL names no host";
        request = std::move(*parsed);
        return {};
    }
    const web::StoreInfo* store = StoreNamed(options.store);
    if (!store) return "--store takes us, uk, fr, de, jp or ca";
    request = {};
    auto& params = request.params;
    if (options.dump == "itemsearch") {
        request.host = store->serviceHost;
        request.path = "/onca/xml";
        params = {{"Service", "AWSECommerceService"}, {"AWSAccessKeyId", DumpAccessKey(options)},
                  {"Version", "2007-06-13"},          {"Operation", "ItemSearch"},
                  {"ResponseGroup", "Large"},         {"SearchIndex", options.searchIndex},
                  {"Keywords", options.keywords}};
        if (!options.node.empty()) params.emplace_back("BrowseNode", options.node);
        // Like the program, both bounds go out as soon as one is set.
        if (!options.minimumPrice.empty() || !options.maximumPrice.empty()) {
            params.emplace_back("MinimumPrice",
                                options.minimumPrice.empty() ? "0" : options.minimumPrice);
            params.emplace_back("MaximumPrice",
                                options.maximumPrice.empty() ? "0" : options.maximumPrice);
        }
        if (!options.page.empty() && options.page != "1")
            params.emplace_back("ItemPage", options.page);
    } else if (options.dump == "browsenode") {
        std::string node = options.node;
        if (node.empty()) {
            const auto indexes = web::SearchIndexesOf(store->siteFlag);
            if (!indexes.empty()) node = std::to_string(indexes.front().node);
        }
        request.host = store->serviceHost;
        request.path = "/onca/xml";
        params = {{"Service", "AWSECommerceService"},
                  {"AWSAccessKeyId", DumpAccessKey(options)},
                  {"Operation", "BrowseNodeLookup"},
                  {"ResponseGroup", "BrowseNodeInfo"},
                  {"BrowseNodeId", node}};
    } else if (options.dump == "search") {
        request.host = store->searchHost;
        request.path = "/search";
        params = {{"hl", "en"},
                  {"safe", "off"},
                  {"q", "\"" + options.keywords + "\""},
                  {"btnG", "Search"},
                  {"gl", std::string(store->country)}};
    } else {
        return "--dump takes itemsearch, browsenode, search or an http:// URL";
    }
    return {};
}

std::string UsageText() {
    return R"(Usage: service-sim --port N [--seed S] [--depth D] [--fanout F] [--plain-trees] [modes]
       service-sim --dump KIND [--seed S] [--store us|uk|fr|de|jp|ca] [query]

A loopback HTTP forward proxy on 127.0.0.1 that answers the E-Commerce Service of each
store (/onca/xml: ItemSearch, BrowseNodeLookup) and each store's search result pages
(/search) from a synthetic catalog. Every other host gets 502. With --port 0 a free port
is taken; the first line on stdout is always "listening on 127.0.0.1:PORT". SIGINT or
SIGTERM ends it with exit code 0.

  --seed S                  catalog seed (default 1); replies follow from it and the request
  --depth D, --fanout F     browse trees below every root node (default 3 and 4)
  --plain-trees             strict trees: no node under a second parent, no child list
                            that names the parent again (the service's trees have both)
  --oversized-pages         Large item-search pages of ten items longer than 262,143 bytes
                            (the program's page buffer)
  --access-key K            an AWSAccessKeyId the service knows (repeatable; default: the
                            program's own key); a request without one, or with another, gets
                            the service's error reply

Modes (also switched at run time through http://sim.control/mode?...):
  --require-proxy-auth U:P  answer 407 without Basic proxy credentials U:P
  --delay-ms N              wait N ms before answering
  --stall                   send the headers and half the body, then nothing until shutdown
  --fail 500|drop|throttle  answer 500, close the connection without a reply, or answer 503
                            with the service's RequestThrottled error reply
  --cut N                   announce the full Content-Length, send N body bytes, then close
                            (with --stall: send N bytes, then hang)
  --fail-times N            --fail and --cut apply to the next N requests only
  --throttle-rate R         answer that share (0 to 1) of the service requests with the
                            throttling error; which ones follows from the seed

Control host (outside every mode):
  http://sim.control/mode?reset&auth=U:P&delay=N&stall=0|1&fail=none|500|drop|throttle
                         &cut=N|none&times=N|none&throttle-rate=R
  http://sim.control/requests[?clear]   the proxied requests, one "METHOD target" a line

Dump one reply to stdout instead of serving:
  --dump itemsearch  [--index Books] [--keywords "digital camera"] [--node N]
                     [--min CENTS] [--max CENTS] [--page P]
  --dump browsenode  [--node N]          (default: the store's first root node)
  --dump search      [--keywords TEXT]   (searched as a phrase)
  --dump http://HOST/PATH?QUERY          any request, answered as served
)";
}

}  // namespace zem::sim
