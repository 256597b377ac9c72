#include "research/tree/update_node.h"

#include <optional>
#include <string>
#include <string_view>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/runtime/requests.h"
#include "platform/ui/window/display.h"
#include "platform/ui/window/field_binding.h"
#include "platform/ui/help/help.h"
#include "shell/form_manager.h"
#include "shell/japanese_mode.h"

namespace zem::research {
namespace {

using data::TableId;

struct Variant {
    std::string_view procedure;
    int charset;
};

// A Japanese store's node names are Shift-JIS: the J form shows and takes them as such.
constexpr Variant kVariantA{"UpdateNodeA", 0};
constexpr Variant kVariantJ{"UpdateNodeJ", shell::kShiftJisCharset};

constexpr std::string_view kResource = "zembrola$zembr042";
constexpr std::string_view kWindowName = "P1$QUICKWINDOW";
constexpr std::string_view kHelpFile = "zembrola.chm";
constexpr std::string_view kHelpTopic = "UpdateNode.htm";

// The name entry's tool tip, in code page 1251.
constexpr std::string_view kNameTip =
    "\xCD\xE0\xE8\xEC\xE5\xED\xEE\xE2\xE0\xED\xE8\xE5";  // Наименование

constexpr std::string_view kInsertRefusedCaption = "Invalid Request";
constexpr std::string_view kInsertRefused =
    "Nodes come from the catalog update; this form can't add one.";

class NodeForm final : public shell::FormManager {
  public:
    explicit NodeForm(const Variant& variant) : FormManager(TableId::Nodes), variant_(variant) {}

    ui::Level Init() override {
        ui::ErrorManager::Global().SetProcedureName(variant_.procedure);
        if (const ui::Level r = FormManager::Init(); r != ui::Benign) return r;
        if (!data::HasDictionary()) return ui::Fatal;
        before_ = data::Dict().NOD;
        if (data::Relate(TableId::Nodes).Open() != ui::Benign) return ui::Fatal;
        nodesOpen_ = true;
        if (Request == runtime::request::kInsert) {
            ui::Message(kInsertRefused, kInsertRefusedCaption, ui::Icon::Exclamation);
            Response = runtime::response::kCancelled;
            return ui::Notify;
        }
        if (Request == runtime::request::kDelete) {
            // Deleting needs no window: the confirmation is the whole dialogue.
            Response = data::Relate(TableId::Nodes).Delete(true) == ui::Benign
                           ? runtime::response::kCompleted
                           : runtime::response::kCancelled;
            return ui::Notify;
        }

        std::string error;
        if (!window_.Load(kResource, kWindowName, &error)) {
            ui::Message(error, "Error", ui::Icon::Hand);
            return ui::Fatal;
        }
        window_.ChangeProps([&](ui::WindowProps& p) { p.charset = variant_.charset; });
        OkControl = window_.Feq("?OK");
        CancelControl = window_.Feq("?CANCEL");
        HelpControl = window_.Feq("?HELP");
        name_ = window_.Feq("?NOD:NAME");
        window_.Change(name_, [](ui::Control& c) {
            c.tip = kNameTip;
            c.message = kNameTip;
            c.tipCharset = ui::kCyrillicCharset;
        });
        data::NodesRecord& nod = data::Dict().NOD;
        window_.Bind(name_, ui::CStringField(nod.NAME, sizeof nod.NAME));
        if (!window_.Open(variant_.procedure)) return ui::Fatal;
        Opened = true;
        ApplyDefaultIcon();
        AddHistoryField(name_);
        // A viewed row is shown, not edited.
        if (ViewOnly()) window_.SetReadOnly(name_, true);
        RestorePlacement(variant_.procedure);
        help_.Init(kHelpFile);
        help_.SetTopic(kHelpTopic);
        return ui::Benign;
    }

    void Ask() override {
        window_.SetCaption(Caption());
        FormManager::Ask();
    }

    ui::Level TakeAccepted() override { return FormManager::TakeAccepted(); }

    ui::Level Kill() override {
        if (const ui::Level r = FormManager::Kill(); r != ui::Benign) return r;
        // What was typed reaches the caller's buffer only with a completed change.
        if (before_ && Response != runtime::response::kCompleted) data::Dict().NOD = *before_;
        if (nodesOpen_) {
            data::Relate(TableId::Nodes).Close();
            nodesOpen_ = false;
        }
        EndProcedure(variant_.procedure);
        return ui::Benign;
    }

  private:
    std::string Caption() const {
        switch (Request) {
            case runtime::request::kView:
                return std::string(shell::kViewCaption);
            case runtime::request::kChange:
                return std::string(shell::kChangeCaption) + "  (" +
                       std::string(data::CStringOf(data::Dict().NOD.NAME)) + ")";
            default:
                return window_.Props().caption;
        }
    }

    const Variant& variant_;
    std::optional<data::NodesRecord> before_;
    int name_ = 0;
    bool nodesOpen_ = false;
};

void RunNodeForm(const Variant& variant) {
    NodeForm form(variant);
    form.Run();
}

}  // namespace

void UpdateNodeA() {
    RunNodeForm(kVariantA);
}

void UpdateNodeJ() {
    RunNodeForm(kVariantJ);
}

}  // namespace zem::research
