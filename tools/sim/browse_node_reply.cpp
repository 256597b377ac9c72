#include "browse_node_reply.h"

#include "markup_writer.h"
#include "number_text.h"
#include "service_reply.h"

namespace zem::sim {
namespace {

constexpr std::string_view kRoot = "BrowseNodeLookupResponse";

void WriteNodeStart(MarkupWriter& writer, const NodeRef& node) {
    writer.Open("BrowseNode");
    writer.Element("BrowseNodeId", std::to_string(node.id));
    writer.Element("Name", node.name);
}

// Ancestors nest as the service writes them: each ancestor holds its own ancestors.
void WriteAncestors(MarkupWriter& writer, const std::vector<NodeRef>& ancestors, std::size_t from) {
    if (from >= ancestors.size()) return;
    writer.Open("Ancestors");
    WriteNodeStart(writer, ancestors[from]);
    WriteAncestors(writer, ancestors, from + 1);
    writer.Close();
    writer.Close();
}

}  // namespace

std::string BrowseNodeLookupReply(const BrowseTree& tree, const web::StoreInfo& store,
                                  const ProxyRequest& request) {
    const std::string* idText = FindParam(request.params, "BrowseNodeId");
    if (!idText || idText->empty())
        return ErrorReply(kRoot, "BrowseNodes", "BrowseNodeLookupRequest", request,
                          {"AWS.MissingParameters",
                           "Your request is missing required parameters. Required parameters "
                           "include BrowseNodeId."});
    const std::optional<std::int64_t> id = ParseCount(*idText);
    const std::optional<BrowseNodeView> view = id ? tree.Find(store.siteFlag, *id) : std::nullopt;
    if (!view)
        return ErrorReply(kRoot, "BrowseNodes", "BrowseNodeLookupRequest", request,
                          {"AWS.InvalidParameterValue",
                           *idText + " is not a valid value for BrowseNodeId. Please change "
                                     "this value and retry your request."});

    MarkupWriter writer;
    OpenServiceReply(writer, kRoot, request);
    writer.Open("BrowseNodes");
    writer.Open("Request");
    writer.Element("IsValid", "True");
    WriteRequestEcho(writer, "BrowseNodeLookupRequest", request);
    writer.Close();
    WriteNodeStart(writer, view->node);
    if (!view->children.empty()) {
        writer.Open("Children");
        for (const NodeRef& child : view->children) {
            WriteNodeStart(writer, child);
            writer.Close();
        }
        writer.Close();
    }
    WriteAncestors(writer, view->ancestors, 0);
    return writer.Finish();
}

}  // namespace zem::sim
