#pragma once
// A handler that writes every event as one entry of a trace: "D+" and "D-" for the document,
// "S:name[a=1,b=]" and "E:name" for tags, "T:text" and "C:comment". It can stop the parse at
// the first event whose entry equals stopOn, and checks what every event must carry.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "web/html_parser.h"

namespace zem::test {

class RecordingHandler : public HTML::EventHandler {
  public:
    std::vector<std::string> events;
    std::string stopOn;
    std::uint32_t appData = 0;

    std::string Trace() const {
        std::string trace;
        for (const std::string& e : events) trace += (trace.empty() ? "" : "|") + e;
        return trace;
    }

    void OnStartDocument(std::uint32_t data, std::uint8_t& stop) override {
        Record("D+", data, stop);
    }
    void OnStartElement(const HTML::Element& element, std::uint32_t data,
                        std::uint8_t& stop) override {
        Record("S:" + Describe(element), data, stop);
    }
    void OnEndElement(const HTML::Element& element, std::uint32_t data,
                      std::uint8_t& stop) override {
        Record("E:" + Describe(element), data, stop);
    }
    void OnCharacters(std::string_view text, std::uint32_t data, std::uint8_t& stop) override {
        EXPECT_EQ(text.data()[text.size()], '\0') << "texts are NUL-terminated";
        Record("T:" + std::string(text), data, stop);
    }
    void OnComment(std::string_view text, std::uint32_t data, std::uint8_t& stop) override {
        EXPECT_EQ(text.data()[text.size()], '\0') << "comments are NUL-terminated";
        Record("C:" + std::string(text), data, stop);
    }
    void OnEndDocument(std::uint32_t data, std::uint8_t& stop) override {
        Record("D-", data, stop);
    }

    static std::string Describe(const HTML::Element& element) {
        std::string text(element.GetName());
        const HTML::AttributeList& list = element.ATTRIBUTES;
        if (list.Count() == 0) return text;
        text += '[';
        for (std::size_t i = 1; i <= list.Count(); ++i) {
            if (i > 1) text += ',';
            text += list.GetNameAt(i);
            text += '=';
            text += list.GetValueAt(i);
        }
        return text + ']';
    }

  private:
    void Record(std::string event, std::uint32_t data, std::uint8_t& stop) {
        EXPECT_EQ(stop, 0) << "the stop flag is cleared before " << event;
        EXPECT_EQ(data, appData) << "app data of " << event;
        if (event == stopOn) stop = 1;
        events.push_back(std::move(event));
    }
};

struct Parsed {
    std::string trace;
    std::uint32_t position = 0;
};

// Parses a copy of text held in a buffer of exactly its size, or with a NUL after it.
inline Parsed ParseCopy(std::string_view text, bool withNul, std::uint8_t mask = 127,
                        std::string_view stopOn = {}) {
    std::vector<char> buffer(text.begin(), text.end());
    if (withNul) buffer.push_back('\0');
    RecordingHandler handler;
    handler.stopOn = stopOn;
    handler.appData = 0x5EED1234u;
    HTML::Parser parser;
    parser.M_EVENTMASK = mask;
    parser.M_DWAPPDATA = handler.appData;
    parser.SetHandler(&handler);
    const std::uint32_t position = parser.Parse(buffer);
    return {handler.Trace(), position};
}

}  // namespace zem::test
