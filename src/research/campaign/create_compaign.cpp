#include "research/campaign/create_compaign.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/runtime/event_codes.h"
#include "platform/runtime/requests.h"
#include "platform/ui/window/busy.h"
#include "platform/ui/window/field_binding.h"
#include "platform/ui/help/help.h"
#include "platform/ui/errors/message_sink.h"
#include "platform/ui/window/window_manager.h"
#include "platform/win/clipboard.h"
#include "research/campaign/campaign_lines.h"
#include "shell/japanese_mode.h"
#include "shell/routers.h"
#include "shell/tagging.h"

namespace zem::research {
namespace {

namespace ev = runtime::event;
using data::TableId;

struct Variant {
    std::string_view resource;
    std::string_view procedure;
    int charset;
};

// Both variants open one layout: the windows are the same but for the character set.
constexpr Variant kVariantA{"zembrola$zembr035", "CreateCompaignA", 0};
constexpr Variant kVariantJ{"zembrola$zembr035", "CreateCompaignJ", shell::kShiftJisCharset};

constexpr std::string_view kWindowName = "P1$QUICKWINDOW";
constexpr std::string_view kHelpFile = "zembrola.chm";
constexpr std::string_view kHelpTopic = "CreateCompaign.htm";

// Long walks let the window catch up every this many tagged rows.
constexpr std::uint32_t kYieldEvery = 10;

class CampaignWindow final : public ui::WindowManager {
  public:
    explicit CampaignWindow(const Variant& variant)
        : variant_(variant), charset_(shell::CodePageOfCharset(variant.charset)) {}

    ui::Level Init() override {
        ui::ErrorManager::Global().SetProcedureName(variant_.procedure);
        if (const ui::Level r = WindowManager::Init(); r != ui::Benign) return r;
        if (!data::HasDictionary()) return ui::Fatal;
        // The walk loads Goods rows and tags into the caller's buffers: they get back what
        // they held when the window closes.
        goodsBefore_ = data::Dict().GOO;
        tagBefore_ = data::Dict().TF_;
        OpenTables();
        std::string error;
        if (!window_.Load(variant_.resource, kWindowName, &error)) {
            ui::Message(error, "Error", ui::Icon::Hand);
            return ui::Fatal;
        }
        window_.ChangeProps([&](ui::WindowProps& p) { p.charset = variant_.charset; });
        FindControls();
        CancelControl = cancel_;
        Bind();
        if (!window_.Open(variant_.procedure)) return ui::Fatal;
        Opened = true;
        ApplyDefaultIcon();
        RestorePlacement(variant_.procedure);
        help_.Init(kHelpFile);
        help_.SetTopic(kHelpTopic);
        return ui::Benign;
    }

    ui::Level TakeWindowEvent() override {
        const ui::Level result = WindowManager::TakeWindowEvent();
        if (Event().code == ev::kOpenWindow) {
            links_ = LinksOf(data::Dict().QUE.SITE);
            Rebuild();
        }
        return result;
    }

    ui::Level TakeAccepted() override {
        const int field = Field();
        if (field == name_ || field == exact_ || field == broad_ || field == phrase_) {
            Rebuild();
            return ui::Benign;
        }
        if (field == copyKeywords_ || field == copyTextAds_) {
            // What the text shows goes, edits the user made to it included.
            window_.Update(field == copyKeywords_ ? keywordsText_ : textAdsText_);
            win::SetClipboardText(field == copyKeywords_ ? keywords_ : textAds_, variant_.charset);
            return ui::Benign;
        }
        return WindowManager::TakeAccepted();
    }

    // The window took the entry's screen value into the name before it handed the event out.
    ui::Level TakeNewSelection() override {
        if (Field() == name_) Rebuild();
        return ui::Benign;
    }

    ui::Level Kill() override {
        if (const ui::Level r = WindowManager::Kill(); r != ui::Benign) return r;
        CloseTables();
        if (data::HasDictionary()) {
            if (goodsBefore_) data::Dict().GOO = *goodsBefore_;
            if (tagBefore_) data::Dict().TF_ = *tagBefore_;
        }
        EndProcedure(variant_.procedure);
        return ui::Benign;
    }

  private:
    void OpenTables() {
        data::Relate(TableId::Goods).Open();
        data::Relate(TableId::Sites).Open();
        data::Relate(TableId::TagFile_).Open();
        data::Access(TableId::Queries).Open();
        tablesOpen_ = true;
    }

    void CloseTables() {
        if (!tablesOpen_) return;
        data::Relate(TableId::Goods).Close();
        data::Relate(TableId::Sites).Close();
        data::Relate(TableId::TagFile_).Close();
        data::Access(TableId::Queries).Close();
        tablesOpen_ = false;
    }

