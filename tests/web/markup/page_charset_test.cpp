// The charset a page declares, and the tokenizer reading every page as UTF-8 whatever it
// declares.
#include "web/page_charset.h"

#include <gtest/gtest.h>

#include <string>

#include "recording_handler.h"

namespace zem::test {
namespace {

TEST(PageCharsetTest, TheDeclarationIsFoundWhereBrowsersLookForIt) {
    struct Case {
        const char* what;
        std::string page;
        std::string charset;
    };
    const Case cases[] = {
        {"XML declaration", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r/>", "UTF-8"},
        {"XML declaration after blanks, single quotes",
         "\r\n <?xml version='1.0' encoding = 'Shift_JIS'?><r/>", "Shift_JIS"},
        {"XML declaration without encoding", "<?xml version=\"1.0\"?><r/>", ""},
        {"byte-order mark", "\xEF\xBB\xBF<html><meta charset=Shift_JIS>", "UTF-8"},
        {"meta charset", "<html><head><meta charset=\"windows-1252\"></head>", "windows-1252"},
        {"meta http-equiv unquoted, as 2008 pages wrote it",
         "<html><head><META HTTP-EQUIV=content-type CONTENT=\"text/html; CHARSET=ISO-8859-1\">",
         "ISO-8859-1"},
        {"meta http-equiv quoted",
         "<html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=EUC-JP\">",
         "EUC-JP"},
        {"meta without a charset first", "<meta name=robots content=noarchive><meta charset=utf-8>",
         "utf-8"},
        {"charset outside a meta tag", "<html><body>charset=ISO-8859-1</body></html>", ""},
        {"meta beyond the first kilobyte",
         "<html><head>" + std::string(1100, ' ') + "<meta charset=Shift_JIS>", ""},
        {"none", "<html><head><title>x</title></head></html>", ""},
        {"empty", "", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(web::DeclaredCharset(c.page), c.charset) << c.what;
}

TEST(PageCharsetTest, EveryPageIsReportedInUtf8) {
    struct Case {
        const char* what;
        std::string page;
        std::string trace;
    };
    const Case cases[] = {
        {"a page without a declaration is UTF-8: a literal and a reference alike",
         "<t>Caf\xC3\xA9 caf&eacute;</t>", "D+|S:t|T:Caf\xC3\xA9 caf\xC3\xA9|E:t|D-"},
        {"a declared UTF-8 page is read as it is",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><t a=\"\xC3\xA9\">\xE3\x81\x82</t>",
         "D+|T:<?xml version=\"1.0\" encoding=\"UTF-8\"?>|S:t[a=\xC3\xA9]|T:\xE3\x81\x82|E:t|D-"},
        {"ISO-8859-1: its bytes and its references give the same characters",
         "<meta charset=ISO-8859-1><t v=\"\xE9\">Caf\xE9 caf&eacute; \x80</t>",
         "D+|S:meta[charset=ISO-8859-1]|S:t[v=\xC3\xA9]|T:Caf\xC3\xA9 caf\xC3\xA9 "
         "\xE2\x82\xAC|E:t|D-"},
        {"Shift_JIS with a reference above 255",
         "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><n>\x83\x8D\x83\x7B &#12354;</n>",
         "D+|T:<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>|S:n|T:\xE3\x83\xAD\xE3\x83\x9C "
         "\xE3\x81\x82|E:n|D-"},
        {"a charset nobody knows is read as UTF-8", "<meta charset=x-unknown><t>\xC3\xA9</t>",
         "D+|S:meta[charset=x-unknown]|S:t|T:\xC3\xA9|E:t|D-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ParseCopy(c.page, true).trace, c.trace);
        EXPECT_EQ(ParseCopy(c.page, false).trace, c.trace) << "without a NUL";
    }
}

TEST(PageCharsetTest, ACommentOfAConvertedPageIsReportedToo) {
    const Parsed parsed =
        ParseCopy("<meta charset=Shift_JIS><!-- \x82\xA0 --><b>x</b><!-- open", false);
    EXPECT_EQ(parsed.trace, "D+|S:meta[charset=Shift_JIS]|C: \xE3\x81\x82 |S:b|T:x|E:b|C: open|D-");
}

}  // namespace
}  // namespace zem::test
