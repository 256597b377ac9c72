#include "service_reply.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "ascii.h"
#include "rng.h"

namespace zem::sim {
namespace {

bool IsPlainName(std::string_view name) {
    if (name.empty() || name.size() > 64) return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return IsAlnum(static_cast<unsigned char>(c)); });
}

bool IsCommonParam(std::string_view name) {
    return name == "Service" || name == "AWSAccessKeyId" || name == "Operation" ||
           name == "Version" || name == "SubscriptionId" || name == "AssociateTag";
}

std::uint64_t RequestHash(const ProxyRequest& request) {
    Hasher hasher;
    hasher.Add(request.host).Add(request.path);
    for (const auto& [key, value] : request.params) hasher.Add(key).Add(value);
    return hasher.Value();
}

std::string RequestId(std::uint64_t hash) {
    Rng rng(hash);
    const std::uint64_t a = rng.Next(), b = rng.Next();
    char text[40];
    std::snprintf(text, sizeof text, "%08X-%04X-%04X-%04X-%012llX", static_cast<unsigned>(a >> 32),
                  static_cast<unsigned>((a >> 16) & 0xFFFF), static_cast<unsigned>(a & 0xFFFF),
                  static_cast<unsigned>(b >> 48),
                  static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFull));
    return text;
}

}  // namespace

void OpenServiceReply(MarkupWriter& writer, std::string_view rootName,
                      const ProxyRequest& request) {
    const std::uint64_t hash = RequestHash(request);
    writer.Raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    writer.Open(rootName, {{"xmlns", kServiceNamespace}});
    writer.Open("OperationRequest");
    writer.Open("HTTPHeaders");
    if (!request.userAgent.empty()) {
        writer.Open("Header", {{"Name", "UserAgent"}, {"Value", request.userAgent}});
        writer.Close();
    }
    writer.Close();
    writer.Element("RequestId", RequestId(hash));
    writer.Open("Arguments");
    for (const auto& [key, value] : request.params) {
        writer.Open("Argument", {{"Name", key}, {"Value", value}});
        writer.Close();
    }
    writer.Close();
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "0.%010llu",
                  static_cast<unsigned long long>(Rng(hash ^ 0x5A5A).Below(10'000'000'000ull)));
    writer.Element("RequestProcessingTime", seconds);
    writer.Close();
}

void WriteRequestEcho(MarkupWriter& writer, std::string_view name, const ProxyRequest& request) {
    std::vector<const std::pair<std::string, std::string>*> echoed;
    for (const auto& param : request.params)
        if (!IsCommonParam(param.first) && IsPlainName(param.first)) echoed.push_back(&param);
    std::stable_sort(echoed.begin(), echoed.end(),
                     [](const auto* a, const auto* b) { return a->first < b->first; });
    writer.Open(name);
    for (const auto* param : echoed) writer.Element(param->first, param->second);
    writer.Close();
}

void WriteErrors(MarkupWriter& writer, const ServiceError& error) {
    writer.Open("Errors");
    writer.Open("Error");
    writer.Element("Code", error.code);
    writer.Element("Message", error.message);
    writer.Close();
    writer.Close();
}

std::string ErrorReply(std::string_view rootName, std::string_view container,
                       std::string_view echoName, const ProxyRequest& request,
                       const ServiceError& error) {
    MarkupWriter writer;
    OpenServiceReply(writer, rootName, request);
    writer.Open(container);
    writer.Open("Request");
    writer.Element("IsValid", "False");
    WriteRequestEcho(writer, echoName, request);
    WriteErrors(writer, error);
    return writer.Finish();
}

std::string BadOperationReply(const ProxyRequest& request) {
    const std::string* service = FindParam(request.params, "Service");
    const std::string* operation = FindParam(request.params, "Operation");
    const std::string name =
        operation && IsPlainName(*operation) ? *operation : std::string("Operation");
    ServiceError error{"AWS.InvalidOperationParameter",
                       "The Operation parameter is invalid. Please modify the Operation "
                       "parameter and retry. Valid values for the Operation parameter include "
                       "ItemSearch, BrowseNodeLookup."};
    if (!service || *service != "AWSECommerceService")
        error = {"AWS.InvalidServiceParameter",
                 "The Service parameter is invalid. Please modify the Service parameter and "
                 "retry. Valid values for the Service parameter include AWSECommerceService."};
    return ErrorReply(name + "Response", "Items", name + "Request", request, error);
}

std::string ThrottledReply(const ProxyRequest& request) {
    const std::string* operation = FindParam(request.params, "Operation");
    const std::string name =
        operation && IsPlainName(*operation) ? *operation : std::string("Operation");
    const std::string* key = FindParam(request.params, "AWSAccessKeyId");
    MarkupWriter writer;
    writer.Raw("<?xml version=\"1.0\"?>");
    writer.Open(name + "ErrorResponse", {{"xmlns", kServiceNamespace}});
    writer.Open("Error");
    writer.Element("Code", "RequestThrottled");
    writer.Element("Message", "AWS Access Key ID: " + (key ? *key : std::string()) +
                                  ". You are submitting requests too quickly. Please retry "
                                  "your requests at a slower rate.");
    writer.Close();
    writer.Element("RequestID", RequestId(RequestHash(request)));
    return writer.Finish();
}

}  // namespace zem::sim
