#include "platform/ui/window/anchors.h"

#include <algorithm>
#include <numeric>
#include <set>

namespace zem::ui {
namespace {

// Buttons of one row stand at most this far apart; a wider gap starts another run.
constexpr int kRunGap = 12;
// Layouts nest a few levels; the bound keeps a layout whose parents loop from hanging a walk.
constexpr int kMaxDepth = 64;

int Right(const Rect& r) {
    return r.x + r.width;
}
int Bottom(const Rect& r) {
    return r.y + r.height;
}

bool IsContainer(ControlKind kind) {
    return kind == ControlKind::Sheet || kind == ControlKind::Group ||
           kind == ControlKind::Option || kind == ControlKind::Box;
}

bool IsFramePart(ControlKind kind) {
    return kind == ControlKind::MenuBar || kind == ControlKind::Menu || kind == ControlKind::Item ||
           kind == ControlKind::Separator || kind == ControlKind::Toolbar;
}

bool Encloses(const Rect& outer, const Rect& inner) {
    return outer.width > 0 && outer.height > 0 && outer.x <= inner.x && outer.y <= inner.y &&
           Right(outer) >= Right(inner) && Bottom(outer) >= Bottom(inner);
}

// Two controls of one row: side by side, at most a run's gap apart.
bool SideBySide(const Rect& a, const Rect& b) {
    const bool sameBand = a.y < b.y + std::max(b.height, 1) && b.y < a.y + std::max(a.height, 1);
    return sameBand && std::max(a.x, b.x) - std::min(Right(a), Right(b)) <= kRunGap;
}

class Anchoring {
  public:
    Anchoring(const std::vector<Control>& controls, int width) : width_(width) {
        for (const Control& c : controls) byFeq_.emplace(c.feq, &c);
        for (const Control& c : controls)
            if (!InFrame(c)) controls_.push_back(&c);
    }

    std::map<int, Anchor> Run() {
        std::map<int, Anchor> anchors;
        const Control* grower = Grower();
        if (!grower) return anchors;
        FindGrowers(*grower);
        const Rect& g = grower->at;

        // The units that move as one: free controls and the outermost containers that do not
        // grow, with their contents.
        std::vector<const Control*> units;
        for (const Control* c : controls_)
            if (c->kind != ControlKind::Tab && !growers_.contains(c->feq) && UnitOf(*c) == c)
                units.push_back(c);
        std::map<int, Anchor> unitAnchors;
        std::vector<const Control*> below;
        for (const Control* u : units) {
            Anchor& a = unitAnchors[u->feq];
            a.moveY = u->at.y >= Bottom(g);
            a.moveX = u->at.x >= Right(g);
            if (a.moveY) below.push_back(u);
        }
        for (const std::vector<const Control*>& run : Runs(below)) {
            int left = run.front()->at.x, right = Right(run.front()->at);
            for (const Control* u : run) {
                left = std::min(left, u->at.x);
                right = std::max(right, Right(u->at));
            }
            if (width_ - right < left)
                for (const Control* u : run) unitAnchors[u->feq].moveX = true;
        }

        for (const Control* c : controls_) {
            if (c->kind == ControlKind::Tab) continue;
            Anchor a;
            if (growers_.contains(c->feq))
                a = Anchor{false, false, true, true};
            else if (const Control* unit = UnitOf(*c))
                a = unitAnchors[unit->feq];
            if (a != Anchor{}) anchors[c->feq] = a;
        }
        return anchors;
    }

  private:
    const Control* Find(int feq) const {
        const auto found = byFeq_.find(feq);
        return found == byFeq_.end() ? nullptr : found->second;
    }

    bool InFrame(const Control& c) const {
        int depth = 0;
        for (const Control* at = &c; at && depth < kMaxDepth; at = Find(at->parent), ++depth)
            if (IsFramePart(at->kind)) return true;
        return false;
    }

    // The largest list or tree; the first of equal ones.
    const Control* Grower() const {
        const Control* best = nullptr;
        long bestArea = 0;
        for (const Control* c : controls_) {
            if (c->kind != ControlKind::List && c->kind != ControlKind::Tree) continue;
            const long area =
                static_cast<long>(std::max(c->at.width, 0)) * std::max(c->at.height, 0);
            if (area > bestArea) {
                best = c;
                bestArea = area;
            }
        }
        return best;
    }

    // The list itself, what it sits in, and the containers it is drawn on.
    void FindGrowers(const Control& grower) {
        int depth = 0;
        for (const Control* at = &grower; at && depth < kMaxDepth; at = Find(at->parent), ++depth)
            growers_.insert(at->feq);
        for (const Control* c : controls_)
            if (IsContainer(c->kind) && Encloses(c->at, grower.at)) growers_.insert(c->feq);
    }

    // The outermost container around c (c itself included) that does not grow, up to the
    // first one that does; c itself when there is none.
    const Control* UnitOf(const Control& c) const {
        const Control* unit = &c;
        int depth = 0;
        for (const Control* at = &c; at && depth < kMaxDepth; at = Find(at->parent), ++depth) {
            if (growers_.contains(at->feq)) break;
            if (IsContainer(at->kind)) unit = at;
        }
        return unit;
    }

    // The controls grouped into runs of controls side by side, in their given order.
    static std::vector<std::vector<const Control*>> Runs(const std::vector<const Control*>& all) {
        std::vector<std::size_t> run(all.size());
        std::iota(run.begin(), run.end(), std::size_t{0});
        auto root = [&](std::size_t i) {
            while (run[i] != i) i = run[i] = run[run[i]];
            return i;
        };
        for (std::size_t i = 0; i < all.size(); ++i)
            for (std::size_t j = i + 1; j < all.size(); ++j)
                if (SideBySide(all[i]->at, all[j]->at)) run[root(j)] = root(i);
        std::map<std::size_t, std::vector<const Control*>> runs;
        for (std::size_t i = 0; i < all.size(); ++i) runs[root(i)].push_back(all[i]);
        std::vector<std::vector<const Control*>> out;
        for (auto& [first, members] : runs) out.push_back(std::move(members));
        return out;
    }

    int width_;
    std::map<int, const Control*> byFeq_;
    std::vector<const Control*> controls_;
    std::set<int> growers_;
};

}  // namespace

std::map<int, Anchor> AnchorControls(const std::vector<Control>& controls, int width, int height) {
    if (width <= 0 || height <= 0) return {};
    return Anchoring(controls, width).Run();
}

Rect Anchored(const Rect& at, const Anchor& anchor, int grownX, int grownY) {
    const int dx = std::max(grownX, 0);
    const int dy = std::max(grownY, 0);
    Rect r = at;
    if (anchor.moveX) r.x += dx;
    if (anchor.moveY) r.y += dy;
    if (anchor.growX && r.width > 0) r.width += dx;
    if (anchor.growY && r.height > 0) r.height += dy;
    return r;
}

}  // namespace zem::ui
