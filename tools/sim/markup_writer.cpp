#include "markup_writer.h"

namespace zem::sim {
namespace {

// Length of the valid UTF-8 sequence at the start of `s`, or 0.
std::size_t Utf8SequenceLength(std::string_view s) {
    const auto lead = static_cast<unsigned char>(s[0]);
    std::size_t length = 0;
    unsigned char min2 = 0x80, max2 = 0xBF;  // allowed range of the second byte
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) min2 = 0xA0;  // overlong
        if (lead == 0xED) max2 = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) min2 = 0x90;
        if (lead == 0xF4) max2 = 0x8F;
    } else {
        return 0;
    }
    if (s.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (i == 1 ? (c < min2 || c > max2) : (c < 0x80 || c > 0xBF)) return 0;
    }
    return length;
}

void AppendEscaped(std::string& out, std::string_view text, bool inAttribute) {
    for (char c : ToUtf8Text(text)) {
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
                out += inAttribute ? "&quot;" : "\"";
                break;
            default:
                out += c;
        }
    }
}

}  // namespace

std::string ToUtf8Text(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        const auto c = static_cast<unsigned char>(bytes[0]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            bytes.remove_prefix(1);
            continue;
        }
        const std::size_t length = Utf8SequenceLength(bytes);
        if (length == 0) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
            bytes.remove_prefix(1);
        } else {
            out.append(bytes.substr(0, length));
            bytes.remove_prefix(length);
        }
    }
    return out;
}

void MarkupWriter::StartTag(std::string_view name, std::initializer_list<Attribute> attributes) {
    out_ += '<';
    out_ += name;
    for (const Attribute& attribute : attributes) {
        out_ += ' ';
        out_ += attribute.name;
        out_ += "=\"";
        AppendEscaped(out_, attribute.value, true);
        out_ += '"';
    }
}

void MarkupWriter::Open(std::string_view name, std::initializer_list<Attribute> attributes) {
    StartTag(name, attributes);
    out_ += '>';
    open_.emplace_back(name);
}

void MarkupWriter::Void(std::string_view name, std::initializer_list<Attribute> attributes) {
    StartTag(name, attributes);
    out_ += '>';
}

void MarkupWriter::Close() {
    if (open_.empty()) return;
    out_ += "</";
    out_ += open_.back();
    out_ += '>';
    open_.pop_back();
}

void MarkupWriter::Text(std::string_view text) {
    AppendEscaped(out_, text, false);
}

void MarkupWriter::Element(std::string_view name, std::string_view text) {
    Open(name);
    Text(text);
    Close();
}

std::string MarkupWriter::Finish() {
    while (!open_.empty()) Close();
    return std::move(out_);
}

}  // namespace zem::sim
