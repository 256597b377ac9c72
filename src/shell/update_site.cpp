#include "shell/update_site.h"

#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/dictionary.h"
#include "platform/runtime/event_codes.h"
#include "platform/runtime/requests.h"
#include "platform/runtime/trailing_blanks.h"
#include "platform/ui/help/help.h"
#include "platform/ui/window/field_binding.h"
#include "shell/ad_template.h"
#include "shell/form_manager.h"
#include "shell/japanese_mode.h"
#include "shell/routers.h"
#include "web/stores.h"

namespace zem::shell {
namespace {

namespace ev = runtime::event;
using data::TableId;

struct Variant {
    std::string_view resource;
    std::string_view procedure;
    int charset;
};

// The J variant opens the A variant's layout: the two windows are the same but for the
// character set.
constexpr Variant kVariantA{"zembrola$zembr036", "UpdateSiteA", 0};
constexpr Variant kVariantJ{"zembrola$zembr036", "UpdateSiteJ", kShiftJisCharset};

constexpr std::string_view kWindowName = "P1$QUICKWINDOW";
constexpr std::string_view kHelpFile = "zembrola.chm";
constexpr std::string_view kHelpTopic = "UpdateSite.htm";

// The sample item the previews show.
constexpr std::string_view kSampleKeyword = "Epson Stylus";
constexpr double kSampleAmazonPrice = 123.00;
constexpr double kSampleListPrice = 149.90;

// Preview lines and the display domain are CSTRING(256) values; the keyword CSTRING(128).
constexpr std::size_t kLineLength = 255;
constexpr std::size_t kKeywordLength = 127;

std::string_view CStringText(const char* field, std::size_t size) {
    return {field, strnlen(field, size)};
}

// Cut where a character of the window's code page ends.
std::string Cut(std::string text, std::size_t length, runtime::CodePage codePage) {
    text.resize(runtime::FittingLength(text, length, codePage));
    return text;
}

// What the form shows beside the record: the store's templates expanded for the sample item.
struct SitePreview {
    explicit SitePreview(runtime::CodePage windowCodePage) : codePage(windowCodePage) {}

    runtime::CodePage codePage;  // the window's: the currency sign is written in it
    std::string keyword = Cut(std::string(kSampleKeyword), kKeywordLength, codePage);
    double amazonPrice = kSampleAmazonPrice;
    double listPrice = kSampleListPrice;
    std::int32_t siteFlag = 0;  // chooses the currency sign
    std::string displayDomain;
    std::string phrases;  // up to kMaxExpandedText characters
    std::string headline;
    std::string line1;
    std::string line2;

    void SetStore(std::int32_t site) {
        siteFlag = site;
        const web::StoreInfo* store = web::StoreBySite(site);
        displayDomain =
            store ? Cut("www." + std::string(store->domain), kLineLength, codePage) : "";
    }

    void Build(const data::SitesRecord& record) {
        phrases = Expand(CStringText(record.ACTIONS, sizeof record.ACTIONS));
        headline = Cut(Expand(CStringText(record.ADWORDS[0], sizeof record.ADWORDS[0])),
                       kLineLength, codePage);
        line1 = Cut(Expand(CStringText(record.ADWORDS[1], sizeof record.ADWORDS[1])), kLineLength,
                    codePage);
        line2 = Cut(Expand(CStringText(record.ADWORDS[2], sizeof record.ADWORDS[2])), kLineLength,
                    codePage);
    }

    std::string Expand(std::string_view text) const {
        return ExpandAdTemplateFor(siteFlag, text, keyword, listPrice, amazonPrice, codePage);
    }
};

// The fields the form edits, and which of them Ctrl+H brings back.
struct EditedField {
    std::string_view use;
    bool history;
};
constexpr EditedField kEditedFields[] = {
    {"?SIT:NAME", true},       {"?SIT:ACTIONS", true},    {"?SIT:ADWORDS_1", false},
    {"?SIT:ADWORDS_2", false}, {"?SIT:ADWORDS_3", false}, {"?SIT:AFFILATEID", true},
    {"?SIT:ISACTIVE", true},
};

class SiteFormManager final : public FormManager {
  public:
    explicit SiteFormManager(const Variant& variant)
        : FormManager(TableId::Sites),
          variant_(variant),
          preview_(CodePageOfCharset(variant.charset)) {}

    ui::Level Init() override {
        ui::ErrorManager::Global().SetProcedureName(variant_.procedure);
        if (const ui::Level r = FormManager::Init(); r != ui::Benign) return r;
        if (!data::HasDictionary()) return ui::Fatal;
        data::SitesRecord& site = data::Dict().SIT;
        // What the caller's buffer held, put back unless the form completes.
        before_ = site;
        if (data::Relate(TableId::Sites).Open() != ui::Benign) return ui::Fatal;
        sitesOpen_ = true;
        std::string error;
        if (!window_.Load(variant_.resource, kWindowName, &error)) {
            ui::Message(error, "Error", ui::Icon::Hand);
            return ui::Fatal;
        }
        window_.ChangeProps([&](ui::WindowProps& p) { p.charset = variant_.charset; });
        OkControl = window_.Feq("?OK");
        CancelControl = window_.Feq("?CANCEL");
        HelpControl = window_.Feq("?HELP");
        BindFields(site);
        if (!window_.Open(variant_.procedure)) return ui::Fatal;
        Opened = true;
        ApplyDefaultIcon();
        for (const EditedField& field : kEditedFields) {
            const int feq = window_.Feq(field.use);
            if (field.history) AddHistoryField(feq);
            // A viewed row is shown, not edited: nothing typed could reach the caller's buffer.
            if (ViewOnly()) window_.SetReadOnly(feq, true);
        }
        RestorePlacement(variant_.procedure);
        help_.Init(kHelpFile);
        help_.SetTopic(kHelpTopic);
        return ui::Benign;
    }

