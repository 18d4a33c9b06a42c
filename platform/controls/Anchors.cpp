// Anchors: a control keeps its distance to the sides of its parent's client area it is
// anchored to. Its place is recorded against the parent's client size whenever the control is
// moved, sized, anchored or given a parent; a later change of the parent's size moves or sizes
// it from that record, so that size limits cutting one step short cost nothing at the next.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/controls/Controls.h"

namespace carrelon {

namespace {

int ClampToInt(std::int64_t V) {
    return static_cast<int>(std::clamp<std::int64_t>(V, INT32_MIN, INT32_MAX));
}

// One axis: Near and Far are the anchors to the axis's start and end. Rule is the width kept
// (both), the position kept (Far only) or the centre kept in proportion (neither).
int AnchorRule(bool Near, bool Far, int Pos, int Size) {
    if (Far) return Near ? Size : Pos;
    return ClampToInt(std::int64_t{Pos} + Size / 2);
}

void AnchorAxis(bool Near, bool Far, int Rule, int Original, int Parent, std::int64_t& Pos,
                std::int64_t& Size) {
    if (Far) {
        const std::int64_t Kept = std::int64_t{Parent} - (std::int64_t{Original} - Rule);
        if (Near)
            Size = Kept;
        else
            Pos = Kept;
    } else if (!Near && Original != 0) {
        const double Centre = static_cast<double>(Rule) * Parent / Original;
        Pos = std::llround(Centre) - Size / 2;
    }
}

}  // namespace

void TControl::SetAnchors(TAnchors Value) {
    if (FAnchors == Value) return;
    FAnchors = Value;
    UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
    if (FAnchorMove) return;
    FAnchorRulesSet = false;
    if (FParent == nullptr || FAnchors == TAnchors{akLeft, akTop}) return;
    FAnchorRules = {
        AnchorRule(FAnchors.Contains(akLeft), FAnchors.Contains(akRight), FLeft, FWidth),
        AnchorRule(FAnchors.Contains(akTop), FAnchors.Contains(akBottom), FTop, FHeight)};
    const TRect C = FParent->GetClientRect();
    FOriginalParentSize = {C.Width(), C.Height()};
    FAnchorRulesSet = true;
}

void TControl::ApplyAnchors(int ParentWidth, int ParentHeight) {
    if (!FAnchorRulesSet) return;
    std::int64_t L = FLeft, T = FTop, W = FWidth, H = FHeight;
    AnchorAxis(FAnchors.Contains(akLeft), FAnchors.Contains(akRight), FAnchorRules.X,
               FOriginalParentSize.X, ParentWidth, L, W);
    AnchorAxis(FAnchors.Contains(akTop), FAnchors.Contains(akBottom), FAnchorRules.Y,
               FOriginalParentSize.Y, ParentHeight, T, H);
    // The record stays as it was: it describes the place the anchors keep, not this step.
    FAnchorMove = true;
    try {
        SetBounds(ClampToInt(L), ClampToInt(T), ClampToInt(W), ClampToInt(H));
    } catch (...) {
        FAnchorMove = false;
        throw;
    }
    FAnchorMove = false;
}

void TWinControl::AnchorControls() {
    const TRect C = GetClientRect();
    // A copy: a child that follows may add or remove controls.
    const std::vector<TControl*> Children = FControls;
    for (TControl* Child : Children)
        if (std::find(FControls.begin(), FControls.end(), Child) != FControls.end())
            Child->ApplyAnchors(C.Width(), C.Height());
}

}  // namespace carrelon
