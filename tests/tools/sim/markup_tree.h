#pragma once
// A minimal markup reader for checking the simulator's replies: builds the element tree and
// refuses text whose tags don't balance. Entities are decoded; <?...?> is skipped.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zem::test {

struct MarkupNode {
    std::string name;  // empty for a text node
    std::map<std::string, std::string> attributes;
    std::string text;  // of a text node
    std::vector<std::unique_ptr<MarkupNode>> children;

    // The first child element of that name, or nullptr.
    const MarkupNode* Child(std::string_view childName) const;
    std::vector<const MarkupNode*> Children(std::string_view childName) const;
    std::vector<const MarkupNode*> Elements() const;  // child elements in order
    // Every element of that name below this one, in document order.
    std::vector<const MarkupNode*> Descendants(std::string_view elementName) const;
    // The text of all text nodes below, concatenated.
    std::string Text() const;
    std::string Attribute(std::string_view attributeName) const;
    // The text of the child element of that name; empty when missing.
    std::string ChildText(std::string_view childName) const;
};

struct MarkupDocument {
    std::unique_ptr<MarkupNode> root;  // a node without name holding the top-level nodes
    std::string error;                 // empty when the text was well-formed
};

MarkupDocument ParseMarkup(std::string_view text, const std::set<std::string>& voidElements = {});

}  // namespace zem::test
