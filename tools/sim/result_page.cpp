#include "result_page.h"

#include <array>
#include <vector>

#include "ascii.h"
#include "markup_writer.h"
#include "rng.h"

namespace zem::sim {
namespace {

constexpr std::array<std::string_view, 16> kShopWords{
    "best",  "deal",   "shop", "price", "smart",   "market", "direct", "outlet",
    "value", "planet", "city", "zone",  "bargain", "store",  "world",  "hub"};

struct Sponsored {
    std::string displayAddress;
    std::string link;
};

struct Result {
    std::string link;
    std::string title;
};

// ".co.uk" of "amazon.co.uk".
std::string_view TopLevelOf(std::string_view domain) {
    return domain.substr(domain.find('.'));
}

std::string ShopHost(Rng& rng, const web::StoreInfo& store) {
    return std::string(kShopWords[rng.Below(kShopWords.size())]) +
           std::string(kShopWords[rng.Below(kShopWords.size())]) +
           std::string(TopLevelOf(store.domain));
}

const web::StoreInfo& OtherStore(Rng& rng, const web::StoreInfo& store) {
    const auto stores = web::Stores();
    const web::StoreInfo* other = &stores[rng.Below(stores.size())];
    return other->siteFlag == store.siteFlag ? stores[(other - stores.data() + 1) % stores.size()]
                                             : *other;
}

std::string Capitalised(std::string_view text) {
    std::string out(text);
    if (!out.empty()) out[0] = static_cast<char>(ToUpper(static_cast<unsigned char>(out[0])));
    return out;
}

// The store's own display address, written the ways advertisers write it.
std::string OwnDisplayAddress(Rng& rng, const web::StoreInfo& store) {
    const std::string domain(store.domain);
    switch (rng.Below(4)) {
        case 0:
            return "www." + domain;
        case 1: {
            std::string upper = "WWW." + domain;
            for (char& c : upper) c = static_cast<char>(ToUpper(static_cast<unsigned char>(c)));
            return upper;
        }
        case 2:
            return "www." + Capitalised(domain) + "/Deals";
        default:
            return "www." + Capitalised(domain);
    }
}

std::string Slug(std::string_view phrase) {
    std::string slug;
    for (char c : phrase) {
        const auto u = static_cast<unsigned char>(c);
        if (IsAlnum(u)) {
            slug += static_cast<char>(ToLower(u));
        } else if (!slug.empty() && slug.back() != '-') {
            slug += '-';
        }
    }
    while (!slug.empty() && slug.back() == '-') slug.pop_back();
    return slug.empty() ? "item" : slug;
}

std::vector<Sponsored> DrawSponsored(Rng& rng, const web::StoreInfo& store) {
    std::vector<Sponsored> ads;
    if (rng.Chance(1, 4)) return ads;
    const auto count = static_cast<std::size_t>(rng.Between(1, 8));
    const std::size_t own = rng.Chance(1, 2) ? rng.Below(count) : count;
    for (std::size_t i = 0; i < count; ++i) {
        std::string address;
        if (i == own) {
            address = OwnDisplayAddress(rng, store);
        } else {
            switch (rng.Below(8)) {
                case 0:  // the store's domain without "www.": not the store's own ad
                    address = Capitalised(store.domain);
                    break;
                case 1:
                    address = "www." + std::string(OtherStore(rng, store).domain);
                    break;
                default:
                    address = "www." + ShopHost(rng, store);
            }
        }
        ads.push_back({address, "/aclk?sa=l&ai=" + std::to_string(rng.Below(1'000'000'000)) +
                                    "&adurl=http://" + LowerCase(address)});
    }
    return ads;
}

std::vector<Result> DrawResults(Rng& rng, const web::StoreInfo& store, std::string_view phrase) {
    std::vector<Result> results;
    if (rng.Chance(1, 10)) return results;
    const int count = rng.Chance(7, 10) ? 10 : static_cast<int>(rng.Between(1, 9));
    const std::string slug = Slug(phrase);
    for (int i = 0; i < count; ++i) {
        Result result;
        switch (rng.Below(10)) {
            case 0:
            case 1:
                result.link = "http://www." + std::string(store.domain) + "/" + slug + "/dp/B00" +
                              std::to_string(rng.Between(1'000'000, 9'999'999));
                result.title = Capitalised(phrase) + " - " + Capitalised(store.domain);
                break;
            case 2:  // the store without "www.": counted as somebody else's
                result.link = "http://" + std::string(store.domain) + "/s?k=" + slug;
                result.title = Capitalised(phrase) + " - " + Capitalised(store.domain);
                break;
            case 3: {
                const web::StoreInfo& other = OtherStore(rng, store);
                result.link = "http://www." + std::string(other.domain) + "/" + slug;
                result.title = Capitalised(phrase) + " - " + Capitalised(other.domain);
                break;
            }
            default: {
                const std::string host = ShopHost(rng, store);
                result.link = "http://www." + host + "/" + slug + ".html";
                result.title = Capitalised(phrase) + " at " + Capitalised(host);
            }
        }
        results.push_back(std::move(result));
    }
    return results;
}

}  // namespace

std::string ResultPage(std::uint64_t seed, const web::StoreInfo& store,
                       const ProxyRequest& request) {
    const std::string* qParam = FindParam(request.params, "q");
    const std::string q = qParam ? *qParam : std::string();
    std::string_view phrase = q;
    if (phrase.size() >= 2 && phrase.front() == '"' && phrase.back() == '"')
        phrase = phrase.substr(1, phrase.size() - 2);

    Rng rng(Hasher().Add(seed).Add(request.host).Add(q).Value());
    const bool blank = phrase.find_first_not_of(' ') == std::string_view::npos;
    const std::vector<Sponsored> ads = blank ? std::vector<Sponsored>{} : DrawSponsored(rng, store);
    const std::vector<Result> results =
        blank ? std::vector<Result>{} : DrawResults(rng, store, phrase);
    const std::string home = "http://" + request.host + "/";

    MarkupWriter w;
    w.Open("html");
    w.Open("head");
    w.Element("title", q + " - Google Search");
    w.Close();
    w.Raw("\n");
    w.Open("body");
    w.Open("div", {{"id", "header"}});
    w.Open("a", {{"href", home}});
    w.Text("Google");
    w.Close();
    w.Text(" ");
    w.Element("b", "Web");
    w.Close();
    w.Raw("\n");

    // Inside the block nothing but the numbered divs may close a div: the reader takes the
    // first other div end as the end of the block.
    if (!ads.empty()) {
        w.Open("div", {{"id", "tads"}});
        w.Element("h2", "Sponsored Links");
        for (std::size_t i = 0; i < ads.size(); ++i) {
            const std::string id = "tpa" + std::to_string(i + 1);
            w.Open("div", {{"id", id}});
            w.Open("a", {{"href", ads[i].link}});
            w.Text(Capitalised(phrase) + " Deals");
            w.Close();
            w.Close();
            w.Open("span", {{"class", "a"}});
            w.Text(ads[i].displayAddress);
            w.Close();
            w.Void("br");
            w.Text("Compare prices on " + std::string(phrase) + ". Delivery in 2 days.");
            w.Void("br");
            w.Raw("\n");
        }
        w.Close();
        w.Raw("\n");
    }

    if (!results.empty()) {
        const std::int64_t about = results.size() < 10 ? static_cast<std::int64_t>(results.size())
                                                       : rng.Between(11, 2'500'000);
        w.Open("table", {{"class", "t"}});
        w.Open("tr");
        w.Open("td");
        w.Text("Results ");
        w.Element("b", "1");
        w.Text(" - ");
        w.Element("b", std::to_string(results.size()));
        w.Text(" of about ");
        w.Element("b", std::to_string(about));
        w.Text(" for ");
        w.Element("b", q);
        w.Close();
        w.Close();
        w.Close();
        w.Raw("\n");
    }

    // The reader takes the first div after the table as the start of the list, so the results
    // sit inside one of their own.
    w.Open("div", {{"id", "res"}});
    if (results.empty()) {
        w.Open("p");
        w.Text("Your search - ");
        w.Element("b", q);
        w.Text(" - did not match any documents.");
        w.Close();
    }
    for (const Result& result : results) {
        w.Raw("\n");
        w.Open("div", {{"class", "g"}});
        w.Open("h2", {{"class", "r"}});
        w.Open("a", {{"href", result.link}, {"class", "l"}});
        w.Text(result.title);
        w.Close();
        w.Close();
        w.Open("div", {{"class", "s"}});
        w.Text("Find " + std::string(phrase) + " and more.");
        w.Void("br");
        w.Element("cite", result.link.substr(7));
        w.Close();
        w.Close();
    }
    w.Close();
    w.Raw("\n");
    return w.Finish();
}

}  // namespace zem::sim
