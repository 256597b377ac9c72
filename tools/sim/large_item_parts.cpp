#include "large_item_parts.h"

#include <array>
#include <string>

#include "rng.h"

namespace zem::sim {
namespace {

constexpr std::array<std::string_view, 8> kPraise{
    "Works exactly as described and arrived well packed.",
    "I bought this for my daughter and she has used it every day since.",
    "Solid build, although the manual could be clearer about the first steps.",
    "Compared with the previous model it is lighter & quieter - \"worth every penny\".",
    "The colour is a little darker than in the pictures.",
    "Customer service answered within a day when one part was missing.",
    "After three months of use it still looks new; cleaning takes seconds.",
    "Not cheap, but you get what you pay for <- really."};

Rng ItemRng(const Item& item, std::string_view part) {
    return Rng(Hasher().Add(item.asin).Add(part).Value());
}

void Image(MarkupWriter& w, std::string_view name, const Item& item, std::string_view size,
           int height, int width) {
    w.Open(name);
    w.Element("URL", "http://ecx.images-amazon.com/images/I/" + item.asin + "._SL" +
                         std::string(size) + "_.jpg");
    w.Open("Height", {{"Units", "pixels"}});
    w.Text(std::to_string(height));
    w.Close();
    w.Open("Width", {{"Units", "pixels"}});
    w.Text(std::to_string(width));
    w.Close();
    w.Close();
}

// An editorial review as the service sends it: HTML kept as escaped text.
std::string ReviewHtml(Rng& rng, const Item& item, std::size_t bytes) {
    std::string html = "<p><b>" + item.title + "</b> &ndash; from the manufacturer</p><ul>";
    while (html.size() < bytes) {
        html += "<li><i>";
        html += kPraise[rng.Below(kPraise.size())];
        html += "</i> ";
        html += item.title;
        html += " &amp; more.<br /></li>";
    }
    return html + "</ul>";
}

}  // namespace

void WriteImageSets(MarkupWriter& w, const Item& item) {
    Rng rng = ItemRng(item, "images");
    Image(w, "MediumImage", item, "160", 160, 128);
    Image(w, "LargeImage", item, "500", 500, 400);
    w.Open("ImageSets");
    const auto sets = rng.Between(2, 5);
    for (std::int64_t i = 0; i < sets; ++i) {
        w.Open("ImageSet", {{"Category", i == 0 ? "primary" : "variant"}});
        Image(w, "SwatchImage", item, "30", 30, 24);
        Image(w, "SmallImage", item, "75", 75, 60);
        Image(w, "ThumbnailImage", item, "50", 50, 40);
        Image(w, "TinyImage", item, "110", 110, 88);
        Image(w, "MediumImage", item, "160", 160, 128);
        Image(w, "LargeImage", item, "500", 500, 400);
        w.Close();
    }
    w.Close();
}

void WriteLargeAttributes(MarkupWriter& w, const Item& item) {
    Rng rng = ItemRng(item, "attributes");
    w.Element("Binding", "Misc.");
    w.Element("EAN", std::to_string(4'000'000'000'000 + rng.Below(999'999'999'999)));
    const auto features = rng.Between(2, 6);
    for (std::int64_t i = 0; i < features; ++i)
        w.Element("Feature", std::string(kPraise[rng.Below(kPraise.size())]));
    w.Open("PackageDimensions");
    w.Open("Weight", {{"Units", "hundredths-pounds"}});
    w.Text(std::to_string(rng.Between(10, 900)));
    w.Close();
    w.Close();
}

void WriteLargeParts(MarkupWriter& w, const Item& item, const web::StoreInfo& store,
                     bool oversized) {
    Rng rng = ItemRng(item, "large");
    const auto reviews = rng.Between(3, 5);
    w.Open("CustomerReviews");
    w.Element("AverageRating", std::to_string(rng.Between(1, 5)) + ".5");
    w.Element("TotalReviews", std::to_string(reviews + rng.Below(400)));
    w.Element("TotalReviewPages", std::to_string(1 + rng.Below(80)));
    for (std::int64_t i = 0; i < reviews; ++i) {
        w.Open("Review");
        w.Element("ASIN", item.asin);
        w.Element("Rating", std::to_string(rng.Between(1, 5)));
        w.Element("HelpfulVotes", std::to_string(rng.Below(90)));
        w.Element("CustomerId", "A" + std::to_string(rng.Next() % 1'000'000'000'000));
        w.Element("TotalVotes", std::to_string(rng.Below(120)));
        w.Element("Date", "2007-0" + std::to_string(rng.Between(1, 9)) + "-1" +
                              std::to_string(rng.Between(0, 9)));
        w.Element("Summary", std::string(kPraise[rng.Below(kPraise.size())]));
        std::string content;
        while (content.size() < static_cast<std::size_t>(rng.Between(600, 1400))) {
            content += kPraise[rng.Below(kPraise.size())];
            content += ' ';
        }
        w.Element("Content", content);
        w.Close();
    }
    w.Close();

    w.Open("EditorialReviews");
    for (const char* source : {"Product Description", "Amazon.com Review"}) {
        w.Open("EditorialReview");
        w.Element("Source", source);
        const std::size_t bytes =
            oversized ? 16'000 : static_cast<std::size_t>(rng.Between(1'500, 3'500));
        w.Element("Content", ReviewHtml(rng, item, bytes));
        w.Close();
    }
    w.Close();

    w.Open("SimilarProducts");
    for (int i = 0; i < 5; ++i) {
        w.Open("SimilarProduct");
        w.Element("ASIN", "B00S" + std::to_string(100'000 + rng.Below(900'000)));
        w.Element("Title", item.title + " (" + std::to_string(i + 2) + ")");
        w.Close();
    }
    w.Close();

    w.Open("Accessories");
    for (int i = 0; i < 3; ++i) {
        w.Open("Accessory");
        w.Element("ASIN", "B00A" + std::to_string(100'000 + rng.Below(900'000)));
        w.Element("Title", "Case for " + item.title);
        w.Close();
    }
    w.Close();

    w.Open("BrowseNodes");
    for (int i = 0; i < 3; ++i) {
        w.Open("BrowseNode");
        w.Element("BrowseNodeId", std::to_string(400'000'000 + rng.Below(1'000'000)));
        w.Element("Name", store.siteFlag == 16 ? "おもちゃ" : "Accessories");
        w.Open("Ancestors");
        w.Open("BrowseNode");
        w.Element("BrowseNodeId", std::to_string(1'000 + rng.Below(10'000)));
        w.Element("Name", store.siteFlag == 16 ? "ホビー" : "Categories");
        w.Close();
        w.Close();
        w.Close();
    }
    w.Close();
}

}  // namespace zem::sim
