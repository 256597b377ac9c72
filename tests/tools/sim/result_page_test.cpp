// Result pages: the sponsored block and the ordinary results laid out so that a reader walking
// the page as the program's result-page reader does sees every ad and every result.
#include <gtest/gtest.h>

#include "tools/sim/running_simulator.h"
#include "web/stores.h"

namespace zem::test {
namespace {

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

struct Counts {
    int ads = 0;
    int ownAds = 0;  // sponsored results showing "WWW." + the store's domain
    int results = 0;
    int elsewhere = 0;  // ordinary results not under "HTTP://WWW." + the store's domain
    bool operator==(const Counts&) const = default;
};

// Walks the page in document order with the layout rules of the program's reader: the block
// div id="tads", in it div id="tpaN" (N counting from 1), the first div end after it, then a
// span class="a" with the display address; after the block a table, then a div, then the
// results div class="g" > h2 class="r" > a href.
class LayoutWalker {
  public:
    explicit LayoutWalker(std::string domain) : domain_(Upper(std::move(domain))) {}

    Counts Walk(const MarkupNode& node) {
        for (const auto& child : node.children) {
            if (child->name.empty()) {
                OnText(child->text);
                continue;
            }
            OnStart(*child);
            Walk(*child);
            OnEnd(child->name);
        }
        return counts_;
    }

  private:
    void OnStart(const MarkupNode& e) {
        const std::string tag = e.name;
        switch (state_) {
            case 0:
                if (tag == "div" && e.Attribute("id") == "tads")
                    state_ = 1;
                else if (tag == "div" && e.Attribute("class") == "g")
                    state_ = 8;
                break;
            case 1:
                if (tag == "div" && e.Attribute("id") == "tpa" + std::to_string(counts_.ads + 1))
                    state_ = 2;
                break;
            case 3:
                if (tag == "span" && e.Attribute("class") == "a") state_ = 20;
                break;
            case 4:
                if (tag == "table") state_ = 5;
                break;
            case 6:
                if (tag == "div") state_ = 7;
                break;
            case 7:
                if (tag == "div" && e.Attribute("class") == "g") state_ = 8;
                break;
            case 8:
                if (tag == "h2" && e.Attribute("class") == "r") state_ = 9;
                break;
            case 9:
                if (tag == "a") {
                    ++counts_.results;
                    if (Upper(e.Attribute("href")).rfind("HTTP://WWW." + domain_, 0) != 0)
                        ++counts_.elsewhere;
                    state_ = 7;
                }
                break;
        }
    }
    void OnEnd(const std::string& tag) {
        if (tag == "div" && state_ == 1)
            state_ = 4;
        else if (tag == "div" && state_ == 2)
            state_ = 3;
        else if (tag == "table" && state_ == 5)
            state_ = 6;
    }
    void OnText(const std::string& text) {
        if (state_ != 20) return;
        ++counts_.ads;
        if (Upper(text).find("WWW." + domain_) != std::string::npos) ++counts_.ownAds;
        state_ = 1;
    }

    std::string domain_;
    int state_ = 0;
    Counts counts_;
};

// The same counts taken from the tree, without regard to layout.
Counts CountInTree(const MarkupNode& page, const std::string& domain) {
    Counts counts;
    for (const MarkupNode* span : page.Descendants("span")) {
        if (span->Attribute("class") != "a") continue;
        ++counts.ads;
        if (Upper(span->Text()).find("WWW." + Upper(domain)) != std::string::npos) ++counts.ownAds;
    }
    for (const MarkupNode* div : page.Descendants("div")) {
        if (div->Attribute("class") != "g") continue;
        ++counts.results;
        const std::string href = Upper(div->Child("h2")->Child("a")->Attribute("href"));
        if (href.rfind("HTTP://WWW." + Upper(domain), 0) != 0) ++counts.elsewhere;
    }
    return counts;
}

TEST(ResultPage, TheReadersWalkSeesEveryAdAndEveryResult) {
    const char* phrases[] = {"digital+camera", "red+wine", "tea+kettle",    "garden+hose",
                             "mp3+player",     "chess",    "running+shoes", "lamp"};
    const RunningSimulator sim;
    int pagesWithAds = 0, pagesWithoutAds = 0, pagesWithOwnAd = 0, pagesWithStoreResult = 0;
    for (const web::StoreInfo& store : web::Stores()) {
        for (const char* phrase : phrases) {
            SCOPED_TRACE(std::string(store.searchHost) + " " + phrase);
            const MarkupDocument page =
                sim.Document(SearchUrl(store.searchHost, phrase, store.country));
            const MarkupNode* html = page.root->Child("html");
            ASSERT_NE(html, nullptr);
            ASSERT_NE(html->Child("body"), nullptr);
            const Counts inTree = CountInTree(*html, std::string(store.domain));
            EXPECT_EQ(LayoutWalker(std::string(store.domain)).Walk(*html), inTree);
            (inTree.ads > 0 ? pagesWithAds : pagesWithoutAds)++;
            if (inTree.ownAds > 0) ++pagesWithOwnAd;
            if (inTree.elsewhere < inTree.results) ++pagesWithStoreResult;
        }
    }
    EXPECT_GT(pagesWithAds, 0);
    EXPECT_GT(pagesWithoutAds, 0);
    EXPECT_GT(pagesWithOwnAd, 0);
    EXPECT_GT(pagesWithStoreResult, 0);
}

TEST(ResultPage, DependsOnHostAndPhraseOnly) {
    const RunningSimulator sim;
    const RunningSimulator twin;
    const std::string url = SearchUrl("www.google.de", "digital+camera", "de");
    const std::string page = sim.Body(url);
    EXPECT_EQ(twin.Body(url), page);
    EXPECT_NE(sim.Body(SearchUrl("www.google.de", "digital+kamera", "de")), page);
    EXPECT_NE(sim.Body(SearchUrl("www.google.fr", "digital+camera", "de")), page);
}

TEST(ResultPage, OtherPathsOfTheServiceHostsAreNotFound) {
    const RunningSimulator sim;
    for (const char* url : {"http://www.google.com/", "http://www.google.co.jp/images?q=x",
                            "http://ecs.amazonaws.com/onca/json?Operation=ItemSearch"}) {
        const httplib::Result result = FetchThrough(sim.port, url);
        ASSERT_TRUE(result) << url;
        EXPECT_EQ(result->status, 404) << url;
    }
}

}  // namespace
}  // namespace zem::test
