#include "result_page.h"

#include <array>

#include "ascii.h"
#include "rng.h"

namespace zem::sim {
namespace {

constexpr std::array<std::string_view, 16> kShopWords{
    "best",  "deal",   "shop", "price", "smart",   "market", "direct", "outlet",
    "value", "planet", "city", "zone",  "bargain", "store",  "world",  "hub"};

constexpr std::array<std::string_view, 12> kSnippetWords{"Compare",  "prices", "reviews", "free",
                                                         "shipping", "on",     "orders",  "over",
                                                         "Find",     "great",  "deals",   "today"};

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

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(ToUpper(static_cast<unsigned char>(c)));
    return out;
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

// Text for an element's content or a quoted attribute value; named and numeric references
// where the pages of the time used them.
std::string Escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// A display address or a link with the phrase in bold, as the engine highlights the words
// searched for. `plain` receives the same text without markup.
struct Marked {
    std::string html;
    std::string plain;
};

Marked AddressWithPhrase(std::string_view address, std::string_view slug, bool bold) {
    Marked m{Escaped(address), std::string(address)};
    if (slug.empty()) return m;
    m.html += "/";
    m.plain += "/";
    const std::string word = Capitalised(slug);
    m.html += bold ? "<b>" + Escaped(word) + "</b>" : Escaped(word);
    m.plain += word;
    return m;
}

// The store's own display address, written the ways advertisers write it.
std::string OwnDisplayAddress(Rng& rng, const web::StoreInfo& store) {
    const std::string domain(store.domain);
    switch (rng.Below(4)) {
        case 0:
            return "www." + domain;
        case 1:
            return Upper("www." + domain);
        case 2:
            return "www." + Capitalised(domain);
        default:
            return "Www." + Capitalised(domain);
    }
}

struct Ad {
    std::string addressHtml;
    std::string addressPlain;
    std::string target;
    bool isStore = false;
};

Ad DrawAd(Rng& rng, const web::StoreInfo& store, std::string_view slug, bool own) {
    std::string address;
    if (own) {
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
    const Marked marked =
        AddressWithPhrase(address, rng.Chance(1, 2) ? slug : "", rng.Chance(2, 3));
    return {marked.html, marked.plain,
            "/aclk?sa=l&ai=" + std::to_string(rng.Below(1'000'000'000)) + "&num=1&adurl=http://" +
                LowerCase(address) + "/%3Fsrc%3Dgoogle",
            own};
}

struct Link {
    std::string href;
    std::string title;  // plain text
    bool isStore = false;
};

Link DrawLink(Rng& rng, const web::StoreInfo& store, std::string_view phrase,
              std::string_view slug) {
    const std::string domain(store.domain);
    const std::string product =
        "/" + Capitalised(slug) + "/dp/B00" + std::to_string(rng.Between(1'000'000, 9'999'999));
    const std::string storeTitle = Capitalised(phrase) + ": " + Capitalised(domain);
    switch (rng.Below(12)) {
        case 0:
            return {"http://www." + domain + product, storeTitle, true};
        case 1:
            return {"HTTP://WWW." + Upper(domain) + product, storeTitle, true};
        case 2:
            return {"http://WWW." + Capitalised(domain) + product + "?ie=UTF8&tag=x", storeTitle,
                    true};
        case 3:  // over https: the rules count it as somebody else's
            return {"https://www." + domain + product, storeTitle, false};
        case 4:
            return {"HTTPS://WWW." + Upper(domain) + "/s?k=" + std::string(slug), storeTitle,
                    false};
        case 5:  // the store without "www."
            return {"http://" + domain + "/s?ie=UTF8&k=" + std::string(slug), storeTitle, false};
        case 6: {
            const web::StoreInfo& other = OtherStore(rng, store);
            return {"http://www." + std::string(other.domain) + "/",
                    Capitalised(phrase) + " at " + Capitalised(other.domain), false};
        }
        default: {
            const std::string host = ShopHost(rng, store);
            return {"http://www." + host + "/" + std::string(slug) + ".html",
                    Capitalised(phrase) + " - " + Capitalised(host), false};
        }
    }
}

// The title with the phrase's words highlighted: <b> on the older pages, <em> on the newer.
std::string TitleHtml(std::string_view title, std::string_view phrase, std::string_view tag) {
    const std::string cap = Capitalised(phrase);
    const std::size_t at = title.find(cap);
    if (at == std::string_view::npos || cap.empty()) return Escaped(title);
    return Escaped(title.substr(0, at)) + "<" + std::string(tag) + ">" + Escaped(cap) + "</" +
           std::string(tag) + ">" + Escaped(title.substr(at + cap.size()));
}

// An unquoted attribute value where it is safe to write one, as the engine wrote its links.
std::string HrefAttribute(Rng& rng, std::string_view href) {
    const bool plain = href.find_first_of(" \"'<>=`&") == std::string_view::npos;
    if (plain && rng.Chance(1, 2)) return "href=" + std::string(href);
    return "href=\"" + Escaped(href) + "\"";
}

void Snippet(Rng& rng, std::string& out, std::string_view phraseHtml, int words) {
    for (int i = 0; i < words; ++i) {
        if (i % 9 == 4) {
            out += "<b>";
            out += phraseHtml;
            out += "</b> ";
        }
        out += kSnippetWords[rng.Below(kSnippetWords.size())];
        out += i % 7 == 6 ? " &middot; " : " ";
    }
    out += "&hellip;";
}

constexpr std::string_view kHeadStyle =
    "<style>body,td,div,.p,a{font-family:arial,sans-serif}body{margin:0}"
    "#gbar{float:left;height:22px;padding-left:2px}.gbh,.gb2 div{border-top:1px solid #c9d7f1;"
    "font-size:0;height:0;position:absolute;top:24px;width:100%}#guser{padding-bottom:7px "
    "!important}.gb1,.gb3{margin-right:.73em}a.gb1,a.gb2,a.gb3{color:#00c !important}"
    "div.g>h2.r{font-size:medium;font-weight:normal;margin:0}.a,.a:link{color:green}"
    "#tads .a{color:green}#mbEnd li{margin:1em 0}q:before{content:\"\\201C\"}"
    "q:after{content:'\\201D'}td>b{font-weight:bold}</style>\n";

// Engine script of the time: comparisons, strings holding markup and both kinds of quote.
void HeadScript(Rng& rng, std::string& out, std::size_t bytes) {
    out += "<script>window.google={kEI:\"";
    out += std::to_string(rng.Next() % 100'000'000);
    out +=
        "\",kEXPI:\"17259,17735,17894\",kHL:\"en\",time:function(){return(new "
        "Date).getTime()},log:function(b,d,c){var a=new Image,e=google,g=e.lc,f=e.li;"
        "a.onerror=(a.onload=(a.onabort=function(){delete g[f]}));g[f]=a;c=c||\"/gen_204?atyp="
        "i&ct=\"+b+\"&cad=\"+d+\"&zx=\"+google.time();a.src=c;e.li=f+1},lc:[],li:0};\n";
    out +=
        "function qs(el){if(window.RegExp&&window.encodeURIComponent){var ue=el.href,"
        "qe=encodeURIComponent(document.gs.q.value);if(ue.indexOf(\"q=\")!=-1){el.href="
        "ue.replace(new RegExp(\"q=[^&$]*\"),\"q=\"+qe)}else{el.href=ue+\"&q=\"+qe}}return 1}\n";
    out +=
        "function rwt(a,b,c,d,e,f,g){var h=encodeURIComponent||escape;a.href=\"/url?sa=t&"
        "source=web&ct=\"+h(d)+\"&cd=\"+h(e)+\"&url=\"+h(a.href).replace(/\\+/g,\"%2B\");"
        "a.onmousedown=\"\";return true}\n";
    out +=
        "function sf(){document.gs.q.focus()}var w=document.body?document.body.clientWidth:0;"
        "if(w>0&&w<800){document.write('<style>.g{width:96%}</style>')}\n";
    int n = 0;
    while (out.size() < bytes) {
        const std::string f = "_f" + std::to_string(n++);
        out += "function " + f +
               "(a,b){for(var i=0;i<a.length&&i<=b;i++){if(a[i]>b||a[i]==\"'\""
               "){a[i]=a[i]<0?'\"'+a[i]+'\"':'<b>'+a[i]+'<\\/b>'}}return a.length>>1}\n";
        out += "var " + f + "s=\"" + std::to_string(rng.Next()) + "\",_h=\"<a href=\\\"/url?q=\"+" +
               f + "s+\"\\\">\";\n";
    }
    out += "</script>\n";
}

}  // namespace

GeneratedPage DrawResultPage(std::uint64_t seed, const web::StoreInfo& store, std::string_view host,
                             std::string_view q) {
    std::string_view phrase = q;
    if (phrase.size() >= 2 && phrase.front() == '"' && phrase.back() == '"')
        phrase = phrase.substr(1, phrase.size() - 2);
    Rng rng(Hasher().Add(seed).Add(host).Add(q).Value());
    const bool blank = phrase.find_first_not_of(' ') == std::string_view::npos;
    const std::string slug = Slug(phrase);
    const std::string phraseHtml = Escaped(phrase);
    const std::string qHtml = Escaped(q);
    const std::string_view em = rng.Chance(1, 2) ? "b" : "em";

    GeneratedPage page;
    ResultPageFacts& facts = page.facts;
    std::string& out = page.html;
    out.reserve(128 * 1024);

    // The sponsored results: some pages have none, some only at the side.
    std::vector<Ad> top, side;
    if (!blank && !rng.Chance(1, 4)) {
        const auto count = static_cast<std::size_t>(rng.Between(0, 3));
        const auto sideCount = static_cast<std::size_t>(rng.Between(count == 0 ? 1 : 0, 8));
        // At most one of them is the store's own, at the top or at the side.
        const std::size_t own = rng.Chance(1, 2) ? rng.Below(count + sideCount) : count + sideCount;
        for (std::size_t i = 0; i < count; ++i) top.push_back(DrawAd(rng, store, slug, i == own));
        for (std::size_t i = 0; i < sideCount; ++i)
            side.push_back(DrawAd(rng, store, slug, count + i == own));
    }
    std::vector<Link> links;
    if (!blank && !rng.Chance(1, 10)) {
        const int count = rng.Chance(7, 10) ? 10 : static_cast<int>(rng.Between(1, 9));
        for (int i = 0; i < count; ++i) links.push_back(DrawLink(rng, store, phrase, slug));
    }

    out +=
        "<!doctype html><html><head><meta http-equiv=content-type content=\"text/html; "
        "charset=UTF-8\"><title>";
    out += qHtml;
    out += " - Google Search</title>\n";
    out += kHeadStyle;
    out += "<!--[if IE]><style>.g{zoom:1}</style><![endif]-->\n";
    HeadScript(rng, out, static_cast<std::size_t>(rng.Between(24'000, 100'000)));
    out +=
        "</head><body bgcolor=#ffffff text=#000000 link=#0000cc vlink=#551a8b alink=#ff0000 "
        "onload=\"sf();if(document.images){new Image().src='/images/nav_logo3.png'}\" "
        "topmargin=3 marginheight=3>\n";
    out += "<div id=gbar><nobr><b class=gb1>Web</b> <a href=http://images.google.com/images?q=";
    out += slug;
    out += "&amp;hl=en&amp;tab=wi class=gb1>Images</a> <a href=http://news.google.com/news?q=";
    out += slug;
    out +=
        "&amp;tab=wn class=gb1>News</a> <a href=http://www.google.com/intl/en/options/ "
        "class=gb3><u>more</u> &raquo;</a></nobr></div>"
        "<div class=gbh style=left:0></div><div class=gbh style=right:0></div>\n";
    out +=
        "<!-- header --><form name=gs method=GET action=/search><table border=0 cellpadding=0 "
        "cellspacing=0 id=sft><tr><td valign=top><a href=\"/webhp?hl=en\"><img "
        "src=/images/nav_logo3.png width=150 height=55 alt=\"Go to Google Home\" border=0 "
        "/></a></td><td><input type=hidden name=hl value=en><input type=text name=q size=41 "
        "maxlength=2048 value=\"";
    out += qHtml;
    out +=
        "\" title=\"Search\"><input type=submit name=btnG value=Search></td></tr></table>"
        "</form>\n";
    if (!links.empty()) {
        out +=
            "<div id=ssb><table width=100% border=0 cellpadding=0 cellspacing=0><tr><td "
            "nowrap><font size=+1>&nbsp;<b>Web</b></font></td><td align=right nowrap><font "
            "size=-1>Results <b>1</b> - <b>";
        out += std::to_string(links.size());
        out += "</b> of about <b>";
        out += std::to_string(links.size() < 10
                                  ? links.size()
                                  : static_cast<std::size_t>(rng.Between(11, 25'000'000)));
        out += "</b> for <b>";
        out += phraseHtml;
        out += "</b>. (<b>0.";
        out += std::to_string(rng.Between(10, 99));
        out += "</b> seconds)&nbsp;</font></td></tr></table></div>\n";
    }

    // Inside the top block only the numbered divs hold divs of their own: the reader ends the
    // block at the first other div end.
    if (!top.empty()) {
        out += "<div id=tads><h2 class=hd>Sponsored Links</h2>";
        for (std::size_t i = 0; i < top.size(); ++i) {
            const Ad& ad = top[i];
            out += "<div id=tpa" + std::to_string(i + 1) + " style=\"padding:0 8px\">";
            out += "<a id=pa" + std::to_string(i + 1) + " " + HrefAttribute(rng, ad.target) +
                   " onmouseover=\"window.status='" + Escaped(ad.addressPlain) +
                   "';return true\"><b>" + phraseHtml + "</b> &ndash; Deals &amp; Offers</a>";
            out += "</div><span class=a>" + ad.addressHtml + "</span><br><font size=-1>";
            Snippet(rng, out, phraseHtml, 10);
            out += "</font><br>\n";
            facts.topAddresses.push_back(ad.addressPlain);
            facts.topIsStore.push_back(ad.isStore);
        }
        out += "</div>\n";
    }
    // The side column is a table of its own, which the reader passes as the one after the top
    // block; with no top block it still stands between the header and the results.
    out += "<table border=0 cellpadding=0 cellspacing=0 width=25% align=right id=mbEnd><tr><td>";
    if (!side.empty()) {
        out += "<h2 class=hd>Sponsored Links</h2><ol>";
        for (std::size_t i = 0; i < side.size(); ++i) {
            out += "<li><h3><a id=an" + std::to_string(i + 1) + " " +
                   HrefAttribute(rng, side[i].target) + "><b>" + phraseHtml +
                   "</b></a></h3><font size=-1>";
            Snippet(rng, out, phraseHtml, 6);
            out += "<br><cite>" + side[i].addressHtml + "</cite></font></li>\n";
        }
        out += "</ol>";
        facts.sideAds = static_cast<int>(side.size());
    }
    out += "</td></tr></table>\n";

    out += "<div id=res class=med><!--a--><h2 class=hd>Search Results</h2><div><ol>\n";
    if (links.empty() && !blank) {
        out += "<p>Your search - <b>" + qHtml + "</b> - did not match any documents.</p>";
    }
    for (std::size_t i = 0; i < links.size(); ++i) {
        const Link& link = links[i];
        if (i == 3 && rng.Chance(1, 3)) {
            ++facts.newsBlocks;
            out += "<div class=e><h2 class=r><a href=\"http://news.google.com/news?q=" + slug +
                   "&amp;um=1&amp;ie=UTF-8\">News results for <b>" + phraseHtml +
                   "</b></a></h2><table border=0 cellpadding=0 cellspacing=0><tr><td>"
                   "<a href=http://www." +
                   ShopHost(rng, store) + "/news/" + slug + "/>&quot;" + phraseHtml +
                   "&quot; sales up</a> - <font color=#6f6f6f>"
                   "Reuters - 2 hours ago</font></td></tr></table></div>\n";
        }
        if (i == 6 && rng.Chance(1, 3)) {
            ++facts.imageBlocks;
            out += "<div class=e><h2 class=r><a href=/images?q=" + slug +
                   "&amp;um=1>Image results for <b>" + phraseHtml + "</b></a></h2><table><tr>";
            for (int k = 0; k < 4; ++k) {
                out += "<td><a href=/imgres?imgurl=http://www." + std::string(store.domain) +
                       "/i/" + std::to_string(k) + ".jpg&amp;imgrefurl=http://www." +
                       std::string(store.domain) +
                       "/><img src=/images?q=tbn:" + std::to_string(rng.Next() % 1'000'000) +
                       " width=90 height=68 border=0/></a></td>";
            }
            out += "</tr></table></div>\n";
        }
        out += "<li><div class=g><h2 class=r><a " + HrefAttribute(rng, link.href) +
               " class=l onmousedown=\"return rwt(this,'','','res','" + std::to_string(i + 1) +
               "','AFQjCN','&amp;sig2=x')\">" + TitleHtml(link.title, phrase, em) +
               "</a></h2><table border=0 cellpadding=0 cellspacing=0><tr><td class=j><font "
               "size=-1>";
        Snippet(rng, out, phraseHtml, 24);
        std::string shown = link.href.substr(link.href.find("//") + 2);
        if (shown.size() > 40) shown = shown.substr(0, 40) + "...";
        out += "<br><span class=a>" + Escaped(shown) + " - " + std::to_string(rng.Between(8, 90)) +
               "k - </span><nobr><a class=fl href=\"http://" + std::string(host) +
               "/search?q=cache:" + std::to_string(rng.Next() % 100000) +
               "&amp;hl=en\">Cached"
               "</a> - <a class=fl href=/search?hl=en&amp;q=related:" +
               slug + ">Similar pages</a></nobr></font></td></tr></table></div>\n";
        facts.links.push_back(link.href);
        facts.linkIsStore.push_back(link.isStore);
    }
    out += "</ol></div></div>\n";
    out +=
        "<div id=navbar class=n><table border=0 cellpadding=0 width=1% cellspacing=0 "
        "align=center><tr><td class=b><img src=/images/nav_first.gif width=18 height=26 "
        "alt=\"\"></td><td><a href=/search?q=" +
        slug +
        "&amp;start=10>2</a></td></tr>"
        "</table></div>\n";
    out +=
        "<center><p><font size=-1>&copy;2008 Google - <a href=/intl/en/ads/>Advertising "
        "Programs</a> - <a href=/intl/en/about.html>About Google</a></font></p></center>\n";
    out +=
        "<script>if(google.y){google.x(\"x\",function(){for(var i=0,a;a=google.y[i++];)"
        "if(a.length>1&&a[1]<2){a[0]()}})};(function(){var a=document.gs.q;if(a&&a.value!=\"\")"
        "{a.blur()}})();</script>\n";
    out += "</body></html>\n";
    return page;
}

std::string ResultPage(std::uint64_t seed, const web::StoreInfo& store,
                       const ProxyRequest& request) {
    const std::string* q = FindParam(request.params, "q");
    return DrawResultPage(seed, store, request.host, q ? *q : std::string()).html;
}

}  // namespace zem::sim
