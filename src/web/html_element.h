#pragma once
// The tag a markup parse is reporting: its name as written and its attributes. The parser
// reuses one element for every tag of a parse; a handler reads it during the event only.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zem::HTML {

class Attribute {
  public:
    static constexpr std::size_t kMaxText = 1024;  // names and values are cut here

    Attribute() = default;
    Attribute(std::string_view name, std::string_view value) { SetName(name), SetValue(value); }

    std::string_view Name() const { return name_; }
    std::string_view Value() const { return value_; }  // NUL-terminated
    void SetName(std::string_view name) { name_.assign(name.substr(0, kMaxText)); }
    // Stores a value as written in a tag: trimmed, TAB / CR LF / CR as blanks, character
    // references decoded. Defined with the tokenizer.
    void SetValue(std::string_view written);
    // Stores a value as it is.
    void SetRawValue(std::string_view value) { value_.assign(value.substr(0, kMaxText)); }

  private:
    std::string name_;
    std::string value_;
};

// Attributes in ascending name order; attributes with equal names are all kept, in the order
// they were written. Positions are 1-based.
class AttributeList {
  public:
    std::string_view GetValue(std::string_view name) const;   // empty when there is none
    std::size_t Find(std::string_view name) const;            // 0 when there is none
    std::string_view GetValueAt(std::size_t position) const;  // empty beyond Count()
    std::string_view GetNameAt(std::size_t position) const;   // empty beyond Count()
    std::size_t Count() const { return order_.size(); }

    // Keeps the attributes' buffers for the next tag.
    void Clear() { order_.clear(); }
    void Add(Attribute attribute);

  private:
    friend class Parser;
    // The parser fills slots in the order written and sorts once the tag is read.
    Attribute& Append();
    void Sort();
    const Attribute& At(std::size_t index) const { return slots_[order_[index]]; }

    std::vector<Attribute> slots_;      // in the order written; the first Count() are in use
    std::vector<std::uint32_t> order_;  // slots in ascending name order
};

class Element {
  public:
    static constexpr std::size_t kMaxName = 80;  // longer names are cut

    std::string_view GetName() const { return {text_ ? text_ : buffer_.data(), size_}; }
    void SetName(std::string_view name) {
        size_ = std::min(name.size(), kMaxName);
        std::copy_n(name.data(), size_, buffer_.data());
        text_ = nullptr;
    }
    void Clear() {
        size_ = 0;
        text_ = nullptr;
        ATTRIBUTES.Clear();
    }

    AttributeList ATTRIBUTES;

  private:
    friend class Parser;
    // The parser names the element in place in the text it reads, which outlives the event.
    void SetNameInText(std::string_view name) {
        size_ = std::min(name.size(), kMaxName);
        text_ = name.data();
    }

    std::array<char, kMaxName> buffer_{};
    const char* text_ = nullptr;  // the name in the parsed text, or null for buffer_
    std::size_t size_ = 0;
};

}  // namespace zem::HTML