    void Ask() override {
        window_.SetCaption(Caption());
        FormManager::Ask();
    }

    ui::Level TakeWindowEvent() override {
        const ui::Level result = FormManager::TakeWindowEvent();
        const runtime::EventCode code = Event().code;
        if (code == ev::kOpenWindow || code == ev::kTimer) {
            window_.Update();
            data::SitesRecord& site = data::Dict().SIT;
            if (code == ev::kOpenWindow) preview_.SetStore(site.ID);
            preview_.Build(site);
            ShowFields();
        }
        return result;
    }

    ui::Level TakeAccepted() override { return FormManager::TakeAccepted(); }

    ui::Level Kill() override {
        if (const ui::Level r = FormManager::Kill(); r != ui::Benign) return r;
        if (before_ && Response != runtime::response::kCompleted) data::Dict().SIT = *before_;
        if (sitesOpen_) {
            data::Relate(TableId::Sites).Close();
            sitesOpen_ = false;
        }
        EndProcedure(variant_.procedure);
        return ui::Benign;
    }

  private:
    void BindFields(data::SitesRecord& site) {
        const ui::Binding edited[] = {
            ui::StringField(site.NAME, sizeof site.NAME),
            ui::CStringField(site.ACTIONS, sizeof site.ACTIONS),
            ui::CStringField(site.ADWORDS[0], sizeof site.ADWORDS[0]),
            ui::CStringField(site.ADWORDS[1], sizeof site.ADWORDS[1]),
            ui::CStringField(site.ADWORDS[2], sizeof site.ADWORDS[2]),
            ui::CStringField(site.AFFILATEID, sizeof site.AFFILATEID),
            ui::SwitchField(&site.ISACTIVE),
        };
        static_assert(std::size(edited) == std::size(kEditedFields));
        for (std::size_t i = 0; i < std::size(edited); ++i) {
            const int feq = window_.Feq(kEditedFields[i].use);
            window_.Bind(feq, edited[i]);
            edited_.emplace_back(feq, edited[i]);
        }
        const std::pair<std::string_view, std::string*> previews[] = {
            {"?SAMPLEKEYWORDS", &preview_.phrases}, {"?ADHEAD", &preview_.headline},
            {"?ADBODY1", &preview_.line1},          {"?ADBODY2", &preview_.line2},
            {"?ADFOOTER", &preview_.displayDomain},
        };
        for (const auto& [use, value] : previews) {
            const int feq = window_.Feq(use);
            window_.Bind(feq, ui::VariableField(value));
            previews_.push_back(feq);
        }
    }

    // Shows the previews, and an edited field only where storing it changed more than trailing
    // blanks (a text cut to its field): showing a blank-padded name back while the user types
    // would drop the blank just typed at its end.
    void ShowFields() {
        for (int feq : previews_) window_.DisplayFields(feq);
        for (const auto& [feq, binding] : edited_) {
            const std::string shown = window_.Screen(feq);
            const std::string stored = binding.get();
            if (stored != shown && stored != runtime::WithoutTrailingBlanks(shown))
                window_.DisplayFields(feq);
        }
    }

    std::string Caption() const {
        switch (Request) {
            case runtime::request::kView:
                return std::string(kViewCaption);
            case runtime::request::kInsert:
                return std::string(kInsertCaption) + "  (New)";
            case runtime::request::kChange: {
                // The whole field, its trailing blanks included.
                const data::SitesRecord& site = data::Dict().SIT;
                std::string name(site.NAME, sizeof site.NAME);
                for (char& c : name)
                    if (c == '\0') c = ' ';
                return std::string(kChangeCaption) + "  (" + name + ")";
            }
            default:
                return window_.Props().caption;
        }
    }

    const Variant& variant_;
    SitePreview preview_;
    std::vector<std::pair<int, ui::Binding>> edited_;
    std::vector<int> previews_;
    std::optional<data::SitesRecord> before_;
    bool sitesOpen_ = false;
};

void RunSiteForm(const Variant& variant) {
    SiteFormManager form(variant);
    form.Run();
}

}  // namespace

void UpdateSite() {
    Route(UpdateSiteA, UpdateSiteJ);
}

void UpdateSiteA() {
    RunSiteForm(kVariantA);
}

void UpdateSiteJ() {
    RunSiteForm(kVariantJ);
}

}  // namespace zem::shell
