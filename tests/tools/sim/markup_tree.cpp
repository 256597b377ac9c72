#include "markup_tree.h"

#include <cstdlib>

namespace zem::test {
namespace {

std::string Decode(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        const auto semicolon = text.find(';', i);
        const std::string_view entity = text.substr(i + 1, semicolon - i - 1);
        if (entity == "amp")
            out += '&';
        else if (entity == "lt")
            out += '<';
        else if (entity == "gt")
            out += '>';
        else if (entity == "quot")
            out += '"';
        else if (entity == "apos")
            out += '\'';
        else if (!entity.empty() && entity[0] == '#')
            out +=
                static_cast<char>(std::strtol(std::string(entity.substr(1)).c_str(), nullptr, 10));
        else
            out += "&" + std::string(entity) + ";";
        i = semicolon;
    }
    return out;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

const MarkupNode* MarkupNode::Child(std::string_view childName) const {
    for (const auto& child : children)
        if (child->name == childName) return child.get();
    return nullptr;
}

std::vector<const MarkupNode*> MarkupNode::Children(std::string_view childName) const {
    std::vector<const MarkupNode*> found;
    for (const auto& child : children)
        if (child->name == childName) found.push_back(child.get());
    return found;
}

std::vector<const MarkupNode*> MarkupNode::Elements() const {
    std::vector<const MarkupNode*> found;
    for (const auto& child : children)
        if (!child->name.empty()) found.push_back(child.get());
    return found;
}

std::vector<const MarkupNode*> MarkupNode::Descendants(std::string_view elementName) const {
    std::vector<const MarkupNode*> found;
    for (const auto& child : children) {
        if (child->name == elementName) found.push_back(child.get());
        for (const MarkupNode* below : child->Descendants(elementName)) found.push_back(below);
    }
    return found;
}

std::string MarkupNode::Text() const {
    std::string out = text;
    for (const auto& child : children) out += child->Text();
    return out;
}

std::string MarkupNode::Attribute(std::string_view attributeName) const {
    const auto it = attributes.find(std::string(attributeName));
    return it == attributes.end() ? std::string() : it->second;
}

std::string MarkupNode::ChildText(std::string_view childName) const {
    const MarkupNode* child = Child(childName);
    return child ? child->Text() : std::string();
}

MarkupDocument ParseMarkup(std::string_view text, const std::set<std::string>& voidElements) {
    MarkupDocument document;
    document.root = std::make_unique<MarkupNode>();
    std::vector<MarkupNode*> open{document.root.get()};
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] != '<') {
            const auto next = text.find('<', at);
            auto node = std::make_unique<MarkupNode>();
            node->text = Decode(text.substr(at, next - at));
            open.back()->children.push_back(std::move(node));
            at = next == std::string_view::npos ? text.size() : next;
            continue;
        }
        const auto close = text.find('>', at);
        if (close == std::string_view::npos) {
            document.error = "unterminated tag at " + std::to_string(at);
            return document;
        }
        std::string_view tag = text.substr(at + 1, close - at - 1);
        at = close + 1;
        if (!tag.empty() && tag[0] == '?') continue;
        if (!tag.empty() && tag[0] == '/') {
            const std::string name(tag.substr(1));
            if (open.size() < 2 || open.back()->name != name) {
                document.error = "</" + name + "> closes <" + open.back()->name + ">";
                return document;
            }
            open.pop_back();
            continue;
        }
        const bool selfClosing = !tag.empty() && tag.back() == '/';
        if (selfClosing) tag.remove_suffix(1);
        auto node = std::make_unique<MarkupNode>();
        std::size_t i = 0;
        while (i < tag.size() && !IsSpace(tag[i])) node->name += tag[i++];
        while (i < tag.size()) {
            while (i < tag.size() && IsSpace(tag[i])) ++i;
            const auto eq = tag.find('=', i);
            if (eq == std::string_view::npos || eq + 1 >= tag.size() || tag[eq + 1] != '"') break;
            const auto endQuote = tag.find('"', eq + 2);
            node->attributes[std::string(tag.substr(i, eq - i))] =
                Decode(tag.substr(eq + 2, endQuote - eq - 2));
            i = endQuote + 1;
        }
        MarkupNode* raw = node.get();
        open.back()->children.push_back(std::move(node));
        if (!selfClosing && !voidElements.contains(raw->name)) open.push_back(raw);
    }
    if (open.size() > 1) document.error = "<" + open.back()->name + "> never closed";
    return document;
}

}  // namespace zem::test
