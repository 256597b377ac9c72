#pragma once
// What the markup parser reports, and to whom. Every event carries the parser's app data and a
// stop flag that the parser clears before the call; a handler that sets it ends the parse (the
// parser then reports OnEndDocument and answers).
#include <cstdint>
#include <string_view>

#include "web/html_element.h"

namespace zem::HTML {

class EventHandler {
  public:
    virtual ~EventHandler() = default;

    virtual void OnStartDocument(std::uint32_t /*appData*/, std::uint8_t& stop) { stop = 0; }
    virtual void OnStartElement(const Element& /*element*/, std::uint32_t /*appData*/,
                                std::uint8_t& /*stop*/) {}
    virtual void OnEndElement(const Element& /*element*/, std::uint32_t /*appData*/,
                              std::uint8_t& /*stop*/) {}
    // text is decoded and NUL-terminated (text.data()[text.size()] == 0).
    virtual void OnCharacters(std::string_view /*text*/, std::uint32_t /*appData*/,
                              std::uint8_t& /*stop*/) {}
    // Reported whatever the event mask.
    virtual void OnComment(std::string_view /*text*/, std::uint32_t /*appData*/,
                           std::uint8_t& stop) {
        stop = 0;
    }
    virtual void OnEndDocument(std::uint32_t /*appData*/, std::uint8_t& stop) { stop = 0; }

    // The two answers a handler gives when asked whether to go on; the parser never asks.
    virtual void Continue(std::uint8_t& flag) { flag = 0; }
    virtual void Stop(std::uint8_t& flag) { flag = 1; }
};

}  // namespace zem::HTML