    void FindControls() {
        name_ = window_.Feq("?COMPAGNNAME");
        exact_ = window_.Feq("?EXACT");
        broad_ = window_.Feq("?BROAD");
        phrase_ = window_.Feq("?PHRASE");
        keywordsText_ = window_.Feq("?FSTR");
        copyKeywords_ = window_.Feq("?COPY");
        textAdsText_ = window_.Feq("?SSTR");
        copyTextAds_ = window_.Feq("?COPY:2");
        cancel_ = window_.Feq("?CANCEL");
        HelpControl = window_.Feq("?HELP");
    }

    void Bind() {
        window_.Bind(name_, ui::CStringField(campaignName_, sizeof campaignName_));
        window_.Bind(exact_, ui::SwitchField(&matchExact_));
        window_.Bind(broad_, ui::SwitchField(&matchBroad_));
        window_.Bind(phrase_, ui::SwitchField(&matchPhrase_));
        window_.Bind(keywordsText_, TextField(&keywords_));
        window_.Bind(textAdsText_, TextField(&textAds_));
    }

    // A text the user may edit; it holds no more than a built one.
    ui::Binding TextField(std::string* text) const {
        const TextCharset charset = charset_;
        return ui::Binding{
            [text] { return *text; },
            [text, charset](std::string_view screen) {
                text->assign(screen.substr(0, FittingLength(screen, kMaxCampaignText, charset)));
                return true;
            }};
    }

    // Both texts from the query's tagged items, in the order of the tag set, each time anew.
    void Rebuild() {
        data::Dictionary& dict = data::Dict();
        const data::SitesRecord& site = dict.SIT;
        const CampaignSetup setup{
            .name = data::CStringOf(campaignName_),
            .match = {.broad = matchBroad_ != 0,
                      .exact = matchExact_ != 0,
                      .phrase = matchPhrase_ != 0},
            .siteFlag = dict.QUE.SITE,
            .actions = data::CStringOf(site.ACTIONS),
            .adLine1 = data::CStringOf(site.ADWORDS[1]),
            .adLine2 = data::CStringOf(site.ADWORDS[2]),
            .affiliateId = data::CStringOf(site.AFFILATEID),
            .links = links_,
            .charset = charset_,
        };
        CampaignBuilder builder(setup);
        data::TableManager& goods = data::Access(TableId::Goods);
        data::GoodsRecord& row = dict.GOO;
        const std::int32_t set = dict.QUE.ID;
        std::optional<ui::WaitCursor> wait;
        for (std::int32_t entry = shell::FirstTagged(set); entry != 0;
             entry = shell::NextTagged(set)) {
            // The count goes on from one rebuild to the next, wrapping rather than overflowing.
            if (++walked_ % kYieldEvery == 0) {
                if (!wait) wait.emplace();
                ui::YieldToEvents();
            }
            row.ID = entry;
            if (goods.TryFetch(data::GOO_KeyId) != ui::Benign) {
                shell::RemoveTag(set, entry);  // the item is gone
                continue;
            }
            builder.Add({.keywords = data::CStringOf(row.KEYWORDS),
                         .asin = data::CStringOf(row.ASIN),
                         .listPrice = row.PRICEREAL,
                         .amazonPrice = row.AMAZONREAL});
        }
        keywords_ = builder.Keywords().Take();
        textAds_ = builder.TextAds().Take();
        window_.DisplayFields(keywordsText_);
        window_.DisplayFields(textAdsText_);
    }

    const Variant& variant_;
    const TextCharset charset_;

    // The window's fields: COMPAGNNAME is a CSTRING(128), the match options bytes.
    char campaignName_[128] = {};
    std::uint8_t matchExact_ = 0;
    std::uint8_t matchBroad_ = 0;
    std::uint8_t matchPhrase_ = 0;
    std::string keywords_;
    std::string textAds_;
    StoreLinks links_;
    std::uint32_t walked_ = 0;

    std::optional<data::GoodsRecord> goodsBefore_;
    std::optional<data::TagFileRecord> tagBefore_;
    bool tablesOpen_ = false;

    int name_ = 0, exact_ = 0, broad_ = 0, phrase_ = 0;
    int keywordsText_ = 0, copyKeywords_ = 0, textAdsText_ = 0, copyTextAds_ = 0;
    int cancel_ = 0;
};

// The window answers nothing: the caller's request and response stay as they were.
void RunCampaignWindow(const Variant& variant) {
    const int request = runtime::GlobalRequest();
    const int response = runtime::GlobalResponse();
    {
        CampaignWindow window(variant);
        window.Run();
    }
    runtime::SetGlobalRequest(request);
    runtime::SetGlobalResponse(response);
}

}  // namespace

void CreateCompaign() {
    shell::Route(CreateCompaignA, CreateCompaignJ);
}

void CreateCompaignA() {
    RunCampaignWindow(kVariantA);
}

void CreateCompaignJ() {
    RunCampaignWindow(kVariantJ);
}

}  // namespace zem::research
